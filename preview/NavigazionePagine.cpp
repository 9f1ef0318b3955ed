// qvPreview - print preview for Qt applications.
#include "preview/NavigazionePagine.h"

#include <algorithm>

namespace qv {

NavigazionePagine::Esito NavigazionePagine::prima()
{
    if (m_pagina == 0)
        return Limite;
    m_pagina = 0;
    return Cambiata;
}

NavigazionePagine::Esito NavigazionePagine::precedente()
{
    if (m_pagina - 1 < 0) {
        m_pagina = 0;
        return Limite;
    }
    --m_pagina;
    return Cambiata;
}

NavigazionePagine::Esito NavigazionePagine::successiva()
{
    if (m_totali < int32_t(m_pagina) + 2)
        return Limite;
    if (m_pagina == INT16_MAX)
        return Limite; // the page index is 16-bit: no page beyond it can be shown
    ++m_pagina;
    return Cambiata;
}

NavigazionePagine::Esito NavigazionePagine::ultima()
{
    if (m_totali == int32_t(m_pagina) + 1)
        return Limite;
    // An empty document (0 pages) has only the empty first page to show.
    const int32_t ultima = std::clamp<int32_t>(m_totali - 1, 0, INT16_MAX);
    if (ultima == m_pagina)
        return Limite;
    m_pagina = int16_t(ultima);
    return Cambiata;
}

NavigazionePagine::Esito NavigazionePagine::vai(int32_t numero)
{
    if (numero < 1 || numero > m_totali || numero - 1 > INT16_MAX)
        return Limite;
    if (numero - 1 == m_pagina)
        return Stessa;
    m_pagina = int16_t(numero - 1);
    return Cambiata;
}

QString NavigazionePagine::indicatore(int32_t pagina, int32_t totali)
{
    const QString numero = pagina >= 0 ? QStringLiteral(" ") + QString::number(pagina) : QString::number(pagina);
    return numero + QLatin1Char('/') + QString::number(totali);
}

} // namespace qv
