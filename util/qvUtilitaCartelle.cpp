// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// qvUtilita: the special folders of the desktop, read from the "Shell
// Folders" key of the key store, which platform/ShellFolders fills from the
// XDG folders.
#include <qvpreview/qvUtilita.h>

#include "platform/ShellFolders.h"
#include "util/Registro.h"

namespace qv {

namespace {

/// The value \a nome of the Shell Folders key of \a hive; false when it is
/// missing.
bool leggiCartella(platform::Hive hive, const QString &nome, QString &valore)
{
    if (platform::seedShellFolders(hive))
        return Registro::LeggiValoreRegistro(uint32_t(hive), platform::shellFoldersKey(), nome, valore);
    // The hive cannot hold the key: the folder it would have been given.
    const std::optional<QString> xdg = platform::xdgShellFolder(hive, nome);
    valore = xdg.value_or(QString());
    return xdg.has_value();
}

QString cartella(qvUtilita &utilita, platform::Hive hive, const char *nome)
{
    try {
        QString valore;
        if (!leggiCartella(hive, QString::fromLatin1(nome), valore) || valore.trimmed().isEmpty())
            return QString();
        // The user's folders exist once asked for, as the desktop keeps
        // them; the folders of all users are the administrator's.
        if (hive == platform::Hive::CurrentUser)
            platform::makeUserFolder(valore.trimmed());
        return utilita.AggiungiSepDir(valore);
    } catch (...) {
        return QString();
    }
}

constexpr platform::Hive Utente = platform::Hive::CurrentUser;
constexpr platform::Hive Macchina = platform::Hive::LocalMachine;

} // namespace

// clang-format off
QString qvUtilita::CartellaDocumenti() { return cartella(*this, Utente, "Personal"); }
QString qvUtilita::CartellaDati() { return cartella(*this, Utente, "AppData"); }
QString qvUtilita::CartellaDatiCondivisi() { return cartella(*this, Macchina, "Common AppData"); }
QString qvUtilita::CartellaDesktop() { return cartella(*this, Utente, "Desktop"); }
QString qvUtilita::CartellaDesktopTuttiUtenti() { return cartella(*this, Macchina, "Common Desktop"); }
QString qvUtilita::CartellaEsecuzioneAutomatica() { return cartella(*this, Utente, "Startup"); }
QString qvUtilita::CartellaEsecuzioneAutomaticaTuttiUtenti() { return cartella(*this, Macchina, "Common Startup"); }
QString qvUtilita::CartellaPreferitiTuttiUtenti() { return cartella(*this, Macchina, "Common Favorites"); }
QString qvUtilita::CartellaMenuAvvio() { return cartella(*this, Utente, "Start Menu"); }
QString qvUtilita::CartellaMenuAvvioTuttiUtenti() { return cartella(*this, Macchina, "Common Start Menu"); }
QString qvUtilita::CartellaSendTo() { return cartella(*this, Utente, "SendTo"); }
QString qvUtilita::CartellaRecenti() { return cartella(*this, Utente, "Recent"); }
QString qvUtilita::CartellaMenuProgrammi() { return cartella(*this, Utente, "Programs"); }
QString qvUtilita::CartellaMenuProgrammiTuttiUtenti() { return cartella(*this, Macchina, "Common Programs"); }
QString qvUtilita::CartellaDocumentiCondivisi() { return cartella(*this, Macchina, "Common Documents"); }
QString qvUtilita::CartellaRisorseRete() { return cartella(*this, Utente, "NetHood"); }
QString qvUtilita::CartellaImmagini() { return cartella(*this, Utente, "My Pictures"); }
QString qvUtilita::CartellaImmaginiTuttiUtenti() { return cartella(*this, Macchina, "Common Pictures"); }
QString qvUtilita::CartellaCronologia() { return cartella(*this, Utente, "History"); }
QString qvUtilita::CartellaFonts() { return cartella(*this, Utente, "Fonts"); }
QString qvUtilita::CartellaPreferiti() { return cartella(*this, Utente, "Favorites"); }
QString qvUtilita::CartellaCookies() { return cartella(*this, Utente, "Cookies"); }
QString qvUtilita::CartellaInternetTemp() { return cartella(*this, Utente, "Cache"); }
// clang-format on

} // namespace qv
