// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// A drop-in for QPrintPreviewDialog: the same constructors, the signal
// paintRequested(QPrinter *), printer(), open(), exec() and done(); the
// host's slot paints on a recording printer, and the component's preview
// window shows the recording, finds in it and prints it.
#pragma once

#include <qvpreview/Export.h>
#include <qvpreview/PreviewPrinter.h>

#include <QDialog>

#include <memory>

class QPrinter;

namespace qv {

/// Switching a host from Qt's dialog is changing the type and the include:
///
///     qv::PrintPreviewDialog preview(&printer, this);
///     connect(&preview, &qv::PrintPreviewDialog::paintRequested, this, &Host::paint);
///     preview.exec();
///
/// Each time the window is to open, paintRequested() is emitted with a
/// PreviewPrinter that has the settings of printer() (its name, output
/// format and file, page layout, resolution, copies...): the slot paints on
/// it as on that printer, then the preview window opens on the recording.
/// A slot that paints nothing gives one blank page.
///
/// As on Qt's dialog, the window's toolbar has the page's orientation
/// ("Verticale", "Orizzontale") and "Imposta pagina..." (Qt's page setup
/// dialog on printer(): paper, orientation, margins). A change is made on
/// printer() (it stays after the dialog closes), paintRequested() is
/// emitted again, and the window opens again on the new recording at the
/// page it showed, at the same place and size. The window a host gets from
/// PrintPreview has no such items.
///
/// Printing from the window goes through the component's one print path,
/// with the page range and the copies of its print options dialog, which
/// offers printer()'s printer first: its CUPS queue, or for a printer
/// writing PDF the built-in PDF printer and printer()'s output file. The
/// pages print at the size of the current printer's drawable area.
///
/// The dialog itself is never on the screen: the preview window is, modal
/// to the dialog's parent. open() and show() return at once and the window
/// opens from the event loop; exec() returns when the user closes it, with
/// QDialog::Accepted when the window printed and QDialog::Rejected
/// otherwise; done() closes it from the program.
class QV_EXPORT PrintPreviewDialog : public QDialog
{
    Q_OBJECT
public:
    /// A dialog with a printer of its own (a QPrinter of high resolution).
    explicit PrintPreviewDialog(QWidget *parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
    /// A dialog for \a printer, which stays the host's and must outlive it.
    explicit PrintPreviewDialog(QPrinter *printer, QWidget *parent = nullptr,
                                Qt::WindowFlags flags = Qt::WindowFlags());
    ~PrintPreviewDialog() override;

    /// The printer given to the constructor, or the dialog's own.
    QPrinter *printer();
    /// The recording printer that paintRequested() paints on; its
    /// recording stays until the next one (PreviewPrinter::keepSpoolFile()
    /// keeps it as a spool file).
    PreviewPrinter *recorder();

    using QDialog::open;
    /// Connects finished(int) to \a member of \a receiver (disconnected when
    /// the dialog closes), then open().
    void open(QObject *receiver, const char *member);
    /// True: records and opens the preview window from the event loop (as
    /// open() does); false: closes it.
    void setVisible(bool visible) override;
    /// Records, opens the preview window and returns when it closes.
    int exec() override;
    /// Closes the preview window (when it is open) with \a result.
    void done(int result) override;

Q_SIGNALS:
    /// Paint the document on \a printer (a PreviewPrinter), page by page.
    void paintRequested(QPrinter *printer);

private:
    class Private;
    std::unique_ptr<Private> d;
};

} // namespace qv
