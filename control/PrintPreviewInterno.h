// qvPreview - print preview for Qt applications.
// The private side of the control: the preview window object, which the
// control creates together with itself and which loads (temporary page image,
// settings, printer page) only when it is shown, and the measuring surface
// that converts the host's units and measures text meanwhile.
#pragma once

#include "replay/PageMetrics.h"
#include "spool/SpoolWriter.h"

#include <QObject>

#include <memory>
#include <optional>

namespace qv {

class FrmAnteprima;
class PrintPreview;

class PrintPreviewInterno : public QObject
{
    Q_OBJECT
public:
    /// Made by \a controllo, as its child.
    explicit PrintPreviewInterno(PrintPreview &controllo);
    ~PrintPreviewInterno() override;

    /// The private side of \a controllo (tests reach the window and the
    /// measuring surface through it).
    static PrintPreviewInterno &di(const PrintPreview &controllo);

    /// The preview window object; not loaded until it is shown.
    FrmAnteprima &anteprima() { return *m_anteprima; }

    /// The measuring surface: scale conversions and text metrics, and the
    /// page size that centred texts are centred on.
    PageMetrics &misura() { return m_misura; }
    /// The page width in twips: the printer's page as it was when the
    /// document started, or when it was last measured after the preview
    /// window closed.
    int32_t larghezzaPagina();
    /// Takes the current printer's page now (a document starts).
    void aggiornaPagina();
    /// The printer's page is taken again at the next use (the preview window closed).
    void paginaDaAggiornare() { m_paginaDaAggiornare = true; }

    /// The file the document's spool path named when the document took it;
    /// empty while the document has no file of its own (none recorded yet,
    /// or the fallback name could not be had).
    std::optional<spool::SpoolIdentity> &fileSpool() { return m_fileSpool; }
    /// True when \a path still names the document's own file: not deleted,
    /// not replaced by a link or another file since the document took it.
    bool spoolDelDocumento(const QString &path) const
    {
        return m_fileSpool && spool::isSpoolFile(path, *m_fileSpool);
    }

    /// The last text block that StampaCampoMultilinea laid out: its lines
    /// and their height (lines x line spacing) in the host's scale of the call.
    struct BloccoTesto
    {
        int righe = 0;
        double altezza = 0;
    };
    /// The last text block; {0, 0} before the first one.
    BloccoTesto &ultimoBlocco() { return m_ultimoBlocco; }

private:
    std::unique_ptr<FrmAnteprima> m_anteprima;
    BloccoTesto m_ultimoBlocco;
    std::optional<spool::SpoolIdentity> m_fileSpool;
    PageMetrics m_misura;
    bool m_paginaDaAggiornare = true;
};

} // namespace qv
