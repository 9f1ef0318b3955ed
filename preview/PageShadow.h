// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The page's shadow on the grey background of the preview, as document
// viewers draw it: a thin dark edge and a soft shadow to the right and below.
#pragma once

#include <QObject>

class QWidget;

namespace qv {

class PageShadow : public QObject
{
    Q_OBJECT
public:
    /// The margin around the page, in device-independent pixels.
    static constexpr int Margine = 16;
    /// How far the shadow reaches beyond the page's right and bottom edges.
    static constexpr int Ombra = 5;

    /// Draws the shadow of \a pagina on its parent (the viewport), under it.
    explicit PageShadow(QWidget *pagina);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_pagina;
};

} // namespace qv
