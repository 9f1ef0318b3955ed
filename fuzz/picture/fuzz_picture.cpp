// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// libFuzzer target: any bytes as the picture file that picture records name,
// drawn twice on one page (at a small size and at a huge mirrored one) onto
// a page surface, which is then rendered; and the same file loaded as the
// check loads it. The outcome must be a drawn page or a qv::Error: never a
// crash, a hang or an unbounded allocation. QPicture data must always be
// refused.
#include "render/LetturaDati.h"
#include "render/PageSurface.h"
#include "spool/PictureFile.h"

#include <qvpreview/Error.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

QString picturePath;
QString spoolPath;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    const QString folder = QDir::tempPath() + QStringLiteral("/qv-fuzz-picture-%1").arg(::getpid());
    QDir().mkpath(folder);
    picturePath = folder + QStringLiteral("/qvm.tmp");
    spoolPath = folder + QStringLiteral("/qv.tmp");
    QFile spool(spoolPath);
    if (spool.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        const QByteArray path = picturePath.toUtf8();
        spool.write("#paint@\r\n\"" + path + "\",100,200,1440,720\r\n");
        spool.write("#paint@\r\n\"" + path + "\",11000,15000,-1E+07,-1E+07\r\n");
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    {
        QFile file(picturePath);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    const bool qpicture = size >= 4 && std::memcmp(data, "QPIC", 4) == 0;

    // As the check loads it: at the drawn size, without a page's budget.
    qv::PictureData::LoadError kind = qv::PictureData::LoadError::None;
    const auto loaded = qv::PictureData::load(picturePath, nullptr, &kind, {QSize(600, 300)});
    if (loaded.has_value() == (kind != qv::PictureData::LoadError::None) || (qpicture && loaded))
        std::abort();

    // As the preview and render draw it.
    qv::PageSurface surface;
    surface.setMemoryBudget(qint64(64) * 1024 * 1024);
    try {
        qv::LetturaDati::DisegnaPagina(surface, spoolPath, qv::LetturaDati::PageSpec::page(1));
    } catch (const qv::Error &e) {
        if (e.number() != qv::ErrInvalidPicture && e.number() != qv::ErrOutOfMemory)
            std::abort();
    }
    if (qpicture && surface.Picture()->callCount() != 0)
        std::abort();
    (void)surface.Picture()->render(0.02);
    return 0;
}
