// SPDX-License-Identifier: MIT
// Reading printed PDF files back with poppler's and qpdf's command-line tools.
#pragma once

#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>

namespace qv::test {

/// Runs \a program with \a args; its standard output, or nullopt when it
/// could not run or failed.
inline std::optional<QString> run(const QString &program, const QStringList &args, int *exitCode = nullptr)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000))
        return std::nullopt;
    if (exitCode)
        *exitCode = p.exitCode();
    if (p.exitStatus() != QProcess::NormalExit || (!exitCode && p.exitCode() != 0))
        return std::nullopt;
    return QString::fromUtf8(p.readAllStandardOutput());
}

/// The page count that pdfinfo reports, or -1.
inline int pdfPages(const QString &pdf)
{
    const auto out = run(QStringLiteral("pdfinfo"), {pdf});
    if (!out)
        return -1;
    for (const QString &line : out->split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("Pages:")))
            return line.mid(6).trimmed().toInt();
    return -1;
}

/// One pdfinfo field ("Title"), or an empty text.
inline QString pdfInfoField(const QString &pdf, const QString &field)
{
    const auto out = run(QStringLiteral("pdfinfo"), {pdf});
    if (out)
        for (const QString &line : out->split(QLatin1Char('\n')))
            if (line.startsWith(field + QLatin1Char(':')))
                return line.mid(field.size() + 1).trimmed();
    return {};
}

/// The text of each page, in order.
inline QStringList pdfPageTexts(const QString &pdf)
{
    const auto out = run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!out)
        return {};
    QStringList pages = out->split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    for (QString &p : pages)
        p = p.simplified();
    return pages;
}

/// Page \a page (1-based) rendered at \a dpi, or a null image.
inline QImage pdfPageImage(const QString &pdf, int page, int dpi)
{
    QTemporaryDir dir;
    const QString base = dir.path() + QStringLiteral("/page");
    if (!run(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QString::number(dpi),
                                          QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                                          QString::number(page), QStringLiteral("-singlefile"), pdf, base}))
        return {};
    return QImage(base + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

} // namespace qv::test
