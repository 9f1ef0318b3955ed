#include "ItalianLocale.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <clocale>
#include <cstdio>

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
    // Not installed: generate it for this test only.
    const QString localedef = QStandardPaths::findExecutable(QStringLiteral("localedef"));
    if (localedef.isEmpty())
        return;
    m_dir = std::make_unique<QTemporaryDir>();
    const QString target = m_dir->path() + QStringLiteral("/it_IT.UTF-8");
    QProcess::execute(localedef, {QStringLiteral("-i"), QStringLiteral("it_IT"), QStringLiteral("-f"),
                                  QStringLiteral("UTF-8"), target});
    qputenv("LOCPATH", QFile::encodeName(m_dir->path()));
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
