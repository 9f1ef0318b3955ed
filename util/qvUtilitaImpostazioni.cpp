// qvPreview - print preview for Qt applications.
// qvUtilita: settings in INI files.
#include <qvpreview/qvUtilita.h>

#include "platform/FileSystem.h"
#include "util/FileIni.h"
#include "util/Testo.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace qv {

namespace {

/// A profile read gives at most this many characters (a buffer of 2000
/// with its terminating NUL).
constexpr qsizetype ProfileValueLength = 1999;

} // namespace

QString qvUtilita::LeggiINI(const QString &fileINI, const QString &Sezione, const QString &chiave,
                            const QString &DefaultValore)
{
    QFile file(fileINI);
    if (!file.open(QIODevice::ReadOnly))
        return DefaultValore;
    const std::optional<QString> value = FileIni::leggi(file.readAll(), Sezione, chiave);
    const QString trimmed = value ? Testo::trimBlanks(value->left(ProfileValueLength)) : QString();
    return trimmed.isEmpty() ? DefaultValore : trimmed;
}

bool qvUtilita::ScriviINI(const QString &fileINI, const QString &Sezione, const QString &chiave,
                          const QString &valore)
{
    if (fileINI.isEmpty() || !FileIni::nomiValidi(Sezione, chiave, valore))
        return false;
    // Read, change and replace under the folder's lock, so that two writers
    // of one file never lose each other's keys.
    const platform::FolderLock lock(QFileInfo(fileINI).absolutePath());
    QFile file(fileINI);
    QByteArray contents;
    const bool exists = file.exists();
    if (exists) {
        if (!file.open(QIODevice::ReadOnly))
            return false; // never replace what could not be read
        contents = file.readAll();
        file.close();
    }
    const std::optional<QByteArray> updated = FileIni::scrivi(contents, Sezione, chiave, valore);
    if (!updated)
        return false;
    if (exists && *updated == contents)
        return true;
    // Unbuffered, so that a short write shows at once: QSaveFile::commit()
    // does not notice a buffer it could not flush.
    QSaveFile out(fileINI);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (out.write(*updated) != updated->size()) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

} // namespace qv
