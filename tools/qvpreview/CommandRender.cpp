// SPDX-License-Identifier: MIT
// The render command: one page into a PNG file, without a screen.
#include "Commands.h"

#include <qvpreview/SpoolFile.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

namespace qvcli {

namespace {

/// The logical resolution of the primary screen: the preview's 100 %.
double screenDotsPerInch()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchX() : 0;
    return dpi > 0 ? dpi : 96.0;
}

} // namespace

int commandRender(const QString &path, const Options &options)
{
    if (!options.values.count(QStringLiteral("page")))
        return usageError(QCoreApplication::translate("qvpreview", "render richiede --page N"));
    if (!options.values.count(QStringLiteral("png")))
        return usageError(QCoreApplication::translate("qvpreview", "render richiede --png OUT.png"));
    const auto page = parseInt(options.values.at(QStringLiteral("page")), 1, MaxPage);
    if (!page)
        return usageError(QCoreApplication::translate("qvpreview", "numero di pagina non valido (da 1 a %2): %1")
                              .arg(options.values.at(QStringLiteral("page")))
                              .arg(MaxPage));
    int zoom = 100;
    if (options.values.count(QStringLiteral("zoom"))) {
        const auto z = parseInt(options.values.at(QStringLiteral("zoom")), 1, 1600);
        if (!z)
            return usageError(QCoreApplication::translate("qvpreview", "zoom non valido (da 1 a 1600): %1")
                                  .arg(options.values.at(QStringLiteral("zoom"))));
        zoom = *z;
    }
    QString message;
    if (!checkReadable(path, message))
        return failure(message);
    try {
        const qv::SpoolFile spool(path);
        const int32_t pages = spool.pageCount();
        if (*page > pages)
            return failure(
                QCoreApplication::translate("qvpreview", "%1: il documento ha %2 pagine, la pagina %3 non esiste")
                    .arg(path)
                    .arg(pages)
                    .arg(*page));
        // The zoom is relative to the screen, as in the preview: at 100 % the
        // page has the screen's logical resolution.
        const double dotsPerInch = zoom / 100.0 * screenDotsPerInch();
        std::optional<qv::Error> replayError;
        // What was drawn before an error stays drawn: the page is still written, with a warning.
        const QString png = options.values.at(QStringLiteral("png"));
        const QSize size = spool.savePage(*page, dotsPerInch, png, &replayError);
        if (replayError)
            return failure(QCoreApplication::translate("qvpreview", "%1: pagina %2 disegnata solo in parte: %3")
                               .arg(path)
                               .arg(*page)
                               .arg(describe(*replayError)));
        out() << png << ": "
              << QCoreApplication::translate("qvpreview", "pagina %1 di %2, %3 x %4 pixel")
                     .arg(*page)
                     .arg(pages)
                     .arg(size.width())
                     .arg(size.height())
              << "\n";
        out().flush();
        return Ok;
    } catch (const qv::Error &e) {
        return failure(QStringLiteral("%1: %2").arg(path, describe(e)));
    }
}

} // namespace qvcli
