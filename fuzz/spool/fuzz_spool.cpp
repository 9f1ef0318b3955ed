// SPDX-License-Identifier: MIT
// libFuzzer target: any bytes as a spool file, replayed onto a page surface,
// every page and then one page reached by its stored position, the first
// pages' layouts read, and the result rendered. The outcome must be success or a qv::Error: never a
// crash, a hang or an unbounded allocation.
#include "print/MotoreStampa.h"
#include "render/LetturaDati.h"
#include "render/PageMetrics.h"
#include "render/PageSurface.h"
#include "spool/Document.h"
#include "spool/SpoolFormat.h"

#include <qvpreview/Error.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

QString spoolPath;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    // A picture that the seed corpus names, so picture records replay too.
    const QString folder = QDir::tempPath() + QStringLiteral("/qv-fuzz-spool");
    QDir().mkpath(folder);
    QImage picture(3, 2, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    picture.save(folder + QStringLiteral("/picture.png"), "PNG");
    spoolPath = folder + QStringLiteral("/spool-%1.tmp").arg(::getpid());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    {
        QFile file(spoolPath);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    qv::PageSurface surface;
    try {
        qv::LetturaDati::DisegnaPagina(surface, spoolPath, qv::LetturaDati::PageSpec::everyPage());
    } catch (const qv::Error &) {
    }
    (void)surface.Picture()->render(0.01);
    try {
        const QList<qint64> starts = qv::spool::buildPageIndex(spoolPath, QStringLiteral("MotoreStampa"));
        // The first pages' layouts, and a surface of that size.
        for (qsizetype i = 0; i < std::min<qsizetype>(starts.size(), 4); ++i) {
            const QSize twips = qv::PageMetrics::pageTwips(qv::spool::pageLayoutAt(spoolPath, starts.at(i), "Fuzz"));
            surface.setSize(twips.width(), twips.height());
        }
        if (starts.size() >= 2) {
            qv::LetturaDati::DisegnaPagina(surface, spoolPath, qv::LetturaDati::PageSpec::at(starts.at(1)));
            (void)surface.Picture()->render(0.01);
        }
        qv::LetturaDati::DisegnaPagina(surface, spoolPath, qv::LetturaDati::PageSpec::page(2));
    } catch (const qv::Error &) {
    }
    return 0;
}
