// SPDX-License-Identifier: MIT
// The view command: the preview window of a spool file.
#include "Commands.h"

#include <qvpreview/SpoolFile.h>

#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

namespace qvcli {

int commandView(const QString &path, bool follow)
{
    QString message;
    if (!checkReadable(path, message))
        return failure(message);
    try {
        // A page that cannot be read in full is shown with its error in the
        // window; the error is told here too once the window is closed.
        std::optional<qv::Error> shown;
        // A viewer's window: maximised, so that a window manager fits its
        // frame and all into the screen's free area (a client area of that
        // size would put the frame past the screen's edge), and the free
        // area's size where no window manager maximises it (nor draws a
        // frame); the page as wide as the window on the grey background with
        // its shadow, and the user's last window, zoom and view the next time.
        qv::PreviewWindowOptions options;
        options.maximized = true;
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            options.size = screen->availableSize();
        options.fit = qv::PreviewWindowOptions::FitWidth;
        options.remember = true;
        options.pageShadow = true;
        // Following, the pages another program appends come as they are written.
        if (follow)
            qv::SpoolFile(path).followPreview(QFileInfo(path).fileName(), options, &shown);
        else
            qv::SpoolFile(path).showPreview(QFileInfo(path).fileName(), options, &shown);
        if (shown)
            return failure(QStringLiteral("%1: %2").arg(path, describe(*shown)));
        return Ok;
    } catch (const qv::Error &e) {
        return failure(QStringLiteral("%1: %2").arg(path, describe(e)));
    }
}

bool haveDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace qvcli
