// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#pragma once

#include <qvpreview/Error.h>
#include <qvpreview/Export.h>
#include <qvpreview/PreviewWindowOptions.h>
#include <qvpreview/PropertyBag.h>
#include <qvpreview/Types.h>

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>

namespace qv {

/// The print-preview control. A host records its document page by page
/// through the recording commands; nothing is drawn at call time, every call
/// appends one record to a spool file in the temporary folder. The document
/// ends with ShowAnteprima() (modal preview), InviaAllaStampante() or
/// AnnullaStampa().
///
/// Every coordinate and length is in the unit of ScaleMode() (twips by
/// default; scale mode 0, user, has no custom scale and converts 1:1 with
/// twips). Property setters that refuse a value throw qv::Error 380
/// ("Valore di proprietà non valido", source the property's name) and keep
/// the old value.
///
/// What throws (every error is a qv::Error; see Error.h):
/// - the property setters and ReadProperties(): 380, source the property's
///   name, and a detail() with the property and the value refused
///   ("FontSize = 0 (ammessi da 1 a 2160)"); what() shows both;
/// - StampaTesto(), StampaCentrato(), StampaCampo(), StampaCampoMultilinea()
///   and Cerchio(): 1001 ("Impossibile stampare..."), source the command's
///   name, when the record could not be written or the text does not fit its
///   field at all;
/// - NuovaPagina(), linea(), Punto(), StampaPicture(), AnnullaStampa() and
///   InviaAllaStampante() never throw (linea() and Punto() return false,
///   lastPrintError() says why a print failed).
///
/// Line breaks in texts: StampaTesto() and StampaCampoMultilinea() take
/// `"\r\n"` as the line break. StampaTesto() also breaks at a lone `"\n"` (the
/// record's lines end at either); StampaCampoMultilinea() breaks paragraphs
/// only at `"\r\n"`, and a lone `"\n"` or `"\r"` there becomes a blank, as does
/// every control character but tab in StampaCentrato() and StampaCampo(),
/// which print one line. A host with `"\n"` texts converts them first:
/// `text.replace("\r\n", "\n").replace("\n", "\r\n")`.
///
/// The control is a fixed 495 x 495 twips widget with no visible function.
/// It needs a QApplication.
///
/// For example (examples/tour/main.cpp, which CI runs):
/// \snippet tour/main.cpp PrintPreview
class QV_EXPORT PrintPreview : public QWidget
{
    Q_OBJECT
    /// The preview window's caption, as titolo() and setTitolo().
    Q_PROPERTY(QString titolo READ titolo WRITE setTitolo)
    /// The unit of coordinates, as ScaleMode(); with titolo, the persisted
    /// property set that a form designer edits and a .ui file stores. Written
    /// through the meta-object system (a designer's property editor,
    /// QUiLoader, QObject::setProperty), where no caller can catch qv::Error,
    /// a value outside 0 to 7 is refused with a warning and the scale mode
    /// stays as it was; setScaleMode() throws as usual.
    Q_PROPERTY(int ScaleMode READ ScaleMode WRITE scriviScaleModeProprieta)
    void scriviScaleModeProprieta(int value)
    {
        try {
            setScaleMode(value);
        } catch (const Error &e) {
            qWarning("qv::PrintPreview: ScaleMode %d refused (%s)", value, e.what());
        }
    }
    /// How the preview window opens (see the preview properties below); not
    /// part of the persisted set. Values refused by the setters are refused
    /// with a warning, as ScaleMode.
    Q_PROPERTY(bool previewMaximized READ previewMaximized WRITE setPreviewMaximized)
    /// The preview window's opening size, as previewSize().
    Q_PROPERTY(QSize previewSize READ previewSize WRITE scriviPreviewSizeProprieta)
    /// The preview window's opening zoom fit, as previewFit().
    Q_PROPERTY(int previewFit READ previewFit WRITE scriviPreviewFitProprieta)
    /// Whether the preview window remembers its state, as previewRemembers().
    Q_PROPERTY(bool previewRemembers READ previewRemembers WRITE setPreviewRemembers)
    /// Whether the page stands with a margin and a shadow, as previewPageShadow().
    Q_PROPERTY(bool previewPageShadow READ previewPageShadow WRITE setPreviewPageShadow)
    void scriviPreviewSizeProprieta(const QSize &value)
    {
        try {
            setPreviewSize(value);
        } catch (const Error &e) {
            qWarning("qv::PrintPreview: previewSize refused (%s)", e.what());
        }
    }
    void scriviPreviewFitProprieta(int value)
    {
        try {
            setPreviewFit(value);
        } catch (const Error &e) {
            qWarning("qv::PrintPreview: previewFit %d refused (%s)", value, e.what());
        }
    }

public:
    /// A control with every property at its default and nothing recorded.
    explicit PrintPreview(QWidget *parent = nullptr);
    /// Discards the document (as AnnullaStampa()) and unloads the preview window.
    ~PrintPreview() override;

    // --- Properties -------------------------------------------------------

    /// Caption of the preview window. Default "Anteprima di Stampa"; persisted as "Titolo".
    QString titolo() const;
    /// Sets titolo(); any text. Emits persistedPropertyChanged("Titolo").
    void setTitolo(const QString &value);

    /// Face name of the next text records. Default "Arial"; any value.
    QString FontName() const;
    /// Sets FontName(); any text (an unknown face falls back as Qt chooses).
    void setFontName(const QString &value);
    /// Size in points of the next text records. Default 10; 1 to 2160.
    int32_t FontSize() const;
    /// Sets FontSize(); outside 1 to 2160 throws qv::Error 380.
    void setFontSize(int32_t value);
    /// True: the next text records are italic. Default false.
    bool FontItalic() const;
    /// Sets FontItalic().
    void setFontItalic(bool value);
    /// True: the next text records are bold. Default false.
    bool FontBold() const;
    /// Sets FontBold().
    void setFontBold(bool value);
    /// True: the next text records are underlined. Default false.
    bool FontUnderline() const;
    /// Sets FontUnderline().
    void setFontUnderline(bool value);
    /// True: the next text records are struck through. Default false.
    bool FontStrikethru() const;
    /// Sets FontStrikethru().
    void setFontStrikethru(bool value);
    /// Text and pen colour, red + 256 * green + 65536 * blue. Default 0; 0 to 16777215.
    int32_t ForeColor() const;
    /// Sets ForeColor(); outside 0 to 16777215 throws qv::Error 380.
    void setForeColor(int32_t value);
    /// The same from a QColor (its RGB; alpha is dropped). An invalid QColor
    /// is refused (380). qv::toQColor(ForeColor()) reads it back as a QColor.
    void setForeColor(const QColor &value);
    /// The same from a Qt::GlobalColor (its RGB, as the QColor overload).
    void setForeColor(Qt::GlobalColor value) { setForeColor(QColor(value)); }
    /// True: texts are drawn without filling their background. Default true.
    bool FontTransparent() const;
    /// Sets FontTransparent().
    void setFontTransparent(bool value);
    /// Unit of every coordinate and length (QV_SCALEMODE). Default 1 (twips); 0 to 7; persisted.
    int32_t ScaleMode() const;
    /// Sets ScaleMode(); outside 0 to 7 throws qv::Error 380. Emits
    /// persistedPropertyChanged("ScaleMode").
    void setScaleMode(int32_t value);
    /// Raster operation of the pen, 1 to 16 (13 copy pen); 0 is accepted too. Default 13.
    int32_t DrawMode() const;
    /// Sets DrawMode(); outside 0 to 16 throws qv::Error 380.
    void setDrawMode(int32_t value);
    /// Pen width in device pixels. Default 1; 0 to 32767.
    int32_t DrawWidth() const;
    /// Sets DrawWidth(); outside 0 to 32767 throws qv::Error 380.
    void setDrawWidth(int32_t value);
    /// Pen style: 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot, 5 invisible, 6 inside solid. Default 0.
    int32_t DrawStyle() const;
    /// Sets DrawStyle(); outside 0 to 6 throws qv::Error 380.
    void setDrawStyle(int32_t value);
    /// Fill colour of boxes and circles. Default 0; 0 to 16777215.
    int32_t FillColor() const;
    /// Sets FillColor(); outside 0 to 16777215 throws qv::Error 380.
    void setFillColor(int32_t value);
    /// The same from a QColor (its RGB; alpha is dropped). An invalid QColor
    /// is refused (380).
    void setFillColor(const QColor &value);
    /// The same from a Qt::GlobalColor (its RGB, as the QColor overload).
    void setFillColor(Qt::GlobalColor value) { setFillColor(QColor(value)); }
    /// Fill pattern: 0 solid, 1 transparent, 2 to 7 hatches. Default 1.
    int32_t FillStyle() const;
    /// Sets FillStyle(); outside 0 to 7 throws qv::Error 380.
    void setFillStyle(int32_t value);
    /// Number of copies that InviaAllaStampante() prints. Default 1; any value
    /// (0 or fewer prints nothing).
    int16_t Copie() const;
    /// Sets Copie().
    void setCopie(int16_t value);
    /// 1 plus the number of page breaks recorded (at most 32767).
    int32_t TotalePagine() const;

    // --- Drawing commands -------------------------------------------------

    /// Ends the page; the next records go to a new page. Never throws.
    void NuovaPagina();
    /// A line from (X1, Y1) to (X2, Y2), or with \a rettangolo the box with these
    /// opposite corners, filled with the pen colour when \a pieno. False when it
    /// could not be recorded; never throws.
    bool linea(float X1, float Y1, float X2, float Y2, bool rettangolo, bool pieno);
    /// A point. False when it could not be recorded; never throws.
    bool Punto(float X1, float Y1);
    /// A circle, arc or ellipse centred at (X1, Y1). The optional values are
    /// recorded as passed: \a colore (-1: the pen colour; a QColor or a
    /// Qt::GlobalColor is recorded as its colour value), start and end angle
    /// in radians (equal: a full circle; negative: the radius is drawn too),
    /// \a aspetto height / width. Left out they are -1, 2, 2 and 1.
    /// Throws qv::Error 1001 (source "Cerchio") when it cannot record.
    void Cerchio(float X1, float Y1, float raggio, const QVariant &colore = {}, const QVariant &Inizio = {},
                 const QVariant &Fine = {}, const QVariant &aspetto = {});
    /// A picture with its top-left corner at (X1, Y1), stretched to the given
    /// width and height, or its natural size when they are left out. \a Picture
    /// holds a QImage or QPixmap (raster, kept as a PNG file) or a QPicture
    /// (vector, kept as an SVG document that the replay draws with Qt's SVG
    /// renderer; the natural size is the QPicture's). An invalid QVariant, an
    /// empty QPicture or any other value is no picture and records nothing.
    /// Never throws.
    void StampaPicture(const QVariant &Picture, float X1, float Y1, const QVariant &Width1 = {},
                       const QVariant &Height1 = {});

    // --- Text commands ----------------------------------------------------

    /// A text whose left edge is PosX and whose line ends at PosY (lower edge);
    /// `"\r\n"` or `"\n"` start a further line of the same record.
    /// Throws qv::Error 1001 (source "StampaTesto") for an empty text or a failed record.
    void StampaTesto(float PosX, float PosY, QString testo);
    /// A text centred on the page width, line ending at Y. Throws 1001 like StampaTesto.
    void StampaCentrato(float Y, QString testo);
    /// A text fitted into a field \a limiteMax wide, aligned, cut at a word
    /// when \a parolaIntera. Returns the number of characters of \a testo used
    /// up, or 0 when there was nothing to print. Throws 1001 (source "StampaCampo").
    int32_t StampaCampo(float PosX, float PosY, QString testo, float limiteMax, QV_ALLINEAMENTO Allineamento,
                        bool parolaIntera);
    /// A wrapped multi-line block. \a nRighe (0: 32000) limits the lines laid
    /// out, \a interlinea (0: the line height) is the line spacing; both are
    /// given back. Returns the text that did not fit. Paragraphs end at
    /// `"\r\n"`; a lone `"\n"` becomes a blank. lastBlockLines() and
    /// lastBlockHeight() then say how many lines the block took and how tall it is.
    /// Throws 1001 (source "StampaCampoMultilinea").
    QString StampaCampoMultilinea(float PosX, float PosY, QString testo, float limiteMax, QV_ALLINEAMENTO Allineamento,
                                  int16_t &nRighe, float &interlinea);
    /// The lines that the last StampaCampoMultilinea() call laid out, an empty
    /// paragraph counting as one (nRighe gives back only the limit, 32000 when
    /// it was 0). Updated by every StampaCampoMultilinea() call and by nothing
    /// else: 0 before the first, and after a call that recorded nothing (an
    /// empty text or one of spaces). After a call that threw, the lines it
    /// recorded before it failed (they stay in the document).
    int lastBlockLines() const;
    /// Whether each text of StampaCampo() and each line of
    /// StampaCampoMultilinea() is recorded with its field (its left edge, its
    /// width and how many characters it cut), so that the layout check
    /// (SpoolFile::checkLayout(), `qvpreview check --layout`) can name the
    /// texts a field cut. Off by default: the file then holds the text
    /// records only, as readers of the plain format expect. Takes effect from
    /// the next text; may be changed at any time.
    void setFieldsRecorded(bool on);
    /// True while texts are recorded with their field (setFieldsRecorded()).
    bool fieldsRecorded() const;
    /// The height of the last StampaCampoMultilinea() block: lastBlockLines()
    /// x its line spacing (interlinea), in the unit of ScaleMode() at the time
    /// of that call. PosY + lastBlockHeight() is where a next block at the same
    /// spacing puts its first line. Updated as lastBlockLines().
    double lastBlockHeight() const;
    /// Width of \a testo in the current font, in the current scale.
    float TextWidth(const QString &testo);
    /// Height of one line of text in the current font, in the current scale.
    float TextHeight();

    // --- Ending a document and page geometry ------------------------------

    /// Opens the modal preview window on the document; returns when the user closes it.
    void ShowAnteprima();
    /// Opens a preview window on the document that does not wait: the call
    /// returns at once, and the host goes on recording while the window
    /// shows the pages as they are recorded (a report that takes minutes
    /// shows its first page as soon as it is there). Each NuovaPagina() lets
    /// the window read on and paints it before returning: the page count and
    /// the indicator follow, page 1 is on show once its page break is
    /// recorded, and the page on show is drawn again while it grows, with
    /// only whole records (each record is written to the file whole, in one
    /// write). This costs the recording a few milliseconds at most every
    /// 50 ms of recording, so that a 100,000-page report is slowed by little.
    /// Between page breaks, and while the host runs its event loop, the
    /// window follows the file as `qvpreview view --follow` does. The user's
    /// keys and clicks reach the window when the host's event loop runs:
    /// a host that records on its user-interface thread in one go sees the
    /// window answer once the recording is done; one that records in steps
    /// (from a timer, or calling QCoreApplication::processEvents() between
    /// pages) has it answer meanwhile. The window opens as the preview
    /// properties say (PreviewWindowOptions) with the caption Titolo(); it
    /// prints through the same command as ShowAnteprima()'s, and closes
    /// when the document is discarded (AnnullaStampa(), InviaAllaStampante()
    /// printing it, the control's end) or by the user. Called again while
    /// it is open, it raises it. Starts the spool file when nothing was
    /// recorded yet. Throws what the window's first display throws (53, 75
    /// for a spool file that cannot be read); ShowAnteprima() is unchanged
    /// and may be called meanwhile. Needs a QApplication with a display.
    void showPreviewWhileRecording();
    /// True while the window of showPreviewWhileRecording() is open.
    bool previewWhileRecordingShown() const;
    /// Closes the window of showPreviewWhileRecording(), if open.
    void closePreviewWhileRecording();
    /// Prints the document on the current printer, after the options dialog
    /// when \a finestraDialogo, and discards it. Never throws and logs
    /// nothing; a document whose printing failed is kept, and
    /// lastPrintError() says why. With 0 or fewer copies (Copie(), or the
    /// dialog's) there is nothing to print: no job, no PDF file, no error,
    /// and the document is kept.
    void InviaAllaStampante(bool finestraDialogo = false);
    /// Why the last print did not print (InviaAllaStampante(), or the print
    /// command of the preview window that ShowAnteprima() opened): 482 with
    /// the printer's error, or a PDF file that could not be written (the file
    /// and the system's reason), 482 when no printer is installed, 53 when
    /// the spool file was deleted or replaced since the last record, the
    /// replay's error for a document that cannot be read (62, ...). nullopt
    /// when it printed, or had nothing to do (the dialog cancelled, nothing
    /// recorded, no copies asked for).
    const std::optional<Error> &lastPrintError() const;
    /// The PDF file the last print wrote on the built-in PDF printer; empty
    /// when it printed on a CUPS queue or did not print.
    QString lastPdfFile() const;
    /// Discards the document: deletes the spool file and every picture file.
    void AnnullaStampa();
    /// Printable page width in the current scale: the width within the
    /// margins of the current page layout (qv::currentPageLayout(): the one
    /// chosen with qv::setCurrentPageLayout(), else the current printer's
    /// drawable area; 11520 twips without a printer). Recording coordinates
    /// count from the top-left corner of that area. While a layout is chosen,
    /// every page the control starts records it (the first record of the
    /// page carries it), so the page is shown and printed on that paper
    /// wherever the file is read; choosing another between NuovaPagina()
    /// and the next record lays out the new page so (a landscape page
    /// inside a portrait document). A layout chosen while the page already
    /// holds records applies from the next page on. StampaCentrato()
    /// centres on the width of the page it records on.
    float PageWidth();
    /// Printable page height in the current scale, as PageWidth() (15872
    /// twips without a printer).
    float PageHeight();
    /// Shows the about box.
    void AboutBox();

    // --- Scale conversion -------------------------------------------------

    /// A horizontal length from the current scale to twips, unrounded.
    float ConvertiInTwipsX(float value);
    /// A vertical length from the current scale to twips, unrounded.
    float ConvertiInTwipsY(float value);
    /// A horizontal length from twips to the current scale, unrounded.
    float ConvertiDaTwipsX(float value);
    /// A vertical length from twips to the current scale, unrounded.
    float ConvertiDaTwipsY(float value);

    // --- Container protocol -----------------------------------------------

    /// First placement on a form: title and scale mode to their defaults.
    void InitProperties();
    /// Loads "Titolo" and "ScaleMode" from the container's property set.
    void ReadProperties(const PropertyBag &bag);
    /// Stores "Titolo" and "ScaleMode", with their defaults, in the container's property set.
    void WriteProperties(PropertyBag &bag) const;

    // --- How the preview window opens ---------------------------------------

    /// The preview window opens maximised. Default false.
    bool previewMaximized() const;
    /// Sets previewMaximized().
    void setPreviewMaximized(bool value);
    /// The preview window's size when it opens, in device-independent
    /// pixels, centred on the screen and cut to its free area. Default: an
    /// invalid QSize, the window's design size (8715 x 5940 twips) at the
    /// top-left corner.
    QSize previewSize() const;
    /// Sets previewSize(); a valid size must be at least 1 x 1, else it
    /// throws qv::Error 380. An invalid QSize goes back to the design size.
    void setPreviewSize(const QSize &value);
    /// The zoom the preview opens at (PreviewWindowOptions::Fit): 0 100 %,
    /// 1 the whole page, 2 the page's width; a fitted zoom then follows the
    /// window's size. Default 0.
    int previewFit() const;
    /// Sets previewFit(); outside 0 to 2 throws qv::Error 380.
    void setPreviewFit(int value);
    /// True: the preview window remembers its size, position, maximised
    /// state, zoom and view for the user between runs, in the user's settings
    /// (`$XDG_CONFIG_HOME/QVPREVIEW.ini`, `[FINESTRA]`); what it remembered
    /// wins over previewMaximized(), previewSize() and previewFit(). Default
    /// false (the quality box is remembered in any case).
    bool previewRemembers() const;
    /// Sets previewRemembers().
    void setPreviewRemembers(bool value);
    /// True: the page stands on the preview's grey background with a margin
    /// of 16 pixels and a shadow. Default false.
    bool previewPageShadow() const;
    /// Sets previewPageShadow().
    void setPreviewPageShadow(bool value);
    /// All of the above at once.
    PreviewWindowOptions previewWindowOptions() const;
    /// Sets all of the above; throws qv::Error 380 as their setters do, and
    /// then changes nothing.
    void setPreviewWindowOptions(const PreviewWindowOptions &value);

    /// Full path of the current spool file; empty while nothing is recorded.
    /// SpoolFile (SpoolFile.h) renders, prints or checks it.
    QString spoolPath() const;
    /// The temporary picture files of the document, in recording order.
    QStringList pictureFiles() const;

Q_SIGNALS:
    /// A persisted property ("Titolo" or "ScaleMode") changed.
    void persistedPropertyChanged(const QString &name);

protected:
    /// Keeps the control at its fixed size.
    void resizeEvent(QResizeEvent *event) override;
    /// Draws the control as a framed box marked "QV".
    void paintEvent(QPaintEvent *event) override;

private:
    void ApriSpool();
    void ApriAnteprima();
    bool ScriviTesto(float x, float y, QString testo);
    int32_t ImpaginaCampo(float PosX, float PosY, QString testo, float limiteMax, QV_ALLINEAMENTO Allineamento,
                          bool parolaIntera);
    void ScriviCentrato(float Y, QString testo);
    double LarghezzaTestoTwips(const QString &testo);
    double AltezzaTestoTwips();
    void applicaFont();
    QSize fixedPixelSize() const;

    // The document being recorded, the drawing attributes and the window.
    class Private;
    std::unique_ptr<Private> d;
};

} // namespace qv
