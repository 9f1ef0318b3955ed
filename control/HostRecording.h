// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// What the drop-ins for Qt's preview dialog and widget share: the host's
// printer (given, or one of their own), the recording printer its slot
// paints on, and the printer the print options offer first while the
// recording is on show.
#pragma once

#include <qvpreview/PreviewPrinter.h>

#include <QString>

#include <functional>
#include <memory>

class QPrinter;

namespace qv {

namespace spool {
class Document;
}

class Q_DECL_HIDDEN HostRecording
{
public:
    /// Records for \a host, which stays the caller's; null: a printer of
    /// high resolution of its own.
    explicit HostRecording(QPrinter *host);
    ~HostRecording();
    HostRecording(const HostRecording &) = delete;
    HostRecording &operator=(const HostRecording &) = delete;

    /// The host's printer, or the own one.
    QPrinter *printer() const { return m_printer; }
    PreviewPrinter &recorder() { return m_recorder; }

    /// Records again: the recorder takes the settings of printer(), then
    /// \a paint (the host's slot, through the paintRequested signal) paints
    /// on it; a slot that painted nothing gives one blank page. The
    /// previous recording's files are deleted first, so whatever shows
    /// them must have let them go. Null when nothing could be recorded
    /// (recorder().recordingError() says why).
    std::shared_ptr<spool::Document> record(const std::function<void(QPrinter *)> &paint);

private:
    QPrinter *m_printer;
    bool m_own;
    PreviewPrinter m_recorder;
};

/// The printer that the print options dialog and the print path offer first
/// while a recording is on show: the host's (its CUPS queue, or the built-in
/// PDF printer with the host's output file), then the one before it again.
class Q_DECL_HIDDEN OfferedPrinter
{
public:
    explicit OfferedPrinter(const QPrinter &printer);
    ~OfferedPrinter();
    OfferedPrinter(const OfferedPrinter &) = delete;
    OfferedPrinter &operator=(const OfferedPrinter &) = delete;

private:
    QString m_printer;
    QString m_pdfFile;
    bool m_chosen;
};

} // namespace qv
