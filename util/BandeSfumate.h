// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The colour bands of qvUtilita::SfumaForm: where each band lies and which
// colour it has, and the object that keeps painting them as the background
// of a widget, so that they are there again whenever the widget repaints
// (after it was covered and uncovered, resized, updated).
#pragma once

#include <QColor>
#include <QList>
#include <QObject>
#include <QRect>

#include <cstdint>

class QWidget;

namespace qv {

/// One band: its rectangle in pixels and its colour.
struct Banda
{
    QRect rect;
    QColor colore;

    bool operator==(const Banda &) const = default;
};

/// The bands of a gradient on an area of \a larghezza x \a altezza pixels,
/// top to bottom. \a bande bands of height altezza / bande (single
/// precision); band i (from 1) spans the rows from round((i - 1) x height)
/// to round(i x height), exclusive, rounded to the nearest row, halves to
/// even. Band 1 has the colour \a colore (0x00BBGGRR); from one band to the
/// next every channel that starts above 0 goes down by \a passo, modulo 256.
/// Bands without rows, and those below the area, are left out, so the list
/// has at most \a altezza entries whatever \a bande is. Empty when \a bande
/// is below 1 or the area is empty.
QList<Banda> bandeSfumate(int larghezza, int altezza, double bande, int64_t passo, int64_t colore);

/// Paints bands as the background of the widget it is installed on, before
/// the widget paints itself and below its children. One per widget, a child
/// of it: installa() replaces the bands of an earlier call.
class SfondoSfumato : public QObject
{
    Q_OBJECT

public:
    /// Gives \a widget the background \a bande and schedules a repaint.
    static void installa(QWidget *widget, QList<Banda> bande);

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit SfondoSfumato(QWidget *widget);

    QList<Banda> m_bande;
};

} // namespace qv
