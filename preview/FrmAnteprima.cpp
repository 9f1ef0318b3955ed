// qvPreview - print preview for Qt applications.
#include "preview/FrmAnteprima.h"

#include "platform/Platform.h"
#include "replay/Win.h"

#include <QFile>

#include <qvpreview/Types.h>

#include <cmath>

namespace qv {

FrmAnteprima::FrmAnteprima(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Anteprima di Stampa"));
}

FrmAnteprima::~FrmAnteprima()
{
    unload();
}

void FrmAnteprima::ensureLoaded()
{
    if (!m_loaded)
        load();
}

void FrmAnteprima::load()
{
    m_loaded = true;
    m_picture2 = std::make_unique<PageSurface>();
    m_fileImmagine = Win::NomeFileImmagine();
    m_posizioniPagine = QVector<int32_t>(1, 0);
    m_daInizializzare = true;
    Aggiorna();
    m_paginaVisualizzata = 0;
}

void FrmAnteprima::unload()
{
    if (!m_loaded)
        return;
    if (!m_fileImmagine.isEmpty())
        QFile::remove(m_fileImmagine);
    m_fileImmagine.clear();
    m_picture2.reset();
    m_loaded = false;
}

void FrmAnteprima::setTitolo(const QString &value)
{
    m_titolo = value;
}

void FrmAnteprima::setFileTemporaneo(const QString &value)
{
    m_fileTemporaneo = value;
}

void FrmAnteprima::setPagineTotali(int32_t value)
{
    ensureLoaded();
    m_pagineTotali = value;
}

PageSurface &FrmAnteprima::Picture2()
{
    ensureLoaded();
    return *m_picture2;
}

void FrmAnteprima::Aggiorna()
{
    ensureLoaded();
    const auto printer = platform::currentPrinter();
    if (!printer) {
        m_larghezzaPagina = DefaultPageWidthTwips;
        m_altezzaPagina = DefaultPageHeightTwips;
    } else {
        // Whole twips, halves to even (the current rounding mode is to nearest).
        if (printer->drawableTwips.width() > 0)
            m_larghezzaPagina = int32_t(std::nearbyint(printer->drawableTwips.width()));
        if (printer->drawableTwips.height() > 0)
            m_altezzaPagina = int32_t(std::nearbyint(printer->drawableTwips.height()));
        if (m_larghezzaPagina <= 0 || m_altezzaPagina <= 0) {
            m_larghezzaPagina = DefaultPageWidthTwips;
            m_altezzaPagina = DefaultPageHeightTwips;
        }
    }
    m_picture2->setSize(m_larghezzaPagina, m_altezzaPagina);
}

} // namespace qv
