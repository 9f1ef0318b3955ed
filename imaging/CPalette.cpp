// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "qvpreview/CPalette.h"

#include "qvpreview/Error.h"

#include "platform/FileSystem.h"

#include <QByteArrayView>
#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <ostream>

namespace qv {

namespace {

const QString kSource = QStringLiteral("qvpreview.cPalette");

[[noreturn]] void raise(int number)
{
    throw Error(number, kSource, errorText(number));
}

/// An error of the palette text file \a file, found on its 1-based \a line
/// (0: not on a line): the file and line go into the error, and into its
/// detail, as the catalogue's text does not name them.
void inFile(Error &e, const QString &file, int64_t line)
{
    e.at(file, line);
    e.withDetail(line > 0 ? QCoreApplication::translate("qv::CPalette", "file \"%1\", riga %2").arg(file).arg(line)
                          : QCoreApplication::translate("qv::CPalette", "file \"%1\"").arg(file));
}

// The error of a file that could not be opened.
int openErrorNumber(const QString &path, bool forReading)
{
    const QFileInfo info(path);
    if (!path.isEmpty() && !QFileInfo(info.absolutePath()).isDir())
        return ErrPathNotFound;
    if (forReading && !info.exists())
        return ErrFileNotFound;
    return ErrPathFileAccess;
}

// The error of a write or read that failed on an open file.
int ioErrorNumber(const QFileDevice &file)
{
    switch (file.error()) {
    case QFileDevice::ResourceError: return ErrDiskFull; // ENOSPC ends up here
    case QFileDevice::RenameError:
    case QFileDevice::PermissionsError:
    case QFileDevice::OpenError: return ErrPathFileAccess;
    default: return ErrDeviceIO;
    }
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// A whole number read from text: optional sign, decimal digits, an optional
// fraction after '.', rounded to nearest with halves to even, exactly (no
// binary floating point in between). Surrounding blanks are ignored.
// Magnitudes beyond 10^15 saturate there: every caller treats them as out of
// range. nullopt when the text is not such a number.
std::optional<int64_t> parseRounded(QByteArrayView text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && isBlank(text[b]))
        ++b;
    while (e > b && isBlank(text[e - 1]))
        --e;
    bool negative = false;
    if (b < e && (text[b] == '+' || text[b] == '-')) {
        negative = text[b] == '-';
        ++b;
    }
    constexpr int64_t kLimit = 1'000'000'000'000'000;
    int64_t value = 0;
    int digits = 0;
    for (; b < e && text[b] >= '0' && text[b] <= '9'; ++b, ++digits)
        value = std::min(kLimit, value * 10 + (text[b] - '0'));
    enum { Down, Tie, Up } fraction = Down;
    if (b < e && text[b] == '.') {
        ++b;
        bool first = true;
        for (; b < e && text[b] >= '0' && text[b] <= '9'; ++b, ++digits) {
            const int d = text[b] - '0';
            if (first)
                fraction = d > 5 ? Up : d == 5 ? Tie : Down;
            else if (fraction == Tie && d != 0)
                fraction = Up;
            first = false;
        }
    }
    if (digits == 0 || b != e)
        return std::nullopt;
    if (fraction == Up || (fraction == Tie && (value & 1)))
        value = std::min(kLimit, value + 1);
    return negative ? -value : value;
}

// An index given as any value: a whole number, or throws 13 when it is none.
int64_t indexValue(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        raise(ErrTypeMismatch);
    switch (v.typeId()) {
    case QMetaType::Bool: return v.toBool() ? -1 : 0; // true is -1 as a number
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::SChar:
    case QMetaType::Char: return v.toLongLong();
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::UShort:
    case QMetaType::UChar: return int64_t(std::min<qulonglong>(v.toULongLong(), qulonglong(INT64_MAX)));
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = v.toDouble();
        if (std::isnan(d))
            raise(ErrTypeMismatch);
        if (std::fabs(d) > 1e15)
            return d < 0 ? INT64_MIN : INT64_MAX;
        return int64_t(std::nearbyint(d)); // the default rounding: halves to even
    }
    case QMetaType::QString: {
        if (const auto n = parseRounded(v.toString().toUtf8()))
            return *n;
        raise(ErrTypeMismatch);
    }
    case QMetaType::QByteArray:
        if (const auto n = parseRounded(v.toByteArray()))
            return *n;
        raise(ErrTypeMismatch);
    default: raise(ErrTypeMismatch);
    }
}

// A colour component from one field of a palette text file.
uint8_t componentValue(QByteArrayView field)
{
    const auto n = parseRounded(field);
    if (!n)
        raise(ErrTypeMismatch);
    if (*n < 0 || *n > 255)
        raise(ErrOverflow);
    return uint8_t(*n);
}

} // namespace

QDebug operator<<(QDebug debug, const PaletteEntry &e)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "PaletteEntry(" << e.red << ", " << e.green << ", " << e.blue << ", flags " << e.flags << ')';
    return debug;
}

void PrintTo(const PaletteEntry &e, std::ostream *os)
{
    *os << '(' << int(e.red) << ", " << int(e.green) << ", " << int(e.blue) << ", flags " << int(e.flags) << ')';
}

CPalette::CPalette(QObject *parent) : QObject(parent) {}

CPalette::~CPalette() = default;

void CPalette::Add(uint8_t Red, uint8_t Green, uint8_t Blue)
{
    m_entries.push_back(PaletteEntry{Red, Green, Blue, 0});
}

int32_t CPalette::ClosestIndex(int32_t Red, int32_t Green, int32_t Blue) const
{
    int32_t best = 0;
    int64_t bestDistance = 255 + 255 + 255;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const PaletteEntry &e = m_entries[i];
        if (e.red == Red && e.green == Green && e.blue == Blue)
            return int32_t(i + 1);
        const int64_t distance =
            std::abs(int64_t(Red) - e.red) + std::abs(int64_t(Green) - e.green) + std::abs(int64_t(Blue) - e.blue);
        if (distance < bestDistance) {
            best = int32_t(i + 1);
            bestDistance = distance;
        }
    }
    return best;
}

int32_t CPalette::Count() const
{
    return int32_t(m_entries.size());
}

uint8_t CPalette::component(const QVariant &iIndex, int which) const
{
    const int64_t index = indexValue(iIndex);
    if (index < 1 || index > int64_t(m_entries.size()))
        raise(ErrSubscriptOutOfRange);
    const PaletteEntry &e = m_entries[std::size_t(index - 1)];
    return which == 0 ? e.red : which == 1 ? e.green : e.blue;
}

uint8_t CPalette::Red(const QVariant &iIndex) const
{
    return component(iIndex, 0);
}

uint8_t CPalette::Green(const QVariant &iIndex) const
{
    return component(iIndex, 1);
}

uint8_t CPalette::Blue(const QVariant &iIndex) const
{
    return component(iIndex, 2);
}

PaletteEntry CPalette::Entry(int32_t index) const
{
    if (index < 1 || index > Count())
        raise(ErrSubscriptOutOfRange);
    return m_entries[std::size_t(index - 1)];
}

void CPalette::reset(int32_t count)
{
    m_entries.assign(std::size_t(count), PaletteEntry{});
}

void CPalette::set(int32_t index, uint8_t r, uint8_t g, uint8_t b)
{
    m_entries[std::size_t(index - 1)] = PaletteEntry{r, g, b, 0};
}

// Entries s+1 to s+7: the seven dark colours and light grey.
void CPalette::ColoriScuri(int32_t s)
{
    set(s + 1, 128, 0, 0);
    set(s + 2, 0, 128, 0);
    set(s + 3, 128, 128, 0);
    set(s + 4, 0, 0, 128);
    set(s + 5, 128, 0, 128);
    set(s + 6, 0, 128, 128);
    set(s + 7, 192, 192, 192);
}

// Entries s to s+7: dark grey and the seven bright colours.
void CPalette::ColoriChiari(int32_t s)
{
    set(s, 128, 128, 128);
    set(s + 1, 255, 0, 0);
    set(s + 2, 0, 255, 0);
    set(s + 3, 255, 255, 0);
    set(s + 4, 0, 0, 255);
    set(s + 5, 255, 0, 255);
    set(s + 6, 0, 255, 255);
    set(s + 7, 255, 255, 255);
}

void CPalette::CreateWebSafe()
{
    reset(256);
    ColoriScuri(1);
    ColoriChiari(248);
    int32_t n = 9;
    for (int b = 0; b <= 255; b += 51) {
        for (int g = 0; g <= 255; g += 51) {
            for (int r = 0; r <= 255; r += 51) {
                // The eight corners of the cube are already among the fixed colours.
                const bool corner = (r == 0 || r == 255) && (g == 0 || g == 255) && (b == 0 || b == 255);
                if (!corner)
                    set(n++, uint8_t(r), uint8_t(g), uint8_t(b));
            }
        }
    }
    for (int32_t i = 217; i <= 247; ++i) {
        const auto grey = uint8_t(8 * (i - 216));
        set(i, grey, grey, grey);
    }
}

void CPalette::CreateHalfTone()
{
    reset(256);
    int32_t n = 1;
    for (int b = 0; b <= 256; b += 64) {
        for (int g = 0; g <= 256; g += 64) {
            for (int r = 0; r <= 256; r += 64)
                set(n++, uint8_t(std::min(r, 255)), uint8_t(std::min(g, 255)), uint8_t(std::min(b, 255)));
        }
    }
}

void CPalette::CreateMono()
{
    reset(2);
    set(2, 255, 255, 255);
}

void CPalette::Create16Colour()
{
    reset(16);
    ColoriScuri(1);
    ColoriChiari(9);
}

void CPalette::EraseNodes()
{
    m_nodes.clear();
    m_nodes.shrink_to_fit();
    m_freeNode = 0;
}

void CPalette::Clear()
{
    m_entries.clear();
    m_entries.shrink_to_fit();
}

bool CPalette::Load(const QString &sFileName, int32_t *lPosition)
{
    // Only a regular file: a device or a pipe is refused, never read from or
    // waited on. Its length does not matter, as only one block is read.
    QFile file;
    if (platform::openRegularFile(file, sFileName, std::numeric_limits<int64_t>::max())
        != platform::OpenRegularResult::Opened)
        return false;
    int64_t position = lPosition ? *lPosition : 0;
    if (position < 1) {
        position = 0;
        if (lPosition)
            *lPosition = 0;
    } else if (!file.seek(position)) {
        return false;
    }

    char head[4];
    if (file.read(head, 4) != 4)
        return false;
    const auto count = qFromLittleEndian<int32_t>(head);
    if (count < 1 || count > MaxBlockEntries)
        return false;
    const int64_t blockBytes = int64_t(count) * 4;
    // Allocate only what the file can back up.
    if (!file.isSequential() && file.size() - position - 4 < blockBytes)
        return false;
    const int64_t next = position + 4 + blockBytes;
    if (next > std::numeric_limits<int32_t>::max())
        return false;
    const QByteArray bytes = file.read(blockBytes);
    if (bytes.size() != blockBytes)
        return false;

    std::vector<PaletteEntry> entries(std::size_t(count), PaletteEntry{});
    for (int32_t i = 0; i < count; ++i) {
        const char *p = bytes.constData() + 4 * i;
        entries[std::size_t(i)] = PaletteEntry{uint8_t(p[0]), uint8_t(p[1]), uint8_t(p[2]), uint8_t(p[3])};
    }
    m_entries = std::move(entries);
    if (lPosition)
        *lPosition = int32_t(next);
    return true;
}

bool CPalette::Save(const QString &sFileName, int32_t lPosition)
{
    // The new file goes to a temporary file in the same folder and replaces
    // the old one only once it is complete.
    // Unbuffered, so that a short write shows in write()'s result: a buffered
    // QSaveFile flushes inside commit() and does not see it fail.
    QSaveFile file(sFileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    // A hole read back as zero bytes.
    if (lPosition >= 1 && !file.seek(lPosition)) {
        file.cancelWriting();
        return false;
    }
    char head[4];
    qToLittleEndian<int32_t>(Count(), head);
    if (file.write(head, 4) != 4) {
        file.cancelWriting();
        return false;
    }
    if (m_entries.empty()) {
        // An empty palette has no entries to write: the count stays on its own.
        file.commit();
        raise(ErrSubscriptOutOfRange);
    }
    QByteArray bytes(qsizetype(m_entries.size()) * 4, Qt::Uninitialized);
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const PaletteEntry &e = m_entries[i];
        char *p = bytes.data() + 4 * i;
        p[0] = char(e.red);
        p[1] = char(e.green);
        p[2] = char(e.blue);
        p[3] = char(e.flags);
    }
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool CPalette::SaveToJASCFile(const QString &sFileName)
{
    try {
        QByteArray text;
        text.reserve(16 + qsizetype(m_entries.size()) * 13);
        text += "JASC\r\n0100\r\n";
        text += QByteArray::number(Count());
        for (const PaletteEntry &e : m_entries) {
            text += "\r\n";
            text += QByteArray::number(e.red);
            text += ' ';
            text += QByteArray::number(e.green);
            text += ' ';
            text += QByteArray::number(e.blue);
        }

        QSaveFile file(sFileName); // unbuffered: see Save()
        if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            raise(openErrorNumber(sFileName, false));
        if (file.write(text) != text.size()) {
            const int number = ioErrorNumber(file);
            file.cancelWriting();
            raise(number);
        }
        if (!file.commit())
            raise(ioErrorNumber(file));
        return true;
    } catch (Error &e) {
        inFile(e, sFileName, 0);
        throw;
    }
}

bool CPalette::LoadFromJASCFile(const QString &sFileName)
{
    int64_t lineNumber = 0; // the line being read; 0 before the first
    try {
        Clear();
        // Only a regular file of bounded length is read whole: a device such as
        // /dev/zero would grow the text without end, and a FIFO would block.
        QFile file;
        switch (platform::openRegularFile(file, sFileName, MaxTextFileBytes)) {
        case platform::OpenRegularResult::Opened: break;
        case platform::OpenRegularResult::NotRegular: raise(ErrPathFileAccess);
        case platform::OpenRegularResult::TooLarge: raise(ErrOutOfMemory);
        case platform::OpenRegularResult::NotFound:
        case platform::OpenRegularResult::Failed: raise(openErrorNumber(sFileName, true));
        }
        // The file's length, and one byte more: a file that grew past the limit
        // since it was examined shows so.
        const QByteArray text = file.read(std::min<qint64>(file.size(), MaxTextFileBytes) + 1);
        if (file.error() != QFileDevice::NoError)
            raise(ioErrorNumber(file));
        if (text.size() > MaxTextFileBytes)
            raise(ErrOutOfMemory);
        file.close();

        std::vector<PaletteEntry> entries;
        const QByteArrayView all(text);
        qsizetype start = 0;
        while (start <= all.size()) {
            qsizetype end = all.indexOf(QByteArrayView("\r\n"), start);
            if (end < 0)
                end = all.size();
            const QByteArrayView line = all.sliced(start, end - start);
            start = end + 2;
            ++lineNumber;

            // Exactly three fields: exactly two spaces.
            const qsizetype first = line.indexOf(' ');
            if (first < 0)
                continue;
            const qsizetype second = line.indexOf(' ', first + 1);
            if (second < 0 || line.indexOf(' ', second + 1) >= 0)
                continue;
            if (entries.size() >= std::size_t(std::numeric_limits<int32_t>::max()))
                raise(ErrOverflow);
            entries.push_back(PaletteEntry{componentValue(line.first(first)),
                                           componentValue(line.sliced(first + 1, second - first - 1)),
                                           componentValue(line.sliced(second + 1)), 0});
        }
        m_entries = std::move(entries);
        return true;
    } catch (Error &e) {
        inFile(e, sFileName, lineNumber);
        throw;
    }
}

} // namespace qv
