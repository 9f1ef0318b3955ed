// SPDX-License-Identifier: MIT
// A writer of SZDD files (the LZSS format of MS-DOS and Windows "compress"),
// for tests of the expansion: the header, then groups of eight items, each
// group led by a flag byte (bit set: a literal byte; bit clear: a two-byte
// reference to 3..18 bytes at an absolute position of a 4096-byte window that
// starts filled with blanks, writing from position 4080).
#pragma once

#include <QByteArray>
#include <QtEndian>

#include <algorithm>
#include <cstdint>
#include <optional>

namespace qv::test {

/// Compresses \a data into an SZDD file. With \a matches false every byte is
/// a literal; with true, repeats found in the last 255 bytes (the window's
/// initial blanks included) become references. \a claimedLength replaces the
/// uncompressed size recorded in the header.
inline QByteArray szdd(const QByteArray &data, bool matches = true,
                       std::optional<uint32_t> claimedLength = std::nullopt)
{
    QByteArray out("SZDD\x88\xF0\x27\x33"
                   "A",
                   9);
    out.append('\0'); // missing character: not stored
    char length[4];
    qToLittleEndian<uint32_t>(claimedLength.value_or(uint32_t(data.size())), length);
    out.append(length, 4);

    uint8_t window[4096];
    std::fill(std::begin(window), std::end(window), uint8_t(' '));
    int pos = 4096 - 16;
    qsizetype flagAt = -1;
    int items = 8;
    qsizetype i = 0;
    while (i < data.size()) {
        if (items == 8) {
            flagAt = out.size();
            out.append('\0');
            items = 0;
        }
        int bestLength = 0;
        int bestFrom = 0;
        if (matches) {
            for (int distance = 1; distance <= 255; ++distance) {
                int n = 0;
                // The decoder copies byte by byte, so a reference may run
                // into the bytes it is writing.
                while (n < 18 && i + n < data.size()) {
                    const uint8_t from =
                        n < distance ? window[(pos - distance + n) & 4095] : uint8_t(data.at(i + n - distance));
                    if (from != uint8_t(data.at(i + n)))
                        break;
                    ++n;
                }
                if (n > bestLength) {
                    bestLength = n;
                    bestFrom = (pos - distance) & 4095;
                }
            }
        }
        if (bestLength >= 3) {
            out.append(char(bestFrom & 0xFF));
            out.append(char(((bestFrom >> 4) & 0xF0) | (bestLength - 3)));
        } else {
            bestLength = 1;
            out[flagAt] = char(uint8_t(out.at(flagAt)) | (1u << items));
            out.append(data.at(i));
        }
        for (int n = 0; n < bestLength; ++n) {
            window[pos] = uint8_t(data.at(i + n));
            pos = (pos + 1) & 4095;
        }
        i += bestLength;
        ++items;
    }
    return out;
}

} // namespace qv::test
