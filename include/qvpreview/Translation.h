// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#pragma once

#include <qvpreview/Export.h>

#include <QLocale>

namespace qv {

/// Puts the component's texts into the language of \a locale: the preview
/// window, its dialogs, the installer's window, the messages and the error
/// catalogue's descriptions (the error numbers stay). The component's own
/// texts are Italian; without a call (or for Italian) they stay exactly as
/// they are. The component ships an English catalogue (qvpreview_en.qm).
///
/// The catalogue for \a locale's first user-interface language that the
/// component has is installed on the application with QTranslator, together
/// with Qt's own catalogue for that language (qtbase_XX from Qt's translation
/// folder, where installed), so that Qt's dialogs inside the component, such
/// as the file dialog of the print options, speak the same language. For
/// Italian only Qt's catalogue is loaded. The catalogue is looked for in the
/// installed folder (share/qvpreview1/translations beside the library's lib
/// folder) first, then in the copy built into the library.
///
/// Each call replaces the catalogues that an earlier call installed;
/// QLocale::c() only removes them, back to the Italian texts. A host calls it
/// once, after creating its QApplication:
/// \code
/// QApplication app(argc, argv);
/// qv::installTranslator(QLocale::system()); // English under LANG=en_US.UTF-8
/// \endcode
/// \return true when the component now speaks \a locale's language (always
/// for Italian and QLocale::c()); false when the component has no catalogue
/// for it, and so stays Italian and installs nothing, or when there is no
/// QCoreApplication yet.
QV_EXPORT bool installTranslator(const QLocale &locale);

} // namespace qv
