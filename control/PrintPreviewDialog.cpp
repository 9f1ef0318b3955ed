// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The drop-in for QPrintPreviewDialog: records the host's slot on a
// PreviewPrinter and shows the recording in the preview window, which prints
// it through the one print command.
#include <qvpreview/PrintOptions.h>
#include <qvpreview/PrintPreviewDialog.h>

#include "control/HostRecording.h"
#include "dialogs/PrintCommand.h"
#include "preview/FrmAnteprima.h"
#include "spool/Document.h"

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QIcon>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QPrinter>

#include <functional>

namespace qv {

class Q_DECL_HIDDEN PrintPreviewDialog::Private
{
public:
    explicit Private(QPrinter *host) : recording(host) {}

    QPrinter *printer() const { return recording.printer(); }
    HostRecording recording;
    std::unique_ptr<FrmAnteprima> window;
    bool running = false;
    bool queued = false;
    bool printed = false;
    QPointer<QObject> receiver;
    QByteArray member;
    /// The user changed the orientation or the paper: the window closes,
    /// and opens again on a new recording at the page it showed.
    bool relayout = false;

    /// The two items of Qt's dialog on the window's toolbar: the
    /// orientation (two exclusive buttons) and the page setup.
    void addLayoutItems(FrmAnteprima &window);
    void changeLayout(const std::function<bool()> &change);
};

namespace {

/// A sheet drawn upright or turned, for the orientation buttons.
QIcon sheetIcon(QPageLayout::Orientation orientation)
{
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF sheet = orientation == QPageLayout::Portrait ? QRectF(6.5, 2.5, 11, 19) : QRectF(2.5, 6.5, 19, 11);
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(Qt::white);
    p.drawRect(sheet);
    p.setPen(QPen(QColor(120, 120, 120), 1));
    for (double y = sheet.top() + 3; y < sheet.bottom() - 2; y += 3)
        p.drawLine(QPointF(sheet.left() + 2, y), QPointF(sheet.right() - 2, y));
    return QIcon(pixmap);
}

} // namespace

void PrintPreviewDialog::Private::changeLayout(const std::function<bool()> &change)
{
    if (!window || !change())
        return;
    relayout = true;
    window->done(QDialog::Rejected);
}

void PrintPreviewDialog::Private::addLayoutItems(FrmAnteprima &shown)
{
    auto *orientation = new QActionGroup(&shown);
    const auto addOrientation = [&](QPageLayout::Orientation value, const char *name, const QString &text) {
        QAction *action = orientation->addAction(sheetIcon(value), text);
        action->setObjectName(QLatin1String(name));
        action->setToolTip(text);
        action->setCheckable(true);
        action->setChecked(printer()->pageLayout().orientation() == value);
        QObject::connect(action, &QAction::triggered, &shown, [this, value] {
            changeLayout([this, value] {
                if (printer()->pageLayout().orientation() == value)
                    return false;
                printer()->setPageOrientation(value);
                return true;
            });
        });
    };
    addOrientation(QPageLayout::Portrait, "verticale",
                   QCoreApplication::translate("qv::PrintPreviewDialog", "Verticale"));
    addOrientation(QPageLayout::Landscape, "orizzontale",
                   QCoreApplication::translate("qv::PrintPreviewDialog", "Orizzontale"));
    auto *setup = new QAction(QIcon::fromTheme(QStringLiteral("document-page-setup")),
                              QCoreApplication::translate("qv::PrintPreviewDialog", "Imposta pagina..."), &shown);
    setup->setObjectName(QStringLiteral("impostaPagina"));
    setup->setToolTip(QCoreApplication::translate("qv::PrintPreviewDialog", "Formato e margini della pagina"));
    QObject::connect(setup, &QAction::triggered, &shown, [this] {
        changeLayout([this] {
            const QPageLayout before = printer()->pageLayout();
            QPageSetupDialog dialog(printer(), window.get());
            dialog.setObjectName(QStringLiteral("impostaPagina"));
            return dialog.exec() == QDialog::Accepted && !printer()->pageLayout().isEquivalentTo(before);
        });
    });
    shown.addToolbarActions(orientation->actions() << setup);
}

PrintPreviewDialog::PrintPreviewDialog(QWidget *parent, Qt::WindowFlags flags)
    : PrintPreviewDialog(nullptr, parent, flags)
{}

PrintPreviewDialog::PrintPreviewDialog(QPrinter *printer, QWidget *parent, Qt::WindowFlags flags)
    : QDialog(parent, flags)
    , d(std::make_unique<Private>(printer))
{}

PrintPreviewDialog::~PrintPreviewDialog()
{
    if (d->window)
        d->window->reject();
}

QPrinter *PrintPreviewDialog::printer()
{
    return d->printer();
}

PreviewPrinter *PrintPreviewDialog::recorder()
{
    return &d->recording.recorder();
}

void PrintPreviewDialog::open(QObject *receiver, const char *member)
{
    connect(this, SIGNAL(finished(int)), receiver, member);
    d->receiver = receiver;
    d->member = member;
    open();
}

void PrintPreviewDialog::setVisible(bool visible)
{
    if (!visible) {
        if (d->window && d->running)
            d->window->reject();
        return;
    }
    // The window opens from the event loop: open() and show() return at once.
    if (d->running || d->queued)
        return;
    d->queued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            d->queued = false;
            if (!d->running)
                exec();
        },
        Qt::QueuedConnection);
}

int PrintPreviewDialog::exec()
{
    if (d->running)
        return QDialog::Rejected;
    d->running = true;
    d->printed = false;
    setResult(QDialog::Rejected);

    // A change of orientation or paper in the window records the document
    // again on the new layout and opens the window on it at the same page.
    int64_t page = 1;
    QRect geometry;
    do {
        d->relayout = false;
        const std::shared_ptr<spool::Document> document =
            d->recording.record([this](QPrinter *recorder) { Q_EMIT paintRequested(recorder); });
        if (!document)
            break;
        d->window = std::make_unique<FrmAnteprima>(parentWidget());
        FrmAnteprima &window = *d->window;
        window.setDocumento(document);
        window.setPagineTotali(d->recording.recorder().pageCount());
        const QString title = d->printer()->docName();
        if (!title.isEmpty())
            window.setTitolo(title);
        window.setPrintListener([this](const PrintOutcome &outcome) {
            if (outcome.result == PrintOutcome::Result::Printed)
                d->printed = true;
        });
        d->addLayoutItems(window);
        OfferedPrinter offered(*d->printer());
        window.InizializzaAnteprima();
        if (page > 1)
            window.showPage(page);
        if (geometry.isValid())
            window.setGeometry(geometry);
        window.exec();
        page = int64_t(window.model().currentPage()) + 1;
        geometry = window.geometry();
        d->window.reset();
    } while (d->relayout);
    d->running = false;
    done(d->printed ? QDialog::Accepted : QDialog::Rejected);
    return result();
}

void PrintPreviewDialog::done(int result)
{
    if (d->running && d->window) {
        // Closing the window ends exec(), which comes back here.
        d->printed = d->printed || result == QDialog::Accepted;
        d->window->done(result);
        return;
    }
    QDialog::done(result);
    if (d->receiver) {
        disconnect(this, SIGNAL(finished(int)), d->receiver, d->member.constData());
        d->receiver = nullptr;
    }
}

} // namespace qv
