// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The INI file model behind LeggiINI and ScriviINI: reading a key and
// setting one on the bytes of a file, so that a write changes one line and
// keeps every other byte of the file as the user wrote it.
//
// Lines end in LF or CR LF; a UTF-8 byte-order mark before the first line is
// skipped. A line is, after its surrounding white space is removed: empty; a
// comment (";" or "#" first); a section header "[name]" (the text after the
// first "]" is ignored); an entry "key=value" (key and value without their
// surrounding white space); or any other text, an entry without a value.
// Entries before the first header belong to no section. Section and key names
// are matched without regard to case, and the first occurrence in the file
// counts, duplicate sections included.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace qv::FileIni {

/// The value of \a key in \a section of the file \a contents, without its
/// surrounding white space; nullopt when the section or the key is missing
/// (or either name is empty).
std::optional<QString> leggi(const QByteArray &contents, const QString &section, const QString &key);

/// The file \a contents with \a key of \a section set to \a value: the
/// entry's line rewritten in place, or a new entry after the section's last
/// entry, or a new section at the end of the file. The new lines end like
/// the file's first line (LF for a file without one). nullopt when a name or
/// the value would break the file's lines (see nomiValidi()).
std::optional<QByteArray> scrivi(const QByteArray &contents, const QString &section, const QString &key,
                                 const QString &value);

/// True when \a section, \a key and \a value can be written: names not empty
/// after trimming, no line break anywhere, no "]" in the section, no "=" in
/// the key and a key that does not start like a comment or a header.
bool nomiValidi(const QString &section, const QString &key, const QString &value);

} // namespace qv::FileIni
