// SPDX-License-Identifier: MIT
// The shared library's public boundary: the dynamic symbol table holds the
// public interface of include/qvpreview/ and nothing of the internals.
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

/// The demangled names of the symbols that the library defines for others.
QStringList exportedSymbols()
{
    QProcess nm;
    nm.start(QStringLiteral("nm"), {QStringLiteral("-D"), QStringLiteral("-C"), QStringLiteral("--defined-only"),
                                    QStringLiteral(QV_LIBRARY_FILE)});
    if (!nm.waitForFinished(30000) || nm.exitCode() != 0)
        return {};
    QStringList names;
    for (const QString &line : QString::fromUtf8(nm.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        // "<address> <type> <name>"
        const qsizetype type = line.indexOf(QLatin1Char(' '));
        if (type > 0 && line.size() > type + 3)
            names << line.mid(type + 3);
    }
    return names;
}

// What the sanitizers add to a library built with QV_SANITIZE=ON: the
// indicators of exported variables that AddressSanitizer's ODR check uses,
// and the type information of Qt's classes that UBSan's vptr check refers to.
bool fromTheSanitizers(const QString &symbol)
{
#if defined(__SANITIZE_ADDRESS__)
    return symbol.startsWith(QLatin1String("__odr_asan.")) || symbol.startsWith(QLatin1String("typeinfo"));
#else
    Q_UNUSED(symbol);
    return false;
#endif
}

// The names of the public interface, as they stand after "qv::".
const QSet<QString> Public = {
    // classes and value types
    "PrintPreview", "CPalette", "PaletteEntry", "qvUtilita", "Error", "SpoolFile", "SpoolCheck", "SpoolMatch",
    "SpoolFindOptions", "LayoutCheck", "SpoolLayoutRun", "PrintOptions", "PropertyBag", "MemoryPropertyBag",
    "PropertyPageSite", "PropertyPage", "VersionRecord", "QV_ALLINEAMENTO", "QV_SCALEMODE", "ErrorNumber",
    "PreviewWindowOptions", "PreviewPrinter", "PrintPreviewDialog", "PrintPreviewWidget",
    // functions
    "errorText", "hasErrorText", "installTranslator", "libraryVersion", "printerNames", "currentPrinterName",
    "setCurrentPrinter", "pdfPrinterName", "setPdfOutputFile", "pdfOutputFile", "PrintTo", "operator",
    "CreaPaginaAnteprima", "currentPageLayout", "setCurrentPageLayout", "resetCurrentPageLayout", "isPageLayoutChosen"};

TEST(PublicBoundary, OnlyThePublicInterfaceIsExported)
{
    const QStringList symbols = exportedSymbols();
    ASSERT_FALSE(symbols.isEmpty()) << "nm gave nothing for " << QV_LIBRARY_FILE;
    const QRegularExpression qvName(QStringLiteral("\\bqv::(\\w+)"));
    // The linker's own symbols and the self-registration entry points that
    // installers look up by name.
    const QSet<QString> linker = {
        "_edata", "_end", "__bss_start", "_init", "_fini", "DllRegisterServer", "DllUnregisterServer",
        // The recording printer's engine implements Qt's QPrintEngine, an
        // interface whose type information every library deriving from it
        // carries (it has no function defined in Qt's library), and
        // its table of virtual functions in a sanitized build.
        "typeinfo for QPrintEngine", "typeinfo name for QPrintEngine", "vtable for QPrintEngine"};
    for (const QString &symbol : symbols) {
        auto it = qvName.globalMatch(symbol);
        if (!it.hasNext()) {
            // No name of ours: only what the linker and the C++ library put there.
            EXPECT_TRUE(linker.contains(symbol) || symbol.contains(QLatin1String("std::")) || fromTheSanitizers(symbol))
                << qPrintable(symbol);
            continue;
        }
        while (it.hasNext()) {
            const QString name = it.next().captured(1);
            EXPECT_TRUE(Public.contains(name)) << qPrintable(name) << " in " << qPrintable(symbol);
        }
    }
}

TEST(PublicBoundary, TheEntryPointsOfTheInterfaceAreThere)
{
    const QStringList symbols = exportedSymbols();
    for (const char *wanted :
         {"qv::PrintPreview::PrintPreview(QWidget*)", "qv::PrintPreview::StampaCampo(", "qv::CPalette::CPalette(",
          "qv::qvUtilita::IsWindowsNT()", "qv::SpoolFile::renderPage(int, QPainter&) const",
          "qv::SpoolFile::renderPage(int, double", "qv::SpoolFile::print(", "qv::SpoolFile::check() const",
          "qv::SpoolFile::checkLayout() const", "qv::SpoolFile::find(QString const&) const", "qv::errorText(int)",
          "qv::libraryVersion()", "typeinfo for qv::Error", "qv::printerNames()",
          "qv::qvUtilita::GetVersione(QString const&)", "qv::PrintPreview::setPreviewWindowOptions(",
          "qv::SpoolFile::showPreview(QString const&, qv::PreviewWindowOptions const&", "DllRegisterServer",
          "DllUnregisterServer"}) {
        const bool found = std::any_of(symbols.begin(), symbols.end(),
                                       [&](const QString &s) { return s.startsWith(QLatin1String(wanted)); });
        EXPECT_TRUE(found) << wanted;
    }
}

} // namespace
