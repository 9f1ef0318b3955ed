// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The keys and the wheel of the preview window: what each key and each turn
// of the wheel asks of the window, with the wheel's part-turns kept until
// they make up a notch. docs/preview.md lists them as the user sees them.
#pragma once

#include "preview/PreviewCommand.h"

#include <QPointF>

#include <QtGlobal>
#include <optional>

class QKeyEvent;
class QWheelEvent;

namespace qv {

class PageView;

class PreviewInput
{
public:
    /// One line of scrolling (an arrow key, a click on a scroll bar's arrow),
    /// in twips; a wheel notch scrolls the system's number of lines.
    static constexpr double RigaTwips = 300;
    /// One notch of a mouse wheel, in eighths of a degree.
    static constexpr int Scatto = 120;

    /// What the keys and the wheel ask the window to do.
    class Finestra
    {
    public:
        /// A command; \a suono: beep when it is at its limit.
        virtual void comando(PreviewCommand comando, bool suono) = 0;
        /// Scrolls the page by \a twips vertically (positive: down); at the
        /// end of the page, with \a cambiaPagina, goes on to the next page
        /// (shown from its top) or back to the previous one (shown from its
        /// bottom), beeping at the document's ends when \a suono.
        virtual void scorriVerticale(double twips, bool cambiaPagina, bool suono) = 0;
        virtual void scorriOrizzontale(double twips) = 0;
        /// The height of what the view on show shows, in twips: how far a
        /// screen's scroll (PgDn, Space) goes. The page's viewport by default.
        virtual std::optional<double> screenHeight() const { return std::nullopt; }
        /// The next page from its top or the previous one from its bottom.
        virtual void paginaAccanto(bool avanti, bool suono) = 0;
        /// Ctrl and the wheel: one zoom step in or out about the point under
        /// the pointer (\a globale, screen coordinates); never beeps.
        virtual void zoomRotella(bool ingrandisci, QPointF globale)
        {
            Q_UNUSED(globale);
            comando(ingrandisci ? PreviewCommand::Ingrandisci : PreviewCommand::Riduci, false);
        }

    protected:
        ~Finestra() = default;
    };

    /// Keys and wheel for \a finestra, which shows \a vista.
    PreviewInput(Finestra &finestra, const PageView &vista) : m_finestra(finestra), m_vista(vista) {}

    /// The keys of a document viewer, for the keys that the focused control
    /// leaves to the window. True when \a e was one of them.
    bool tasto(const QKeyEvent &e);
    /// The wheel scrolls the page, and at the end of a page one more notch
    /// goes on to the next page (or back to the previous one); Ctrl and the
    /// wheel zoom by the zoom steps. The wheel never beeps.
    void rotella(const QWheelEvent &e);
    /// Forgets the wheel's part-turns (a fresh window).
    void azzera() { m_restoZoom = m_restoPagina = 0; }

private:
    Finestra &m_finestra;
    const PageView &m_vista;
    // Wheel rotation not yet turned into a zoom step or a page change.
    int m_restoZoom = 0;
    int m_restoPagina = 0;
};

} // namespace qv
