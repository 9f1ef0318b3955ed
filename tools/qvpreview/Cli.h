// SPDX-License-Identifier: MIT
// What the commands of qvpreview share: the streams they write to, the exit
// codes, the messages of a failure, the parsed options and their checks.
#pragma once

#include <qvpreview/Error.h>

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <cstdint>
#include <limits>
#include <map>
#include <optional>

namespace qvcli {

enum ExitCode { Ok = 0, Failure = 1, Usage = 2 };

/// The standard output and error streams.
QTextStream &out();
QTextStream &err();

/// Tells \a message and where to find the usage; returns Usage.
int usageError(const QString &message);
/// Tells \a message; returns Failure.
int failure(const QString &message);
/// An error of the library as the user reads it: number, source and description.
QString describe(const qv::Error &e);

/// Command-line options after the command and the file.
struct Options
{
    std::map<QString, QString> values;
    QStringList positional;
};

/// \a text as a whole number from \a minimum to \a maximum, or nothing.
std::optional<int> parseInt(const QString &text, int minimum, int maximum);

/// The highest page number a document can have: pages are counted in 32 bits.
constexpr int MaxPage = std::numeric_limits<int32_t>::max();

/// Whether \a path names a readable file; if not, \a message says why.
bool checkReadable(const QString &path, QString &message);

} // namespace qvcli
