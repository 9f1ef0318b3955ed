// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The component's catalogues: which one a language gets, where it is read
// from, and Qt's own catalogue beside it.
#include <qvpreview/Translation.h>

#include "platform/FileSystem.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace qv {

namespace {

// What the last call installed, to be replaced by the next one. The
// application owns them (and deletes them when it goes).
QPointer<QTranslator> catalogoComponente;
QPointer<QTranslator> catalogoQt;

void rimuovi(QPointer<QTranslator> &catalogo)
{
    if (!catalogo)
        return;
    QCoreApplication::removeTranslator(catalogo);
    delete catalogo.data();
}

/// Where the component's catalogues are looked for: the installed folder,
/// found from the library's own folder (the lib folder) or the installer's
/// (lib/qvpreview1), so that an installed tree works from any prefix; then
/// the copy built into the program.
QStringList cartelleCatalogo()
{
    QStringList cartelle;
    const QString modulo = platform::moduleFolder();
    if (!modulo.isEmpty()) {
        for (const char *relativa : {QV_TRANSLATIONS_FROM_LIBDIR, QV_TRANSLATIONS_FROM_SETUPDIR}) {
            const QString cartella = QDir::cleanPath(QDir(modulo).absoluteFilePath(QString::fromUtf8(relativa)));
            if (!cartelle.contains(cartella))
                cartelle << cartella;
        }
    }
    cartelle << QStringLiteral(":/qvpreview/translations");
    return cartelle;
}

/// Installs a catalogue read by \a carica into \a slot; false when it could not be read.
template <typename Load>
bool installa(QPointer<QTranslator> &slot, Load carica)
{
    auto *catalogo = new QTranslator(QCoreApplication::instance());
    if (!carica(*catalogo) || !QCoreApplication::installTranslator(catalogo)) {
        delete catalogo;
        return false;
    }
    slot = catalogo;
    return true;
}

/// Qt's own catalogue for \a lingua ("en-US", "it"), where Qt's translations are installed.
void installaCatalogoQt(const QString &lingua)
{
    const QString cartella = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    installa(catalogoQt, [&](QTranslator &t) {
        return t.load(QStringLiteral("qtbase_") + QString(lingua).replace(QLatin1Char('-'), QLatin1Char('_')),
                      cartella);
    });
}

} // namespace

bool installTranslator(const QLocale &locale)
{
    if (!QCoreApplication::instance())
        return false;
    rimuovi(catalogoComponente);
    rimuovi(catalogoQt);
    if (locale.language() == QLocale::C)
        return true;
    // The user's languages in the order of preference: the first that is
    // Italian or has a catalogue wins.
    for (const QString &lingua : locale.uiLanguages()) {
        const QLocale::Language language = QLocale(lingua).language();
        if (language == QLocale::C || language == QLocale::AnyLanguage)
            continue;
        if (language == QLocale::Italian) {
            installaCatalogoQt(lingua);
            return true;
        }
        // "qvpreview_en_US" finds qvpreview_en_US.qm, else qvpreview_en.qm.
        const QString nome = QStringLiteral("qvpreview_") + QString(lingua).replace(QLatin1Char('-'), QLatin1Char('_'));
        for (const QString &cartella : cartelleCatalogo()) {
            if (installa(catalogoComponente, [&](QTranslator &t) { return t.load(nome, cartella); })) {
                installaCatalogoQt(lingua);
                return true;
            }
        }
    }
    return false;
}

} // namespace qv
