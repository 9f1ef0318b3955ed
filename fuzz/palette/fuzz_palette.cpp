// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// Feeds any bytes to CPalette as a raw palette file and as a palette text
// file. The outcome must be false or one of the documented errors, never a
// crash or an allocation beyond what the file backs up. (Saving and
// reloading is left to the unit tests: every save syncs to disk, which would
// slow the fuzzer a hundredfold.)
#include "qvpreview/CPalette.h"
#include "qvpreview/Error.h"

#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdlib>
#include <unistd.h>

namespace {

QString tempPath(const char *name)
{
    return QDir::tempPath() + QStringLiteral("/fuzz_palette_%1_%2").arg(::getpid()).arg(QLatin1String(name));
}

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void rawFile(const QString &input, int32_t start)
{
    qv::CPalette palette;
    int32_t position = start;
    for (int block = 0; block < 16; ++block) {
        const int32_t before = position;
        if (!palette.Load(input, &position)) {
            check(position == before || (before < 1 && position == 0));
            break;
        }
        check(palette.Count() >= 1 && palette.Count() <= qv::CPalette::MaxBlockEntries);
        check(position == std::max(before, 0) + 4 + 4 * palette.Count());
    }
}

void textFile(const QString &input)
{
    qv::CPalette palette;
    try {
        check(palette.LoadFromJASCFile(input));
    } catch (const qv::Error &e) {
        check(e.source() == QLatin1String("qvpreview.cPalette"));
        check(e.number() == qv::ErrTypeMismatch || e.number() == 6);
        check(palette.Count() == 0);
        return;
    }
    for (const qv::PaletteEntry &e : palette.Entries())
        check(e.flags == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString input = tempPath("in");
    {
        QFile file(input);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    rawFile(input, 0);
    rawFile(input, size > 0 ? int32_t(data[0]) - 8 : 0);
    textFile(input);
    return 0;
}
