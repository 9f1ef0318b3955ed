// qvPreview - print preview for Qt applications.
// Which page the preview shows and the four page commands, without widgets:
// each command says whether the page changed (the window then redraws) or
// whether it hit a limit (the window beeps).
#pragma once

#include <QString>

#include <cstdint>

namespace qv {

class NavigazionePagine
{
public:
    /// What a page command did.
    enum Esito {
        Cambiata, ///< another page is now current: redraw it
        Limite,   ///< the command was at its limit: beep, nothing to redraw
        Stessa,   ///< the page asked for is the one on show: nothing to do
    };

    /// 0-based index of the page on show.
    int16_t paginaVisualizzata() const { return m_pagina; }
    void setPaginaVisualizzata(int16_t pagina) { m_pagina = pagina; }
    int32_t pagineTotali() const { return m_totali; }
    void setPagineTotali(int32_t totali) { m_totali = totali; }

    Esito prima();
    /// On the first page: Limite, and the page stays the first one.
    Esito precedente();
    Esito successiva();
    Esito ultima();
    /// Goes to page \a numero (1-based); Limite for a number outside the
    /// document or beyond the pages the 16-bit page index can show.
    Esito vai(int32_t numero);

    /// Whether \a comando (prima, precedente, ...) would show another page
    /// now, that is, would not be at its limit.
    bool possibile(Esito (NavigazionePagine::*comando)()) const
    {
        NavigazionePagine prova = *this;
        return (prova.*comando)() == Cambiata;
    }

    /// The page indicator for page \a pagina (1-based) of \a totali: the
    /// number with its sign position (a blank before a positive number),
    /// "/", the count; " 1/3".
    static QString indicatore(int32_t pagina, int32_t totali);
    QString indicatore() const { return indicatore(int32_t(m_pagina) + 1, m_totali); }

private:
    int16_t m_pagina = 0;
    int32_t m_totali = 0;
};

} // namespace qv
