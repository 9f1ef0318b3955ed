// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// CPalette: a 1-based colour table with standard palettes, nearest-colour
// lookup, raw palette blocks and palette text files.
#pragma once

#include <qvpreview/Export.h>

#include <QObject>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <iosfwd>
#include <vector>

class QDebug;

namespace qv {

/// One colour of a palette: 4 bytes as stored in a raw palette block.
///
/// For example (examples/tour/main.cpp, which CI runs):
/// \snippet tour/main.cpp PaletteEntry
struct QV_EXPORT PaletteEntry
{
    uint8_t red = 0;   ///< red component, 0 to 255
    uint8_t green = 0; ///< green component, 0 to 255
    uint8_t blue = 0;  ///< blue component, 0 to 255
    uint8_t flags = 0; ///< not interpreted; 0 for entries this class makes, as read by Load()

    /// Equal when all four bytes are, flags included.
    bool operator==(const PaletteEntry &) const = default;
};

/// Writes \a entry to a debug stream: its red, green, blue and flags.
QV_EXPORT QDebug operator<<(QDebug debug, const PaletteEntry &entry);
/// Prints \a entry in GoogleTest's failure messages.
QV_EXPORT void PrintTo(const PaletteEntry &entry, std::ostream *os);

/// An ordered list of RGB colours, indexed from 1.
///
/// Errors are thrown as qv::Error with the source "qvpreview.cPalette":
/// - 9 "Indice non compreso nell'intervallo": Red(), Green(), Blue(), Entry()
///   with an index outside 1..Count(); Save() of an empty palette.
/// - 13 "Tipo non corrispondente": an index that is not a number; a field of
///   a palette text file that is empty or not a number.
/// - 6 "Overflow": a field of a palette text file outside 0..255.
/// - 53 "Impossibile trovare il file", 76 "Impossibile trovare il percorso ",
///   75 "Errore di accesso al percorso/file", 57 "Errore di I/O periferica",
///   61 "Disco pieno": a palette text file that cannot be read or written
///   (75 also for one that is no regular file: a device or a pipe).
///
/// An error of LoadFromJASCFile() or SaveToJASCFile() names the text file in
/// Error::file() and, for a bad colour line, its 1-based line in
/// Error::line(); its Error::detail() says the same ("file \"p.pal\", riga 4"),
/// beside the catalogue's text.
/// - 7 "Memoria esaurita": a palette text file longer than MaxTextFileBytes.
///
/// Numbers in palette text files and in text indices are read in one fixed
/// form, whatever the user's locale: an optional sign, decimal digits and an
/// optional fraction after ".", rounded to the nearest whole number with
/// halves to even ("2.5" is 2, "3.5" is 4). Blanks other than the space that
/// separates fields (tabs, a stray carriage return) around a number are
/// ignored. Thousands separators, "," and exponents are not numbers.
///
/// The signals are part of the class's event interface; no operation of this
/// class emits them.
///
/// For example (examples/tour/main.cpp, which CI runs):
/// \snippet tour/main.cpp CPalette
class QV_EXPORT CPalette : public QObject
{
    Q_OBJECT

public:
    /// The largest count that Load() accepts in a raw palette block.
    static constexpr int32_t MaxBlockEntries = 4097;
    /// The longest palette text file that LoadFromJASCFile() reads: 8 MiB.
    static constexpr int64_t MaxTextFileBytes = 8 * 1024 * 1024;

    /// A new palette is empty.
    explicit CPalette(QObject *parent = nullptr);
    ~CPalette() override;

    /// Appends one entry (flags 0).
    void Add(uint8_t Red, uint8_t Green, uint8_t Blue);

    /// The 1-based index of the entry nearest to the colour by the sum of
    /// the three component differences; the first exact match wins at once,
    /// and among equally near entries the first wins. 0 for an empty palette
    /// or when every entry is 765 or more away.
    int32_t ClosestIndex(int32_t Red, int32_t Green, int32_t Blue) const;

    /// Number of entries.
    int32_t Count() const;

    /// A component of entry \a iIndex (1-based). \a iIndex may be any number
    /// or a text holding one (rounded, halves to even); throws 9 when it is
    /// outside 1..Count(), 13 when it is not a number (an invalid QVariant
    /// included).
    uint8_t Red(const QVariant &iIndex) const;
    /// The green component of entry \a iIndex, with the errors of Red().
    uint8_t Green(const QVariant &iIndex) const;
    /// The blue component of entry \a iIndex, with the errors of Red().
    uint8_t Blue(const QVariant &iIndex) const;
    /// The whole entry \a index (1-based), flags included; throws 9 outside 1..Count().
    PaletteEntry Entry(int32_t index) const;
    /// All entries, entry 1 first.
    const std::vector<PaletteEntry> &Entries() const { return m_entries; }

    /// The web-safe palette: 256 entries; 1 black, 2-8 the dark colours,
    /// 9-216 the 6x6x6 cube without its eight corner colours, 217-247 a grey
    /// ramp 8..248, 248-255 the light colours, 256 black.
    void CreateWebSafe();
    /// The halftone palette: 256 entries; 1-125 the 5x5x5 cube of the levels
    /// 0, 64, 128, 192, 255 (red fastest, blue slowest), 126-256 black.
    void CreateHalfTone();
    /// Black and white.
    void CreateMono();
    /// The 16 colours of the classic 16-colour display.
    void Create16Colour();

    /// Releases the colour-tree node store; the entries are unchanged.
    void EraseNodes();
    /// Removes every entry.
    void Clear();

    /// Reads a raw palette block (a 32-bit little-endian count, then 4 bytes
    /// per entry: red, green, blue, flags) at byte offset \a lPosition of the
    /// file (nullptr or a value below 1: the start of the file, and 0 is
    /// written back). True when a block of 1 to 4097 entries was read in
    /// full; \a lPosition then points just past it. On false the palette and
    /// \a lPosition (apart from the 0 above) are unchanged. Only a regular
    /// file is read: a folder, a device or a pipe gives false at once.
    bool Load(const QString &sFileName, int32_t *lPosition = nullptr);
    /// Writes the raw palette block at byte offset \a lPosition of a new file
    /// that replaces \a sFileName (the bytes before the offset are zero).
    /// The file is replaced only once it has been written in full: on false
    /// the old file is intact. The new file is written beside the old one
    /// and renamed over it, so the folder must be writable. An empty palette
    /// writes the count 0 and then throws 9.
    bool Save(const QString &sFileName, int32_t lPosition = 0);

    /// Writes the palette text file: "JASC", "0100", the count, then one
    /// "red green blue" line per entry, lines ended by CR LF except the last.
    /// True, or throws; the old file is replaced only once the new one has
    /// been written in full (beside it, in the same folder).
    bool SaveToJASCFile(const QString &sFileName);
    /// Replaces the entries by every line of the file that holds exactly
    /// three fields separated by single spaces (lines end with CR LF; the
    /// count line is not used). True, or throws with the palette left empty:
    /// 53 or 76 for a missing file or folder, 75 for a file that cannot be
    /// opened or is no regular file (a folder, a device, a pipe: none is read
    /// or waited on), 7 for a file longer than MaxTextFileBytes, 57 for a
    /// read that fails, 13 or 6 for a bad colour line.
    bool LoadFromJASCFile(const QString &sFileName);

Q_SIGNALS:
    /// A long operation starts and will report up to \a Max steps (not emitted; see the class).
    void InitProgress(int32_t Max);
    /// A long operation reached step \a lPosition (not emitted; see the class).
    void Progress(int32_t lPosition);
    /// A long operation ended after \a lTimeMs milliseconds (not emitted; see the class).
    void Complete(int32_t lTimeMs);

private:
    uint8_t component(const QVariant &iIndex, int which) const;
    void reset(int32_t count);
    void ColoriScuri(int32_t s);
    void ColoriChiari(int32_t s);
    void set(int32_t index, uint8_t r, uint8_t g, uint8_t b);

    struct ColourNode
    {
        int32_t children[8] = {};
        int32_t next = 0;
    };

    std::vector<PaletteEntry> m_entries;
    std::vector<ColourNode> m_nodes; // the colour-tree store; nothing adds to it yet
    int32_t m_freeNode = 0;
};

} // namespace qv
