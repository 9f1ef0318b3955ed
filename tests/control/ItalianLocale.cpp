// SPDX-License-Identifier: MIT
#include "ItalianLocale.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <clocale>
#include <cstdio>

#include <unistd.h>

namespace qv::test {

namespace {
bool decimalComma()
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%g", 0.5);
    return std::string(buffer) == "0,5";
}
} // namespace

ItalianLocale::ItalianLocale()
    : m_oldNumeric(std::setlocale(LC_NUMERIC, nullptr))
    , m_oldQt(QLocale())
    , m_oldLocPath(qgetenv("LOCPATH"))
{
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    if (std::setlocale(LC_ALL, "it_IT.UTF-8") && decimalComma()) {
        m_active = true;
        return;
    }
    // Not installed: generate it once into a folder that later test runs
    // reuse (made under a temporary name and renamed, so that tests running
    // side by side never see half a locale).
    const QString cache = QStringLiteral("/tmp/qvpreview-test-locale-%1").arg(::getuid());
    if (!QFileInfo::exists(cache + QStringLiteral("/it_IT.UTF-8"))) {
        const QString localedef = QStandardPaths::findExecutable(QStringLiteral("localedef"));
        if (localedef.isEmpty())
            return;
        QTemporaryDir work(QStringLiteral("/tmp/qvpreview-test-locale-XXXXXX"));
        work.setAutoRemove(false);
        QProcess::execute(localedef, {QStringLiteral("-i"), QStringLiteral("it_IT"), QStringLiteral("-f"),
                                      QStringLiteral("UTF-8"), work.path() + QStringLiteral("/it_IT.UTF-8")});
        if (::rename(QFile::encodeName(work.path()).constData(), QFile::encodeName(cache).constData()) != 0)
            QDir(work.path()).removeRecursively();
    }
    qputenv("LOCPATH", QFile::encodeName(cache));
    m_active = std::setlocale(LC_ALL, "it_IT.UTF-8") && decimalComma();
}

ItalianLocale::~ItalianLocale()
{
    std::setlocale(LC_ALL, "C");
    std::setlocale(LC_NUMERIC, m_oldNumeric.c_str());
    QLocale::setDefault(m_oldQt);
    if (m_oldLocPath.isNull())
        qunsetenv("LOCPATH");
    else
        qputenv("LOCPATH", m_oldLocPath);
}

QList<QByteArray> spoolLines(const QByteArray &bytes)
{
    QList<QByteArray> lines = bytes.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray &line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    return lines;
}

} // namespace qv::test
