// SPDX-License-Identifier: MIT
// libFuzzer target for the version reader: any bytes, read as a file held in
// memory and through a reader that checks every range it is asked for, give
// the same answer and never a read outside the file; the same bytes as a
// version text are compared, raising at most the overflow error.
#include "util/LetturaVersione.h"

#include <qvpreview/Error.h>
#include <qvpreview/qvUtilita.h>

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A copy of exactly the input's length, so that the sanitizer sees a
    // read past its end.
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto inMemory = qv::LetturaVersione::read(bytes);
    const auto checked = qv::LetturaVersione::read(uint64_t(size), [&](uint64_t offset, char *buffer, size_t length) {
        if (offset > size || length > size - offset)
            std::abort();
        std::memcpy(buffer, bytes.constData() + offset, length);
    });
    if (inMemory != checked)
        std::abort();

    const QString text = QString::fromUtf8(bytes.left(256));
    try {
        const int32_t r = qv::qvUtilita().ConfrontaVersione(text, QStringLiteral("1.2.0.48"));
        if (r < -1 || r > 1)
            std::abort();
    } catch (const qv::Error &e) {
        if (e.number() != qv::ErrOverflow)
            std::abort();
    }
    return 0;
}
