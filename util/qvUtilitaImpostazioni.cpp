// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// qvUtilita: settings in INI files.
#include <qvpreview/qvUtilita.h>

#include "platform/FileSystem.h"
#include "util/FileIni.h"
#include "util/Testo.h"

#include <QFileInfo>

namespace qv {

namespace {

/// A profile read gives at most this many characters (a buffer of 2000
/// with its terminating NUL).
constexpr qsizetype ProfileValueLength = 1999;

/// The largest INI file read or rewritten, in bytes: as many lines as the
/// profile buffer has characters (2000), each as long as that buffer in
/// UTF-8 (at most 4 bytes a character), about 16 MB. A settings file beyond
/// that is not one; a device that reads without end (/dev/zero) never gets
/// this far, since only regular files are read.
constexpr int64_t MaxIniBytes = int64_t(ProfileValueLength + 1) * (ProfileValueLength + 1) * 4;

} // namespace

QString qvUtilita::LeggiINI(const QString &fileINI, const QString &Sezione, const QString &chiave,
                            const QString &DefaultValore)
{
    try {
        QByteArray contents;
        if (platform::readRegularFile(fileINI, MaxIniBytes, contents) != platform::OpenRegularResult::Opened)
            return DefaultValore;
        const std::optional<QString> value = FileIni::leggi(contents, Sezione, chiave);
        const QString trimmed = value ? Testo::trimBlanks(value->left(ProfileValueLength)) : QString();
        return trimmed.isEmpty() ? DefaultValore : trimmed;
    } catch (...) {
        return DefaultValore;
    }
}

bool qvUtilita::ScriviINI(const QString &fileINI, const QString &Sezione, const QString &chiave, const QString &valore)
{
    try {
        if (fileINI.isEmpty() || !FileIni::nomiValidi(Sezione, chiave, valore))
            return false;
        // Read, change and replace under the lock of the folder of the file
        // that is replaced (through a link, the file it points at), so that
        // two writers of one file never lose each other's keys, whatever
        // name each of them knows it by.
        const QString file = platform::fileToReplace(fileINI, platform::LinkAtName::Follow);
        const platform::FolderLock lock(QFileInfo(file).absolutePath());
        QByteArray contents;
        const platform::OpenRegularResult read = platform::readRegularFile(file, MaxIniBytes, contents);
        // A file that cannot be read whole (a read error, a device, a FIFO,
        // one too large) is never replaced.
        if (read != platform::OpenRegularResult::Opened && read != platform::OpenRegularResult::NotFound)
            return false;
        const std::optional<QByteArray> updated = FileIni::scrivi(contents, Sezione, chiave, valore);
        if (!updated)
            return false;
        if (read == platform::OpenRegularResult::Opened && *updated == contents)
            return true;
        return platform::writeFileWhole(file, *updated, platform::LinkAtName::Follow) == 0;
    } catch (...) {
        return false;
    }
}

} // namespace qv
