// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "preview/PreviewInput.h"

#include "preview/PageView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWheelEvent>

#include <cstdlib>

namespace qv {

bool PreviewInput::tasto(const QKeyEvent &e)
{
    const Qt::KeyboardModifiers mods = e.modifiers() & ~Qt::KeypadModifier;
    if (mods & (Qt::AltModifier | Qt::MetaModifier))
        return false;
    const bool ctrl = mods & Qt::ControlModifier;
    const bool shift = mods & Qt::ShiftModifier;
    const GeometriaPagina &geom = m_vista.geometria();
    const double schermo = m_finestra.screenHeight().value_or(geom.viewport().height());
    const auto comando = [this](PreviewCommand c) {
        m_finestra.comando(c, true);
        return true;
    };
    switch (e.key()) {
    // With Ctrl a whole page, whatever the zoom: the page buttons' key.
    case Qt::Key_PageDown:
        if (ctrl)
            return comando(PreviewCommand::PaginaSuccessiva);
        m_finestra.scorriVerticale(schermo, true, true);
        return true;
    case Qt::Key_PageUp:
        if (ctrl)
            return comando(PreviewCommand::PaginaPrecedente);
        m_finestra.scorriVerticale(-schermo, true, true);
        return true;
    case Qt::Key_Space:
        if (ctrl)
            return false;
        m_finestra.scorriVerticale(shift ? -schermo : schermo, true, true);
        return true;
    case Qt::Key_Down: m_finestra.scorriVerticale(RigaTwips, true, true); return true;
    case Qt::Key_Up: m_finestra.scorriVerticale(-RigaTwips, true, true); return true;
    case Qt::Key_Right:
    case Qt::Key_Left: {
        const bool avanti = e.key() == Qt::Key_Right;
        // A page as narrow as the window has nothing to scroll sideways: the
        // arrow turns the page, as in a book.
        if (!geom.scrollH().abilitato)
            m_finestra.paginaAccanto(avanti, true);
        else
            m_finestra.scorriOrizzontale(avanti ? RigaTwips : -RigaTwips);
        return true;
    }
    case Qt::Key_Home: return comando(PreviewCommand::PrimaPagina);
    case Qt::Key_End: return comando(PreviewCommand::UltimaPagina);
    case Qt::Key_Plus:
    case Qt::Key_Equal: return comando(PreviewCommand::Ingrandisci);
    case Qt::Key_Minus: return comando(PreviewCommand::Riduci);
    case Qt::Key_0: return ctrl && comando(PreviewCommand::DimensioneReale);
    case Qt::Key_P: return ctrl && comando(PreviewCommand::Stampa);
    case Qt::Key_F: return !ctrl && !shift && comando(PreviewCommand::AdattaPagina);
    case Qt::Key_W: return !ctrl && !shift && comando(PreviewCommand::AdattaLarghezza);
    case Qt::Key_F8: return !ctrl && !shift && comando(PreviewCommand::VistaContinua);
    case Qt::Key_F9: return !ctrl && !shift && comando(PreviewCommand::Miniature);
    case Qt::Key_D: return !ctrl && !shift && comando(PreviewCommand::VistaAffiancata);
    case Qt::Key_G: return !ctrl && !shift && comando(PreviewCommand::Panoramica);
    case Qt::Key_F5: return !ctrl && !shift && comando(PreviewCommand::Aggiorna);
    default: return false;
    }
}

void PreviewInput::rotella(const QWheelEvent &e)
{
    const QPoint delta = e.angleDelta();
    if (e.modifiers() & Qt::ControlModifier) {
        m_restoZoom += delta.y() ? delta.y() : delta.x();
        for (; m_restoZoom >= Scatto; m_restoZoom -= Scatto)
            m_finestra.zoomRotella(true, e.globalPosition());
        for (; m_restoZoom <= -Scatto; m_restoZoom += Scatto)
            m_finestra.zoomRotella(false, e.globalPosition());
        return;
    }
    const bool orizzontale = delta.y() == 0 || (e.modifiers() & Qt::ShiftModifier);
    const int gradi = delta.y() ? delta.y() : delta.x();
    if (gradi == 0)
        return;
    // Turning the wheel away from the user (positive) shows what lies above.
    const double twips = -double(gradi) / Scatto * QApplication::wheelScrollLines() * RigaTwips;
    if (orizzontale) {
        m_finestra.scorriOrizzontale(twips);
        return;
    }
    const GeometriaPagina &geom = m_vista.geometria();
    const bool allaFine = twips > 0 ? geom.inFondo() : geom.inCima();
    if (!allaFine) {
        m_restoPagina = 0;
        m_finestra.scorriVerticale(twips, false, false);
        return;
    }
    // At the end of the page: a whole notch (or a touchpad's worth of one)
    // turns the page.
    if ((m_restoPagina > 0) != (gradi > 0))
        m_restoPagina = 0;
    m_restoPagina += gradi;
    if (std::abs(m_restoPagina) >= Scatto) {
        m_restoPagina = 0;
        m_finestra.paginaAccanto(twips > 0, false);
    }
}

} // namespace qv
