// qvPreview - print preview for Qt applications.
#pragma once

#include "replay/PageSurface.h"

#include <QDialog>
#include <QString>
#include <QVector>

#include <cstdint>
#include <memory>

namespace qv {

/// The print-preview window. The control creates one with itself and keeps
/// it hidden: its page surface Picture2() is the control's measuring surface.
/// The window is "loaded" on the first use of its page surface (or of any
/// other of its parts) and unloaded when it closes; the next use loads it
/// afresh.
class FrmAnteprima : public QDialog
{
    Q_OBJECT
public:
    explicit FrmAnteprima(QWidget *parent = nullptr);
    ~FrmAnteprima() override;

    // Public interface, as the control uses it.
    QString titolo() const { return m_titolo; }
    void setTitolo(const QString &value);
    QString FileTemporaneo() const { return m_fileTemporaneo; }
    void setFileTemporaneo(const QString &value);
    int32_t PagineTotali() const { return m_pagineTotali; }
    void setPagineTotali(int32_t value);
    /// Sizes the page surface to the current printer's drawable area
    /// (11520 x 15872 twips without a printer).
    void Aggiorna();

    /// The page surface at 100 %, in twips; loads the window first.
    PageSurface &Picture2();

    /// Page size in twips at 100 %.
    int32_t LarghezzaPagina() const { return m_larghezzaPagina; }
    int32_t AltezzaPagina() const { return m_altezzaPagina; }

    bool isLoaded() const { return m_loaded; }
    /// Runs the load steps if the window is not loaded yet.
    void ensureLoaded();
    /// Unloads the window: deletes its page image file and forgets its page surface.
    void unload();

    /// Path of this window's temporary 256-colour page image file.
    QString FileImmagine() const { return m_fileImmagine; }

private:
    void load();

    bool m_loaded = false;
    std::unique_ptr<PageSurface> m_picture2;
    QString m_titolo;
    QString m_fileTemporaneo;
    int32_t m_pagineTotali = 0;
    int16_t m_paginaVisualizzata = 0;
    QVector<int32_t> m_posizioniPagine;
    int32_t m_larghezzaPagina = 0;
    int32_t m_altezzaPagina = 0;
    QString m_fileImmagine;
    bool m_immagineConvertita = false;
    bool m_daInizializzare = true;
};

} // namespace qv
