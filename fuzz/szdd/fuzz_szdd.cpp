// SPDX-License-Identifier: MIT
// libFuzzer target: any bytes as the source of Decomprimi. The expansion
// must never crash, and must either write the whole result (for an SZDD
// file, exactly the size its header records) or leave the destination as it
// was, with no partial file beside it.
#include "platform/FileSystem.h"

#include <qvpreview/qvUtilita.h>

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

QString folder;

void check(bool condition)
{
    if (!condition)
        std::abort();
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    folder = QDir::tempPath() + QStringLiteral("/qv-fuzz-szdd-%1/").arg(::getpid());
    QDir().mkpath(folder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString source = folder + QStringLiteral("sorgente._");
    const QString destination = folder + QStringLiteral("destinazione");
    {
        QFile file(source);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(input);
        QFile old(destination);
        if (!old.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        old.write("precedente");
    }
    using qv::platform::ExpandResult;
    const ExpandResult result = qv::platform::expandFile(source, destination);
    const QByteArray after = readAll(destination);
    check(QDir(folder).entryList(QDir::Files).size() == 2); // no temporary file left
    check(readAll(source) == input);
    switch (result) {
    case ExpandResult::Failed: check(after == "precedente"); break;
    case ExpandResult::Copied: check(after == input && !input.isEmpty()); break;
    case ExpandResult::Expanded: {
        // The size recorded in the header: after 10 bytes in the usual
        // format, after 8 in the QBasic one.
        const qsizetype at = input.startsWith("SZDD") ? 10 : 8;
        check(input.size() >= at + 4);
        check(!after.isEmpty() && after.size() == qsizetype(qFromLittleEndian<uint32_t>(input.constData() + at)));
        break;
    }
    }
    return 0;
}
