// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The zoom of the preview window: its commands (the toolbar's, the keys',
// the zoom box's, Ctrl and the wheel), carried out on the zoom the views
// share and shown by the view on show and by the zoom box.
#pragma once

#include "preview/DocumentView.h"
#include "preview/PageView.h"
#include "preview/ViewerModel.h"

#include <QObject>
#include <QPointF>

#include <functional>

namespace qv {

class ZoomBox;

class ZoomControl : public QObject
{
    Q_OBJECT
public:
    /// Zooms \a zoom, told to \a model and shown in \a box and by the view
    /// \a view gives; the box's choices come back here.
    ZoomControl(PageView &zoom, ViewerModel &model, ZoomBox &box, std::function<DocumentView &()> view,
                QObject *parent = nullptr);

    /// A zoom command; at its limit nothing changes, with a beep when \a beep.
    void command(PageView::Zoom zoom, bool beep);
    /// The page at \a factor (1 = 100 %, up to 400 %); false, with a beep,
    /// outside the range.
    bool setFactor(double factor, bool beep = true);
    /// Ctrl and the wheel: one step in or out about \a global (screen
    /// coordinates), never beeping.
    void wheel(bool zoomIn, QPointF global);
    /// Carries out \a step, a change of the zoom (false: at its limit); then
    /// the view draws at the new zoom, and the model and the box show it.
    void change(const std::function<bool()> &step, bool beep);
    /// The zoom the window opens with (WindowOpening): a fitting or a factor.
    void open(PageView::Adattamento fit, bool withFactor, double factor);
    /// The zoom as it is now, to the model and the box (and the caption).
    void show();

Q_SIGNALS:
    /// The zoom shown is \a percent % (whole, as the caption shows it).
    void shown(int percent);

private:
    PageView &m_zoom;
    ViewerModel &m_model;
    ZoomBox &m_box;
    std::function<DocumentView &()> m_view;
};

} // namespace qv
