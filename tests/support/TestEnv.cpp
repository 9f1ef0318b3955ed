// SPDX-License-Identifier: MIT
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>

namespace qv::test {

TempEnv::TempEnv()
    : m_oldTmp(qgetenv("TMPDIR"))
    , m_oldConfig(qgetenv("XDG_CONFIG_HOME"))
    , m_oldPdf(qgetenv("QVPREVIEW_PDF_DIR"))
    , m_oldRegistry(qgetenv("QVPREVIEW_REGISTRY_DIR"))
{
    QDir(m_dir.path()).mkpath(QStringLiteral("tmp"));
    QDir(m_dir.path()).mkpath(QStringLiteral("config"));
    QDir(m_dir.path()).mkpath(QStringLiteral("pdf"));
    qputenv("TMPDIR", QFile::encodeName(tempFolder()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configFolder()));
    qputenv("QVPREVIEW_PDF_DIR", QFile::encodeName(pdfFolder()));
    qputenv("QVPREVIEW_REGISTRY_DIR", QFile::encodeName(registryFolder()));
}

TempEnv::~TempEnv()
{
    auto restore = [](const char *name, const QByteArray &old) {
        if (old.isNull())
            qunsetenv(name);
        else
            qputenv(name, old);
    };
    restore("TMPDIR", m_oldTmp);
    restore("XDG_CONFIG_HOME", m_oldConfig);
    restore("QVPREVIEW_PDF_DIR", m_oldPdf);
    restore("QVPREVIEW_REGISTRY_DIR", m_oldRegistry);
    platform::setPrintersForTesting(std::nullopt);
    platform::setTwipsPerPixelForTesting(0, 0);
    platform::setBeepHandlerForTesting({});
    platform::setMessageBoxHandlerForTesting({});
    platform::setOpenUrlHandlerForTesting({});
    platform::setSystemVersionForTesting(std::nullopt);
    platform::setPdfOutputFile(QString());
}

QString TempEnv::root() const
{
    return m_dir.path() + QLatin1Char('/');
}
QString TempEnv::tempFolder() const
{
    return root() + QStringLiteral("tmp/");
}
QString TempEnv::configFolder() const
{
    return root() + QStringLiteral("config/");
}
QString TempEnv::pdfFolder() const
{
    return root() + QStringLiteral("pdf/");
}
QString TempEnv::registryFolder() const
{
    return root() + QStringLiteral("registry/");
}

QStringList TempEnv::tempFiles(const QString &prefix) const
{
    QStringList names = QDir(tempFolder()).entryList(QDir::Files, QDir::Name);
    if (prefix.isEmpty())
        return names;
    QStringList matching;
    for (const QString &n : names)
        if (n.startsWith(prefix))
            matching << n;
    return matching;
}

void TempEnv::noPrinters()
{
    platform::setPrintersForTesting(QList<platform::PrinterDesc>{});
}

void TempEnv::onlyThePdfPrinter()
{
    platform::setPrintersForTesting(
        QList<platform::PrinterDesc>{platform::PrinterDesc{platform::pdfPrinterName(), true, QSizeF(11906, 16838)}});
}

void TempEnv::onePrinter(double widthTwips, double heightTwips, const QString &name)
{
    platform::setPrintersForTesting(
        QList<platform::PrinterDesc>{platform::PrinterDesc{name, false, QSizeF(widthTwips, heightTwips)}});
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QString writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << qPrintable(path);
    EXPECT_EQ(f.write(bytes), bytes.size()) << qPrintable(path);
    return path;
}

} // namespace qv::test
