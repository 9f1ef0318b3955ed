// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The zoom box of the preview's toolbar: an editable list that shows the zoom
// in use and takes a typed percentage, a zoom step or one of the fitted zooms.
#pragma once

#include "preview/PreviewCommand.h"

#include <QObject>
#include <QString>

#include <optional>
#include <vector>

class QComboBox;
class QWidget;

namespace qv {

class ZoomBox : public QObject
{
    Q_OBJECT
public:
    /// The range of a typed percentage.
    static constexpr double MinimoPercento = 10;
    static constexpr double MassimoPercento = 400;

    /// The box, a child of \a parent (the toolbar adds it).
    explicit ZoomBox(QWidget *parent);

    QComboBox *casella() const { return m_casella; }

    /// The zoom factor (1 = 100 %) in a typed text: "250", "250%", " 12,5 % ",
    /// "12.5"; nullopt for anything else or a value outside 10 % to 400 %.
    static std::optional<double> leggi(const QString &testo);
    /// "250 %": how the box shows the zoom factor \a fattore (whole
    /// percentages, halves rounded up, as the caption shows them).
    static QString testo(double fattore);

    /// Shows \a fattore as the zoom in use, and \a passi (factors) as the
    /// steps offered, before the two fitted zooms. Typing under way is
    /// replaced.
    void mostra(double fattore, const std::vector<double> &passi);

Q_SIGNALS:
    /// A zoom factor was typed (with Enter) or a step chosen.
    void zoomScelto(double fattore);
    /// "Adatta alla pagina" or "Adatta alla larghezza" was chosen.
    void comando(PreviewCommand comando);
    /// A typed text that is no zoom of the range: the box shows the zoom in
    /// use again (the window beeps).
    void rifiutato();
    /// Typing ended (Enter or Esc): the window gives the keys back to the page.
    void finito();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void conferma();
    void scelto(int indice);
    void ripristina();

    QComboBox *m_casella = nullptr;
    double m_fattore = 1;
    std::vector<double> m_passi;
};

} // namespace qv
