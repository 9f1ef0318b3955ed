// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#pragma once

#include <qvpreview/Export.h>

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <cstdint>
#include <optional>

class QWidget;

namespace qv {

/// Stateless helpers shared by the control library and its installer: error
/// texts and the log, text helpers, INI files, paths, files and folders,
/// versions and system information, processes and the desktop's opener,
/// component registration and launchers, the special folders of the desktop,
/// and helpers for windows and widgets. Callers create an object when they
/// need one and drop it afterwards.
///
/// Paths: folders are separated by "/" and a folder path that this class
/// returns ends with "/". The routines that look for a separator in a path
/// accept "\" as well, so paths written for Windows are taken apart the same
/// way. Texts are UTF-8 in files.
///
/// Errors: the text helpers throw a qv::Error with number 6 ("Overflow")
/// when a text is longer than 32767 characters, ConfrontaVersione() when a
/// version part leaves the 16-bit range, GetVersione() when a file that
/// exists cannot be read, and SfumaForm() one with number 13 for an argument
/// that is not a number; every other operation reports a failure through its
/// result (false, or the empty text), and WriteAccess(), EseguiEx() and
/// StartApplicazione() also in a message box.
///
/// Windows: a window handle (hWnd) is the window's native id, WId, which on
/// X11 fits in 32 bits. Widgets are the caller's; the class never takes them
/// over.
///
/// For example (examples/tour/main.cpp, which CI runs):
/// \snippet tour/main.cpp qvUtilita
class QV_EXPORT qvUtilita
{
public:
    /// The maker's web page, opened by Homepage() and shown in the about box.
    static constexpr const char SitoWeb[] = "https://qvpreview.example.org";
    /// The maker's e-mail address, shown in the about box and opened by EMail().
    static constexpr const char IndirizzoEMail[] = "info@qvpreview.example.org";

    /// Opens \a file (a path, or an address such as "https://...") with the
    /// desktop's default program for its type and returns without waiting.
    /// \a hWnd, the asking window's handle, is not needed to open it. True
    /// when the program was started. On failure, unless \a muto is true, a
    /// message box with the critical icon and title "Errore" shows \a file
    /// followed by ": file non trovato!" (missing file),
    /// ": nessun programma associato a questo tipo di file!" (no program for
    /// the type) or ": accesso negato!" (no rights to read it, or the program
    /// could not start); the result is false.
    bool EseguiEx(int32_t hWnd, const QString &file, bool muto = false);

    /// Creates every missing folder of \a path, from the first level on.
    /// The caller's \a path gets a trailing "/" when it has none. Returns true
    /// when the folder exists afterwards; false for an empty or all-blank
    /// path and when a level cannot be created (no rights, a file of that
    /// name). Levels are separated by "/" only: "\" is an ordinary character
    /// of a Linux file name.
    bool CreaPercorsoDirectory(QString &path);

    /// Shows the desktop's folder picker, modal over the window of this
    /// program whose native id (WId) is \a hWnd (0, or an id of no window of
    /// this program: over none), titled \a sTitle; only existing folders can
    /// be chosen. Returns the chosen folder's absolute path as the picker gives
    /// it, without a trailing "/" (the root folder is "/"); the empty text when
    /// the user cancels or the program has no widget application.
    QString Sfoglia_Cartella(int32_t hWnd, const QString &sTitle);

    /// The Windows folder, the system-wide folder for the settings of
    /// programs: $QVPREVIEW_WINDOWS_DIR, else "/etc/". Ends with "/"; "/" when
    /// it cannot be determined.
    QString CartellaWindows();

    /// True when another process uses \a file: holds it open for writing or
    /// holds a lock on it (flock, POSIX or open-file-description lock).
    /// Processes of other users are seen only by the superuser. False for a
    /// missing file and for a file that this process alone has open.
    bool FileAperto(const QString &file);

    /// The time of \a sec seconds as a date-time counted from day 0,
    /// 30 December 1899 at 00:00 (UTC, no time-zone shifts): 3661 gives
    /// 01:01:01 of day 0, 90000 gives 01:00:00 of day 1 (31 December 1899);
    /// negative counts go back before day 0. The hours must fit in 16 bits:
    /// \a sec below -117964800 or from 117964800 (32768 hours) on throws
    /// qv::Error 6 ("Overflow").
    QDateTime LongToDate(int32_t sec);

    /// The value of key \a chiave of section \a Sezione of the INI file
    /// \a fileINI, without its leading and trailing blanks. Section and key
    /// names are matched without regard to case (surrounding blanks ignored);
    /// the first occurrence in the file counts. Gives \a DefaultValore
    /// unchanged when the file, the section or the key is missing, when the
    /// value is empty or all blanks, and for an empty section or key name.
    /// Values longer than 1999 characters are cut to their first 1999.
    /// Lines may end in LF or CR LF; a UTF-8 byte-order mark is skipped;
    /// lines starting with ";" or "#" are comments.
    QString LeggiINI(const QString &fileINI, const QString &Sezione, const QString &chiave,
                     const QString &DefaultValore);
    /// Sets key \a chiave of section \a Sezione of the INI file \a fileINI to
    /// \a valore, creating the file (in an existing folder), the section (at
    /// the end) or the key (after the section's last entry) when missing.
    /// Every other line of the file is kept byte for byte, with its comments,
    /// order and line ends. The file is replaced atomically (a temporary file
    /// in the same folder, renamed over it), so a failure leaves it as it
    /// was; writers of one folder take turns. False when the file cannot be
    /// written, and for names or values that would break the file's lines:
    /// an empty section or key name, a key containing "=", a section
    /// containing "]", or any line break.
    bool ScriviINI(const QString &fileINI, const QString &Sezione, const QString &chiave, const QString &valore);

    /// Brings forward the first top-level window of the desktop, of this or of
    /// another program, whose title contains \a testo without regard to case
    /// (the first 255 characters of a title count): shows it in its normal
    /// state (a minimised window comes back), puts it above the other windows
    /// and gives it the focus. Windows are taken topmost first: on X11 those of
    /// the window manager's client list, without a window manager the mapped
    /// children of the root window; on a display that is not X11 only this
    /// program's visible windows. False for an empty \a testo and when no
    /// title matches. Never throws.
    bool ShowFinestraConTitolo(const QString &testo);

    /// The serial number of the root file system as a signed 32-bit decimal
    /// number ("-1834521436" when its top bit is set); see GetSerialDrive().
    QString GetSerialHD();
    /// The serial number of the volume \a letteraDrive as a signed 32-bit
    /// decimal number. The volume: "c" or "C" (also "c:" and "c:\\") is the
    /// root file system; an absolute path names a block device (such as
    /// "/dev/sda1") or else the file system that holds the path (a mount point
    /// or any folder of it). The serial is the file system's UUID folded to 32
    /// bits (a FAT serial "1234-ABCD" stays 0x1234ABCD, an NTFS serial keeps
    /// its low 32 bits, a longer UUID is folded by exclusive or of its 32-bit
    /// words), else the file system id that statfs reports, folded the same
    /// way. The empty text for another letter or a path that does not exist.
    QString GetSerialDrive(const QString &letteraDrive);

    /// Removes the leading and trailing blanks of the caller's \a percorso and
    /// appends "/" when it does not end with "/" or "\". Returns the new
    /// value; an empty or all-blank path becomes and returns the empty text.
    QString AggiungiSepDir(QString &percorso);

    /// Centres \a obj in \a padre: obj's left edge goes to (padre's inner
    /// width - obj's width) / 2 and its top edge to (padre's inner height -
    /// obj's height) / 2, worked out in twips and placed on the nearest pixel.
    /// A child widget is moved inside its parent (padre or a widget inside
    /// it); a top-level window (its frame included) is centred over padre's
    /// inner area on the screen. Does nothing when either is null.
    void CentraFormFiglio(QWidget *padre, QWidget *obj);
    /// Centres the top-level window of \a obj on its screen: left edge at
    /// (screen width - window width) / 2, top edge at (screen height - window
    /// height) / 2, the window's frame included, worked out in twips. Does
    /// nothing for null or without a screen.
    void CentraForm(QWidget *obj);

    /// Waits until \a sec seconds after the start of the current second have
    /// passed (so 0 waits for the next second to begin), processing the
    /// program's window events meanwhile; the wait is measured on a clock that
    /// midnight and changes of the system time do not move. A negative
    /// \a sec returns at once.
    void WaitSecondi(int16_t sec);

    /// \a testo with every non-overlapping occurrence of \a ricerca, from left
    /// to right, replaced by \a sostituzione (exact comparison). \a testo
    /// comes back unchanged when any of the three is empty: an empty
    /// replacement never deletes anything. Throws qv::Error 6 when \a testo or
    /// \a ricerca is longer than 32767 characters.
    QString qvReplace(const QString &testo, const QString &ricerca, const QString &sostituzione);
    /// Splits \a buf at every non-overlapping occurrence of \a sep into the
    /// caller's \a tmp, which is first reset to one empty element. One
    /// trailing separator is dropped; consecutive separators give empty
    /// elements. False (with \a tmp reset) when \a buf or \a sep is empty.
    /// Throws qv::Error 6 when either is longer than 32767 characters.
    bool qvSplit(QStringList &tmp, const QString &buf, const QString &sep);

    /// The characters after the last "/" or "\" of \a pathname: the whole
    /// text when it has neither, the empty text when it ends with one.
    QString DeterminaSoloFileName(const QString &pathname);

    /// Opens the maker's web page with the desktop's default browser.
    /// \a hWnd is the handle of the asking window (0 for none); it is
    /// accepted for the callers' sake and not needed to open the page.
    /// Never reports a failure: a page that cannot be opened does nothing.
    void Homepage(int32_t hWnd);

    /// Opens the address \a indirizzoWeb with the desktop's default program;
    /// \a hWnd is not needed. Nothing is reported, whatever happens.
    void GoWeb(int32_t hWnd, const QString &indirizzoWeb);
    /// Opens a new message to the maker ("Mailto:" + IndirizzoEMail) in the
    /// user's mail program; nothing is reported.
    void EMail(int32_t hWnd);

    /// The characters after the last "." of \a filename (without the dot);
    /// empty when there is no dot or the only dot is the first character.
    /// The search does not stop at folder separators.
    QString EstraiEstensione(const QString &filename);

    /// Makes the running module's folder the current folder; errors are
    /// ignored.
    void CurDirApp();

    /// Reports the exception being handled (call it inside a catch block) in
    /// a message box with the information icon, titled "Errore" followed by
    /// the number as " 53" (one blank before a non-negative number). The text
    /// is "Impossibile leggere l'unità specificata." for error 52, else the
    /// error's description. A qv::Error gives its number and description; an
    /// allocation failure is error 7 with its catalogue text; any other
    /// std::exception is error 51 with its what() text; no exception, error 0
    /// with an empty text. The box is always shown. With a catalogue
    /// installed (installTranslator()), the title and texts are in its
    /// language ("Error  53"), the number as it is.
    void PrintErrore();

    /// \a testo without any blank (character 32); other white space stays.
    /// Throws qv::Error 6 when \a testo is longer than 32767 characters.
    QString EspuraSpazi(const QString &testo);

    /// Selects the whole text of the text box \a xCtrl (QLineEdit, QTextEdit,
    /// QPlainTextEdit, a spin box or an editable QComboBox) from its first
    /// character on, leaving the cursor at the end. Any other widget, and
    /// null, is left alone.
    void Evidenzia(QWidget *xCtrl);

    /// The code of the upper-case form of the character \a KeyAscii (a
    /// UTF-16 code unit; negative codes are the units from 0x8000 on); other
    /// characters, and letters whose capital is not one code unit, are
    /// returned unchanged.
    int16_t KeyMaiuscolo(int16_t KeyAscii);

    /// Starts the program that the App Paths entry of \a applicazione records
    /// (default value of the local-machine key
    /// "SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\" + \a applicazione)
    /// and returns true without waiting for it. Without an entry, a message
    /// box with the exclamation icon and title "Errore" says \a applicazione
    /// + ": Applicazione non trovata."; when the recorded program cannot be
    /// started, one with the critical icon says its path + ": " + the text of
    /// error 53. Both give false.
    bool StartApplicazione(const QString &applicazione);

    /// The special folders, as the key store records them under
    /// "Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders":
    /// the user's in the current-user hive, those of all users ("TuttiUtenti",
    /// "Condivisi") in the local-machine hive, each under the value named
    /// below. A value comes back trimmed of blanks with "/" appended when it
    /// ends with neither "/" nor "\"; a value stored empty comes back empty;
    /// a missing key or value and any failure give the empty text. Never
    /// throw.
    ///
    /// A hive that does not hold the key yet gets it, filled from the XDG
    /// folders ($XDG_CONFIG_HOME/user-dirs.dirs, $XDG_DATA_HOME, ... for the
    /// user, $XDG_DATA_DIRS and $XDG_CONFIG_DIRS for all users); a key that
    /// exists is never changed. Folders without a Linux counterpart are not
    /// filled, so their operations give the empty text unless a value is set
    /// in the store. When the hive cannot be written (the machine-wide hive
    /// for a user who is not the superuser), the XDG folder is given as it
    /// would have been stored. docs/utility.md has the table.

    /// "Personal": the documents folder (XDG_DOCUMENTS_DIR).
    QString CartellaDocumenti();
    /// "AppData": the user's data folder ($XDG_DATA_HOME).
    QString CartellaDati();
    /// "Common AppData": the first folder of $XDG_DATA_DIRS.
    QString CartellaDatiCondivisi();
    /// "Desktop": the desktop folder (XDG_DESKTOP_DIR).
    QString CartellaDesktop();
    /// "Common Desktop": none on Linux.
    QString CartellaDesktopTuttiUtenti();
    /// "Startup": the user's autostart folder ($XDG_CONFIG_HOME/autostart).
    QString CartellaEsecuzioneAutomatica();
    /// "Common Startup": autostart in the first folder of $XDG_CONFIG_DIRS.
    QString CartellaEsecuzioneAutomaticaTuttiUtenti();
    /// "Common Favorites": none on Linux.
    QString CartellaPreferitiTuttiUtenti();
    /// "Start Menu": the user's applications menu ($XDG_DATA_HOME/applications).
    QString CartellaMenuAvvio();
    /// "Common Start Menu": applications in the first folder of $XDG_DATA_DIRS.
    QString CartellaMenuAvvioTuttiUtenti();
    /// "SendTo": none on Linux.
    QString CartellaSendTo();
    /// "Recent": links to recent documents ($XDG_DATA_HOME/RecentDocuments).
    QString CartellaRecenti();
    /// "Programs": the user's applications menu, as "Start Menu".
    QString CartellaMenuProgrammi();
    /// "Common Programs": the applications menu of all users, as "Common Start Menu".
    QString CartellaMenuProgrammiTuttiUtenti();
    /// "Common Documents": none on Linux.
    QString CartellaDocumentiCondivisi();
    /// "NetHood": none on Linux.
    QString CartellaRisorseRete();
    /// "My Pictures": the pictures folder (XDG_PICTURES_DIR).
    QString CartellaImmagini();
    /// "Common Pictures": none on Linux.
    QString CartellaImmaginiTuttiUtenti();
    /// "History": none on Linux.
    QString CartellaCronologia();
    /// "Fonts": the user's fonts ($XDG_DATA_HOME/fonts).
    QString CartellaFonts();
    /// "Favorites": none on Linux.
    QString CartellaPreferiti();
    /// "Cookies": none on Linux.
    QString CartellaCookies();
    /// "Cache": the user's cache folder ($XDG_CACHE_HOME).
    QString CartellaInternetTemp();

    /// True when the running program's file name (without its folder, in
    /// lower case) is one of those of the classic development environment:
    /// "vb.exe", "vb32.exe", "vb5.exe", "vb5cce.exe", "vb6.exe", "vb6cce.exe",
    /// "vb7.exe", "vb7cce.exe". False otherwise and on any error.
    bool IsVBEnvironment();

    /// Creates a new empty file "qv<unique>.tmp" in GetDirectoryTemp()
    /// atomically and returns its path; when none can be created, returns
    /// GetDirectoryTemp() + "qv12345.tmp" (not created). Never fails.
    QString GetFileTemporaneo();
    /// The temporary folder with a trailing "/": $TMPDIR when it names a
    /// folder, else /tmp/, else the running module's folder. Never fails.
    QString GetDirectoryTemp();

    /// The characters of \a strString before its first NUL; the whole text
    /// when it has none.
    QString StripTerminator(const QString &strString);

    /// The system folder, where the control library is installed:
    /// $QVPREVIEW_SYSTEM_DIR, else the library folder of this installation
    /// (/usr/local/lib/). Ends with "/"; the empty text when it is not an
    /// existing folder.
    QString GetWindowsSysDir();

    /// True when a file can be created in the folder \a strDirName: a probe
    /// file "120asd12.tmp" (another name when that one is taken; an existing
    /// file is never opened) is created and deleted again. When it cannot be
    /// created, shows once a message box with the critical icon, title
    /// "Errore" and the text "Errore # " + the number as " 76" + a carriage
    /// return + the error's text, and returns false. The numbers: 76 for a
    /// missing folder, 75 for no rights or a read-only file system, 61 for a
    /// full disk, 67 for too many open files.
    bool WriteAccess(const QString &strDirName);

    /// Keeps the window whose native id (WId) is \a hWnd above the windows
    /// that are not kept above (\a SempreInPrimoPiano true), or lets it go
    /// back among them (false); position and size stay. A window of this
    /// program gets Qt's stays-on-top flag and stays shown. Another program's
    /// window, on X11, gets the window manager's "above" state
    /// (_NET_WM_STATE_ABOVE); without a window manager the state is written to
    /// the window and a window set above is raised. An id of no window, and
    /// another program's window on a display that is not X11, are left alone.
    /// Never throws.
    void FinetraTopMost(int32_t hWnd, bool SempreInPrimoPiano);

    /// True when the running module's folder lies on a network file system
    /// (NFS, SMB/CIFS, AFS, Ceph, 9P and the like); false otherwise and when
    /// the folder cannot be examined.
    bool DirectoryRete();

    /// The Italian text of the run-time error \a codice (the 87 classic codes,
    /// trailing blanks included). For any other code, the description of the
    /// exception being handled (a qv::Error's description, else what()), or
    /// the empty text outside a catch block. Never fails. With a catalogue
    /// installed (installTranslator()), the catalogue's text in its language.
    QString MessaggioErroreITA(int32_t codice);
    /// Appends one line, \a testo ended by CR LF, to a log file; the line is
    /// written with one append, so processes logging to one file never mix
    /// their lines. \a filename is the log file (leading and trailing blanks
    /// removed); omitted, it is the running module's folder + its file name
    /// without extension (or without ".so" and what follows it) + ".log".
    /// With \a data true the line starts with the local time as
    /// "2024-gen-05 14:03:59 " (month abbreviated in the language of
    /// QLocale()). With \a CancellaPrecedente true the file is deleted first;
    /// a missing file then gives false and nothing is written. Returns true
    /// when the line was written, false on any failure (missing folder, no
    /// rights, a full disk).
    bool ScriviLog(const QString &testo, const std::optional<QString> &filename = std::nullopt, bool data = false,
                   bool CancellaPrecedente = false);

    /// The file version of \a file as "major.minor.build.revision" (decimal,
    /// each part 0 to 65535): the version record of our own ELF files (the
    /// control library, the installer), or the file version of the fixed
    /// information of a Windows PE file's version resource. "0.0.0.0" for a
    /// missing file, a file that is not a regular file, and a file without a
    /// version (or whose version structures point outside the file). Throws
    /// qv::Error 75 when the file exists but cannot be opened, 57 when
    /// reading it fails.
    QString GetVersione(const QString &file);
    /// Compares two version texts part by part, as numbers: 1 when
    /// \a VersioneA is higher, -1 when \a VersioneB is, 0 when all four parts
    /// are equal. A missing part repeats the last one present ("1.2" reads as
    /// 1.2.2.2); each part is read leniently (leading blanks skipped, reading
    /// stops at the first character that cannot continue a number, no digits
    /// is 0). Throws qv::Error 6 ("Overflow") when a part leaves the 16-bit
    /// range (above 32767 or below -32768).
    int32_t ConfrontaVersione(const QString &VersioneA, const QString &VersioneB);
    /// Runs the program of the command line \a ToRun (followed by one blank
    /// and \a COMMANDLINE when that is given) and waits for it to end; the
    /// calling thread is blocked meanwhile. The command line is split into
    /// words as a shell splits them (blanks separate words; quotes and
    /// backslashes protect them) but never passed to a shell: no variables,
    /// patterns or redirections. The program is looked for in $PATH when its
    /// name has no "/"; it inherits the environment, the current folder and
    /// the open files. True when the program ran to its end, whatever its exit
    /// status; false when it could not be started (missing, not executable,
    /// an empty command line or an unbalanced quote).
    bool ShellSospensiva(const QString &ToRun, const std::optional<QString> &COMMANDLINE = std::nullopt);
    /// Paints a vertical gradient of horizontal bands on the background of
    /// \a InputForm, top to bottom, in pixels: \a PassoA bands (default 60)
    /// of the widget's inner height / PassoA each, their edges on the nearest
    /// row (halves to even), as wide as the widget. The first band has the
    /// colour \a ColoreIniziale (0x00BBGGRR: red in the low byte; default
    /// 0xFF0000, pure blue); in each next band every channel that starts above
    /// 0 is lower by \a PassoB (default 4), modulo 256: a channel that goes
    /// below 0 wraps to the top. An invalid QVariant is an argument left out.
    /// The bands stay the widget's background, painted below its children and
    /// kept when the widget is covered and uncovered or repainted, until the
    /// next call; they keep the size they were painted at when the widget
    /// grows. No bands when PassoA is below 1; nothing for a null widget.
    /// Throws qv::Error 13 ("Tipo non corrispondente") when an argument given
    /// is not a number.
    void SfumaForm(QWidget *InputForm, const QVariant &ColoreIniziale = QVariant(), const QVariant &PassoA = QVariant(),
                   const QVariant &PassoB = QVariant());
    /// The code of the user's decimal separator (QLocale()'s way of writing
    /// 1.2): 44 for ",", 46 for "."; 0 for any other character.
    uint8_t GetSeparatoreDecimale();
    /// The code of the user's thousands separator (QLocale()'s way of writing
    /// 1000): 44 for ",", 46 for "."; 0 for another character (a blank) and
    /// for a locale that does not group four digits.
    uint8_t GetSeparatoreMigliaia();

    /// Expands the SZDD-compressed file \a sorgente ("compress" of MS-DOS and
    /// Windows) into \a destinazione, or copies it as it is when it is not
    /// compressed. True when the destination was written whole. False for a
    /// missing or empty source, a damaged or truncated compressed file (the
    /// size in its header must match), or a destination that cannot be
    /// written; a failure leaves no partial destination and an existing
    /// destination untouched.
    bool Decomprimi(const QString &sorgente, const QString &destinazione);

    /// Registers the component \a pathfile by its kind, from the end of its
    /// name (case-blind): a library (".ocx", ".dll", ".so" or ".so." and a
    /// version such as ".so.1") is loaded and its DllRegisterServer called; a
    /// program (".exe") is run with the argument "/REGSERVER" and waited for.
    /// True when the entry point reports success (a non-negative result) or
    /// the program ends with status 0. False for a path of fewer than 5
    /// characters, a file of another kind, a library that cannot be loaded or
    /// has no entry point, and a failed registration. A loaded library stays
    /// loaded until the program ends.
    bool RegistraServer(const QString &pathfile);
    /// Unregisters \a pathfile as RegistraServer() registers it, through
    /// DllUnregisterServer or the argument "/UNREGSERVER".
    bool DeRegistraServer(const QString &pathfile);
    /// Counts one more use of the shared file \a pathfile: the number value
    /// named by the path under the local-machine key
    /// "SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDLLs" (created when
    /// missing) goes up by one. A file without a count gets 1 when
    /// \a esisteGia (it was there before this installation), else 0. False
    /// when the count cannot be read as a 32-bit number or written.
    bool SetFileShared(const QString &pathfile, bool esisteGia);
    /// Counts one use less of \a pathfile: a count of 1 or more goes down by
    /// one; a count below 1 is deleted. False when there is no count, or it
    /// cannot be written or deleted.
    bool DecFileShared(const QString &pathfile);
    /// The full path of the library that serves the registered class
    /// \a progId (its "InprocServer32" entry in the classes root); the empty
    /// text when the class or the entry is missing.
    QString PathServerOcx(const QString &progId);
    /// The program that serves the registered class \a progId (its
    /// "LocalServer32" entry, path and arguments as registered); empty when
    /// missing.
    QString PathServerExe(const QString &progId);
    /// Creates the launcher \a lnk_pathname for the program \a file, started
    /// in the folder \a dir_lavoro with the program's own icon: a freedesktop
    /// ".desktop" file (a name ending in ".lnk" gets ".desktop" instead, any
    /// other name without it gets ".desktop" appended) named after the
    /// launcher's file name. It is written whole or not at all. False when it
    /// cannot be written, or a text holds a line break.
    bool CreaCollegamento(const QString &lnk_pathname, const QString &file, const QString &dir_lavoro);
    /// The code of the running system: 0 when the query fails or the platform
    /// is not a Windows family (Linux: platform 3), 1 Win32s, 2 Windows NT
    /// before 4, 3 Windows 95, 4 Windows NT 4, 5 Windows 98, 6 Windows
    /// Millennium, 7 Windows 2000, 8 Windows XP and later.
    int32_t InfoSO();

    /// True exactly when the system version can be read and names the
    /// Windows NT family (platform identifier 2). Always false on Linux,
    /// whose platform identifier is 3; false as well when the query fails.
    bool IsWindowsNT();

    /// The name of the running system (empty for a platform that is not a
    /// Windows family, such as Linux), one blank, major.minor.build, one
    /// blank, then the 128 characters of the system's service-pack field as
    /// they stand, NUL characters padding the text (on Linux the kernel's
    /// version text). The empty text when the query fails.
    QString InfoSOVersione();
    /// Suspends the calling thread for \a millisecondi milliseconds; a
    /// negative time returns at once.
    void Sleep(int32_t millisecondi);

    /// The folder (with trailing "/") of the program \a applicazione as its
    /// App Paths entry of the local-machine key store records it (default
    /// value of "SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\"
    /// + \a applicazione); the empty text when there is no entry.
    QString CartellaApplicazione(const QString &applicazione);
    /// The text of \a filename up to and including its last "/" or "\"; empty
    /// when it has none, or when its only one is a leading "\". A file of the
    /// root folder ("/vmlinuz") gives "/".
    QString EstraiPath(const QString &filename);

    /// A value of the installed-program entry \a chiave (local-machine key
    /// "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\" + \a chiave):
    /// \a subchiave 0 "ApplicationName", 1 "DisplayName", 2 "UninstallString",
    /// 3 "AppToUninstall", any other number the key's default value. The
    /// empty text when the key or the value is missing.
    QString GetInfoDisinstallazione(const QString &chiave, int32_t subchiave);
    /// Writes \a valore as the text value of the entry chosen as in
    /// GetInfoDisinstallazione(), creating the key when \a crea is true.
    /// True when it was written; false when the key is missing and \a crea
    /// is false.
    bool SetInfoDisinstallazione(const QString &chiave, int32_t subchiave, const QString &valore, bool crea);
};

} // namespace qv
