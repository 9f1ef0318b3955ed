// SPDX-License-Identifier: MIT
// libFuzzer target: any bytes as an INI file. The reader must not crash on
// it, and a write must read back: after setting a key, the key reads as the
// value written and every other key reads as before.
//
// Input: an optional "section|key" header ended by a NUL byte (within the
// first 256 bytes), then the file. Without a header the names are "A" and "k".
#include "util/FileIni.h"

#include <qvpreview/qvUtilita.h>

#include <QDir>
#include <QFile>

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

QString iniPath;

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    const QString folder = QDir::tempPath() + QStringLiteral("/qv-fuzz-ini");
    QDir().mkpath(folder);
    iniPath = folder + QStringLiteral("/prova-%1.ini").arg(::getpid());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    QString section = QStringLiteral("A");
    QString key = QStringLiteral("k");
    const qsizetype nul = input.left(256).indexOf('\0');
    if (nul >= 0) {
        const QString header = QString::fromUtf8(input.left(nul));
        const qsizetype bar = header.indexOf(QLatin1Char('|'));
        section = bar < 0 ? header : header.left(bar);
        key = bar < 0 ? QStringLiteral("k") : header.mid(bar + 1);
        input = input.mid(nul + 1);
    }

    // The reader through the class, on a real file.
    {
        QFile file(iniPath);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(input);
    }
    qv::qvUtilita u;
    (void)u.LeggiINI(iniPath, section, key, QStringLiteral("predefinito"));

    // A write reads back and leaves the other keys alone.
    const QString other = QStringLiteral("altra");
    const std::optional<QString> otherBefore = qv::FileIni::leggi(input, section, other);
    const std::optional<QByteArray> updated = qv::FileIni::scrivi(input, section, key, QStringLiteral("valore"));
    check(updated.has_value() == qv::FileIni::nomiValidi(section, key, QStringLiteral("valore")));
    if (updated) {
        check(qv::FileIni::leggi(*updated, section, key) == QStringLiteral("valore"));
        if (key.trimmed().compare(other, Qt::CaseInsensitive) != 0)
            check(qv::FileIni::leggi(*updated, section, other) == otherBefore);
    }
    QFile::remove(iniPath);
    return 0;
}
