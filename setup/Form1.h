// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// Form1: the installer's only window. It shows the system folder and, at one
// press of its button, brings the control library installed there up to the
// version this service pack carries and registers it.
#pragma once

#include <QString>
#include <QWidget>

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;

namespace qv {

class qvUtilita;

class Form1 : public QWidget
{
public:
    /// The control library's file, as hosts load it by its soname.
    static constexpr char NomeLibreria[] = "libqvpreview.so.1";
    /// The version that this service pack delivers.
    static constexpr char VersioneServicePack[] = QV_SERVICE_PACK_VERSION;
    /// The window's caption.
    static constexpr char Titolo[] = QT_TRANSLATE_NOOP("qv::Form1", "Service Pack 2.0 per Tessavo 3.x");
    /// The classes the control library registers in its own name.
    static constexpr const char *ClassiControllo[] = {"qvPreview.PrintPreview", "qvPreview.CPalette",
                                                      "qvPreview.PageAnteprima"};

    /// The window of the installer started from the folder
    /// \a cartellaProgramma, where the new library lies beside it. Loading it
    /// finds the system folder (Modulo2::DirectorySystem()); without one the
    /// button is disabled.
    explicit Form1(const QString &cartellaProgramma, QWidget *parent = nullptr);

    /// The library to install: the program's folder with a separator, then
    /// the library's file name.
    QString percorsoSorgente() const;
    /// The installed library: the system folder found at load, then the
    /// library's file name.
    QString percorsoDestinazione() const;

    std::array<QLabel *, 2> Label1{}; ///< "Old" and "New"
    QPushButton *Command1 = nullptr;  ///< the only action: install
    QLabel *Label2 = nullptr;         ///< "Directory di SYSTEM:"
    QLineEdit *Text1 = nullptr;       ///< shows the system folder; never read back

    /// The system folder with a trailing "/", as found at load, or empty.
    QString DirSystem;

private:
    void Form_Load();
    void Command1_Click();
    /// Lets the installed library \a destinazione register itself and says
    /// how it went; on success the window closes.
    void registra(const QString &destinazione);
    /// True when \a libreria is a whole library of the version this service
    /// pack delivers (VerificaLibreria::verifica()).
    static bool intera(const QString &libreria);
    /// True when every class of the control is registered as served by
    /// \a destinazione (that file, through any link).
    static bool registrataQui(qvUtilita &utilita, const QString &destinazione);
    /// Places \a widget at a rectangle given in twips.
    void posiziona(QWidget *widget, int left, int top, int width, int height) const;
    int pixel(int twips, bool horizontal) const;

    QString m_cartellaProgramma;
};

} // namespace qv
