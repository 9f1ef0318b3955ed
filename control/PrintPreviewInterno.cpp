// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "control/PrintPreviewInterno.h"

#include "platform/Devices.h"
#include "preview/FrmAnteprima.h"

#include <qvpreview/PrintPreview.h>

#include <QCoreApplication>

namespace qv {

namespace {
const char NomeOggetto[] = "qv_PrintPreviewInterno";
} // namespace

PrintPreviewInterno::PrintPreviewInterno(PrintPreview &controllo)
    : QObject(&controllo)
    , m_anteprima(std::make_unique<FrmAnteprima>())
{
    setObjectName(QLatin1String(NomeOggetto));
}

PrintPreviewInterno::~PrintPreviewInterno() = default;

PrintPreviewInterno &PrintPreviewInterno::di(const PrintPreview &controllo)
{
    // The control made it as its first child of this name; it lives as long as the control.
    return *controllo.findChild<PrintPreviewInterno *>(QLatin1String(NomeOggetto), Qt::FindDirectChildrenOnly);
}

int32_t PrintPreviewInterno::larghezzaPagina()
{
    if (m_paginaDaAggiornare)
        aggiornaPagina();
    return m_misura.Width();
}

void PrintPreviewInterno::aggiornaPagina()
{
    m_misura.setSize(PageMetrics::printerPageTwips());
    m_paginaDaAggiornare = false;
}

std::optional<QPageLayout> PrintPreview::Private::layoutOfPage() const
{
    return pageBegun ? pageLayout : platform::chosenPageLayout();
}

bool PrintPreview::Private::append(const spool::Record &record)
{
    if (pageBegun)
        return document->append(record.bytes());
    const std::optional<QPageLayout> layout = platform::chosenPageLayout();
    bool written = false;
    if (layout) {
        spool::Record page(spool::TagPage);
        spool::writePageLayout(page, *layout);
        written = document->append(page.bytes() + record.bytes());
    } else {
        written = document->append(record.bytes());
    }
    if (written) {
        pageBegun = true;
        pageLayout = layout;
    }
    return written;
}

[[noreturn]] void refuse(const char *property, const QString &detail)
{
    throw Error(ErrInvalidPropertyValue, QString::fromLatin1(property)).withDetail(detail);
}

[[noreturn]] void refuseRange(const char *property, qint64 value, qint64 low, qint64 high)
{
    refuse(property, QCoreApplication::translate("qv::PrintPreview", "%1 = %2 (ammessi da %3 a %4)")
                         .arg(QLatin1String(property))
                         .arg(value)
                         .arg(low)
                         .arg(high));
}

[[noreturn]] void cannotPrint(const char *command)
{
    throw Error(ErrCannotPrint, QString::fromLatin1(command));
}

} // namespace qv
