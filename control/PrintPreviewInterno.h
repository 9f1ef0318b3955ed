// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The private side of the control: the document being recorded, the drawing
// attributes as the spool records them, the persisted properties and the last
// print's outcome (PrintPreview::Private); the preview window object, which
// the control creates together with itself and which loads (temporary page
// image, settings, printer page) only when it is shown, and the measuring
// surface that converts the host's units and measures text meanwhile
// (PrintPreviewInterno).
#pragma once

#include "control/AdattaTesto.h"
#include "render/PageMetrics.h"
#include "spool/Document.h"

#include "spool/SpoolFormat.h"
#include "spool/SpoolWriter.h"
#include <QElapsedTimer>

#include <qvpreview/Error.h>
#include <qvpreview/PrintPreview.h>

#include <QObject>
#include <QPageLayout>
#include <QString>

#include <cmath>
#include <memory>
#include <optional>

namespace qv {

class FrmAnteprima;
struct PrintOutcome;

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
    PageMetrics m_misura;
    bool m_paginaDaAggiornare = true;
};

class Q_DECL_HIDDEN PrintPreview::Private
{
public:
    explicit Private(PrintPreview &controllo) : interno(std::make_unique<PrintPreviewInterno>(controllo))
    {
        font.fontName = QStringLiteral("Arial");
    }

    std::unique_ptr<PrintPreviewInterno> interno;
    /// The document being recorded; the preview window is handed it.
    std::shared_ptr<spool::Document> document = std::make_shared<spool::Document>();

    QString titolo;
    int32_t scaleMode = SM_Twips;
    int16_t copie = 1;
    /// The attributes of the next records, as their font line and stroke
    /// line hold them (ForeColor is in both).
    spool::FontLine font;
    spool::StrokeLine stroke;

    std::optional<Error> erroreStampa;
    QString ultimoPdf;
    /// How the preview window opens (the preview properties).
    PreviewWindowOptions finestra;
    /// While StampaCampoMultilinea lays out a paragraph: the paragraph and
    /// where the line being fitted starts in it, so that the fitting reads
    /// widths off one layout of the paragraph.
    AdattaTesto::Paragrafo *paragrafo = nullptr;
    qsizetype inizioRiga = 0;
    /// While ImpaginaCampo writes its piece: the field it was fitted into,
    /// recorded just before the text record (the layout check reads it).
    std::optional<spool::FieldLine> campo;
    /// Whether fitted texts are recorded with their field (setFieldsRecorded).
    bool fieldsRecorded = false;
    /// True once the page being recorded has a record: its layout is then
    /// fixed (pageLayout).
    bool pageBegun = false;
    /// The layout record of the page being recorded, once it has begun;
    /// nullopt for a page recorded without one.
    std::optional<QPageLayout> pageLayout;
    /// The layout of the page being recorded: its own once it has begun,
    /// else the one it will take (the chosen layout; nullopt: none chosen).
    std::optional<QPageLayout> layoutOfPage() const;
    /// Appends \a record to the document. The first record of a page goes
    /// with the page's layout record before it, in the same write, while a
    /// layout is chosen (qv::setCurrentPageLayout); with none chosen the file
    /// is as it always was. False when the record is not in the file.
    bool append(const spool::Record &record);

    /// Keeps what the host can ask about the last print (lastPrintError(),
    /// lastPdfFile()): of InviaAllaStampante() or of the preview window.
    void riporta(const PrintOutcome &esito);

    /// The window that shows the document while it is recorded
    /// (showPreviewWhileRecording(), PrintPreviewLive.cpp), and when it last
    /// read on at a page break.
    struct Live
    {
        Live();
        ~Live(); // in PrintPreviewLive.cpp, where the window is known
        std::unique_ptr<FrmAnteprima> window;
        QElapsedTimer followed;
    } live;
    /// At a page break: the window reads on and is painted, at the first
    /// break and then at most every LiveFollowMs of recording.
    void followPageBreak();
    static constexpr qint64 LiveFollowMs = 50;
    /// Closes the window before the document goes.
    void closeLive();
};

// What the control's source files (PrintPreview*.cpp) share.

/// The keys of the persisted properties in a property bag.
inline const QString TitoloKey = QStringLiteral("Titolo");
inline const QString ScaleModeKey = QStringLiteral("ScaleMode");

/// Refuses a value of \a property: throws ErrInvalidPropertyValue naming it, with \a detail.
[[noreturn]] void refuse(const char *property, const QString &detail);
/// Refuses \a value of \a property, which must lie between \a low and \a high.
[[noreturn]] void refuseRange(const char *property, qint64 value, qint64 low, qint64 high);
/// Throws ErrCannotPrint naming \a command.
[[noreturn]] void cannotPrint(const char *command);

inline bool finite(float value)
{
    return std::isfinite(value);
}

} // namespace qv
