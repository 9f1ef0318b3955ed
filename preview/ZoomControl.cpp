// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "preview/ZoomControl.h"

#include "platform/Devices.h"
#include "preview/ZoomBox.h"

namespace qv {

ZoomControl::ZoomControl(PageView &zoom, ViewerModel &model, ZoomBox &box, std::function<DocumentView &()> view,
                         QObject *parent)
    : QObject(parent)
    , m_zoom(zoom)
    , m_model(model)
    , m_box(box)
    , m_view(std::move(view))
{
    connect(&m_box, &ZoomBox::zoomScelto, this, [this](double factor) { setFactor(factor); });
    connect(&m_box, &ZoomBox::comando, this, [this](PreviewCommand c) {
        command(c == PreviewCommand::AdattaLarghezza ? PageView::Zoom::AdattaLarghezza : PageView::Zoom::AdattaPagina,
                true);
    });
    connect(&m_box, &ZoomBox::rifiutato, this, [] { platform::beep(); });
    // The keys go back to the view on show, whichever it is.
    connect(&m_box, &ZoomBox::finito, this, [this] { m_view().takeFocus(); });
}

void ZoomControl::change(const std::function<bool()> &step, bool beep)
{
    if (step())
        m_view().zoomChanged();
    else if (beep)
        platform::beep();
    show();
}

void ZoomControl::command(PageView::Zoom zoom, bool beep)
{
    change([&] { return m_zoom.zoom(zoom); }, beep);
}

bool ZoomControl::setFactor(double factor, bool beep)
{
    bool done = false;
    change([&] { return done = m_zoom.zoomA(factor); }, beep);
    return done;
}

void ZoomControl::wheel(bool zoomIn, QPointF global)
{
    const PageView::Zoom zoom = zoomIn ? PageView::Zoom::Ingrandisci : PageView::Zoom::Riduci;
    change([&] { return m_view().zoomAbout(zoom, global); }, false);
}

void ZoomControl::open(PageView::Adattamento fit, bool withFactor, double factor)
{
    if (fit == PageView::Adattamento::Pagina)
        command(PageView::Zoom::AdattaPagina, false);
    else if (fit == PageView::Adattamento::Larghezza)
        command(PageView::Zoom::AdattaLarghezza, false);
    else if (withFactor)
        setFactor(factor, false);
}

void ZoomControl::show()
{
    const GeometriaPagina &geometry = m_zoom.geometria();
    m_model.setZoom(geometry.zoom());
    m_box.mostra(geometry.zoom(), geometry.passi());
    Q_EMIT shown(geometry.percentuale());
}

} // namespace qv
