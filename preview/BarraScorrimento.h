// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The preview window's scroll bars.
#pragma once

#include <QScrollBar>

namespace qv {

/// A scroll bar drawn flat: solid rectangles and small arrows, no gradients.
/// Layout and mouse handling stay those of the widget's style, because the
/// painting asks that style for the same sub-control rectangles its hit tests
/// use.
///
/// A zoom step changes both scroll bars, so they are repainted with the
/// page. The raster engine hands gradient fills of more than about a hundred
/// scan lines to worker threads, and waking them costs more than drawing the
/// page itself; solid fills are drawn in place.
class BarraScorrimento : public QScrollBar
{
    Q_OBJECT
public:
    explicit BarraScorrimento(Qt::Orientation orientation, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace qv
