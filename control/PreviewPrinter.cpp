// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The recording printer: one object is both its paint engine (what QPainter
// draws becomes painter records, spool/PainterRecords.h) and its print engine
// (page breaks, the printer's state). Every setting and every metric is
// answered by an ordinary QPrinter of the same mode that the recording
// printer keeps beside it, so that a host lays its pages out exactly as on
// that printer.
#include <qvpreview/PreviewPrinter.h>

#include "spool/Document.h"
#include "spool/PainterRecords.h"
#include "spool/PictureFile.h"
#include "spool/SpoolFormat.h"
#include "spool/SpoolWriter.h"
#include "spool/Win.h"

#include <QCoreApplication>
#include <QFile>
#include <QPaintEngine>
#include <QPainterPath>
#include <QPrintEngine>
#include <QRawFont>
#include <QTextItem>

#include <unordered_map>

namespace qv {

namespace {

const QString Source = QStringLiteral("PreviewPrinter");

} // namespace

class Q_DECL_HIDDEN PreviewPrinter::Private : public QPaintEngine, public QPrintEngine
{
public:
    Private(PreviewPrinter &printer, PrinterMode mode)
        : QPaintEngine(AllFeatures)
        , m_printer(printer)
        , m_settings(std::make_unique<QPrinter>(mode))
    {}
    ~Private() override { discard(); }

    // --- QPaintEngine ---------------------------------------------------------------

    bool begin(QPaintDevice *device) override;
    bool end() override;
    void updateState(const QPaintEngineState &state) override;
    void drawPath(const QPainterPath &path) override;
    void drawPolygon(const QPointF *points, int count, PolygonDrawMode mode) override;
    void drawPoints(const QPointF *points, int count) override;
    void drawPixmap(const QRectF &target, const QPixmap &pixmap, const QRectF &source) override;
    void drawImage(const QRectF &target, const QImage &image, const QRectF &source,
                   Qt::ImageConversionFlags flags) override;
    void drawTiledPixmap(const QRectF &target, const QPixmap &pixmap, const QPointF &offset) override;
    void drawTextItem(const QPointF &position, const QTextItem &item) override;
    Type type() const override { return QPaintEngine::User; }

    // --- QPrintEngine: the settings are the kept printer's ----------------------------

    void setProperty(PrintEnginePropertyKey key, const QVariant &value) override
    {
        m_settings->printEngine()->setProperty(key, value);
    }
    QVariant property(PrintEnginePropertyKey key) const override { return m_settings->printEngine()->property(key); }
    bool newPage() override;
    bool abort() override
    {
        discard();
        m_state = QPrinter::Aborted;
        return true;
    }
    int metric(QPaintDevice::PaintDeviceMetric metric) const override
    {
        return m_settings->printEngine()->metric(metric);
    }
    QPrinter::PrinterState printerState() const override
    {
        return m_error && m_state == QPrinter::Active ? QPrinter::Error : m_state;
    }

    void discard()
    {
        m_pending.clear();
        if (m_document && !m_document->isEmpty())
            m_document->discard();
        m_document.reset();
        m_images.clear();
    }

    /// Takes the settings of engines QPrinter made meanwhile (a host's
    /// setOutputFormat()) and puts the recording engines back.
    void reclaimEngines();

    PreviewPrinter &m_printer;
    /// The ordinary printer whose engines answer every setting and metric.
    std::unique_ptr<QPrinter> m_settings;
    std::shared_ptr<spool::Document> m_document;
    std::optional<qv::Error> m_error;
    QPrinter::PrinterState m_state = QPrinter::Idle;

private:
    void fail(const QString &why);
    /// Adds \a record to the records waiting for the file; they are
    /// written at a page's end, at the painter's end, or once they reach
    /// PendingBytes. False when the record is refused or a write failed.
    bool append(const spool::Record &record);
    bool flush();
    static constexpr qsizetype PendingBytes = 256 * 1024;
    /// Writes the state records whose values changed since they were last
    /// written on this page.
    void writeState();
    void drawImageRecord(const QRectF &target, const QImage &image, const QRectF &source, bool tiled);
    QString pictureFile(const QImage &image);
    /// The picture file of a texture brush's image; empty for another brush.
    QString textureFile(const QBrush &brush)
    {
        return brush.style() == Qt::TexturePattern && m_document ? pictureFile(brush.textureImage()) : QString();
    }
    void applyClip(Qt::ClipOperation operation, const QPainterPath &path);
    /// A page begins: its state records are written again before its first
    /// drawing, and its layout is taken.
    void startPage();
    /// The layout of the page that begins. The page is shown and printed at
    /// the size of the current printer's drawable area for now, so nothing
    /// is written: this is where a page's own layout will be recorded.
    /// Records the paper and orientation of the page that starts now as its
    /// first record, so that every reader shows and prints it on that paper
    /// whatever printer is current. The margins are recorded as none: the
    /// page's coordinates count from the paper's corner, where the painter's
    /// drawings are placed.
    void recordPageLayout(const QPageLayout &layout)
    {
        m_pageLayout = layout;
        QPageLayout paper(layout.pageSize(), layout.orientation(), QMarginsF(0, 0, 0, 0), QPageLayout::Point);
        if (!spool::pageLayoutProblem(paper).isEmpty())
            return; // a page Qt cannot describe stays on the current printer's page
        spool::Record page(spool::TagPage);
        spool::writePageLayout(page, paper);
        append(page);
    }

    QByteArray m_pending; // whole records not yet in the file
    QTransform m_toTwips;
    QTransform m_hostMatrix; // the painter's own, to its device pixels
    double m_dpiX = 1200;
    double m_dpiY = 1200;
    // The state as QPainter set it; the matrix maps to page twips.
    QPen m_pen;
    QBrush m_brush;
    QTransform m_matrix;
    bool m_clipEnabled = false;
    bool m_clipOn = false;
    QPainterPath m_clip;
    spool::PainterMode m_mode;
    // The state as written on this page.
    std::optional<QPen> m_writtenPen;
    std::optional<QBrush> m_writtenBrush;
    std::optional<QTransform> m_writtenMatrix;
    std::optional<spool::PainterMode> m_writtenMode;
    std::optional<QFont> m_writtenFont;
    double m_writtenPixels = 0;
    bool m_clipWritten = false;
    QPageLayout m_pageLayout;

public:
    std::unordered_map<qint64, QString> m_images; // picture files by QImage::cacheKey()
};

// --- Recording -----------------------------------------------------------------------

void PreviewPrinter::Private::fail(const QString &why)
{
    if (!m_error)
        m_error = qv::Error(ErrCannotPrint, Source).withDetail(why);
}

bool PreviewPrinter::Private::append(const spool::Record &record)
{
    if (!m_document || m_state != QPrinter::Active)
        return false;
    if (record.longestLine() > spool::MaxLineBytes) {
        fail(QCoreApplication::translate("qv::PreviewPrinter", "un disegno troppo grande per il file di stampa"));
        return false;
    }
    m_pending += record.bytes();
    return m_pending.size() < PendingBytes || flush();
}

bool PreviewPrinter::Private::flush()
{
    if (m_pending.isEmpty() || !m_document)
        return !m_error;
    // Whole records, appended with one write: the file never holds half of one.
    const bool written = m_document->append(m_pending);
    m_pending.clear();
    if (!written)
        fail(QCoreApplication::translate("qv::PreviewPrinter", "impossibile scrivere nel file di stampa \"%1\"")
                 .arg(m_document->path()));
    return written;
}

bool PreviewPrinter::Private::begin(QPaintDevice *device)
{
    if (m_state == QPrinter::Active) {
        fail(QCoreApplication::translate("qv::PreviewPrinter", "la stampante registra già un altro disegno"));
        return false;
    }
    reclaimEngines();
    discard();
    m_error.reset();
    m_document = std::make_shared<spool::Document>();
    m_document->start(Win::NomeFileSpool());
    if (!m_document->claim()) {
        fail(QCoreApplication::translate("qv::PreviewPrinter", "impossibile creare il file di stampa \"%1\"")
                 .arg(m_document->path()));
        m_document.reset();
        return false;
    }
    m_dpiX = std::max(device->logicalDpiX(), 1);
    m_dpiY = std::max(device->logicalDpiY(), 1);
    m_hostMatrix = QTransform();
    m_pen = QPen();
    m_brush = QBrush();
    m_clipEnabled = m_clipOn = false;
    m_clip = QPainterPath();
    m_mode = spool::PainterMode();
    m_state = QPrinter::Active;
    startPage();
    return true;
}

bool PreviewPrinter::Private::end()
{
    flush();
    if (m_state == QPrinter::Active)
        m_state = QPrinter::Idle;
    return !m_error;
}

void PreviewPrinter::Private::startPage()
{
    m_writtenPen.reset();
    m_writtenBrush.reset();
    m_writtenMatrix.reset();
    m_writtenMode.reset();
    m_writtenFont.reset();
    m_clipWritten = false;
    const QPageLayout layout = m_settings->pageLayout();
    recordPageLayout(layout);
    // Twips from the paper's top-left corner: the painter's origin is the
    // corner of the printable area (of the paper when the page is full).
    const QPointF origin = layout.paintRectPixels(m_settings->resolution()).topLeft();
    m_toTwips =
        QTransform::fromTranslate(origin.x(), origin.y()) * QTransform::fromScale(1440.0 / m_dpiX, 1440.0 / m_dpiY);
    m_matrix = m_hostMatrix * m_toTwips;
}

bool PreviewPrinter::Private::newPage()
{
    if (m_state != QPrinter::Active || !append(spool::Record(spool::TagNewPage)) || !flush())
        return false;
    m_document->addPage();
    startPage();
    return !m_error;
}

void PreviewPrinter::Private::applyClip(Qt::ClipOperation operation, const QPainterPath &path)
{
    m_clipWritten = false;
    if (operation == Qt::NoClip) {
        m_clipOn = false;
        m_clip = QPainterPath();
        return;
    }
    const QPainterPath twips = m_matrix.map(path);
    if (operation == Qt::IntersectClip && m_clipOn)
        m_clip = m_clip.intersected(twips);
    else
        m_clip = twips;
    m_clipOn = true;
}

void PreviewPrinter::Private::updateState(const QPaintEngineState &state)
{
    const QPaintEngine::DirtyFlags dirty = state.state();
    // The matrix first: a clip set in the same change is in its coordinates.
    if (dirty & DirtyTransform) {
        m_hostMatrix = state.transform();
        m_matrix = m_hostMatrix * m_toTwips;
    }
    if (dirty & DirtyPen)
        m_pen = state.pen();
    if (dirty & DirtyBrush)
        m_brush = state.brush();
    if (dirty & DirtyBrushOrigin)
        m_mode.brushOrigin = state.brushOrigin();
    if (dirty & DirtyBackground)
        m_mode.background = state.backgroundBrush().color();
    if (dirty & DirtyBackgroundMode)
        m_mode.opaqueBackground = state.backgroundMode() == Qt::OpaqueMode;
    if (dirty & DirtyHints)
        m_mode.hints = int32_t(state.renderHints()) & 0xff;
    if (dirty & DirtyCompositionMode)
        m_mode.composition = int32_t(state.compositionMode());
    if (dirty & DirtyOpacity)
        m_mode.opacity = std::clamp(state.opacity(), 0.0, 1.0);
    if (dirty & DirtyClipEnabled) {
        m_clipEnabled = state.isClipEnabled();
        m_clipWritten = false;
    }
    if (dirty & DirtyClipPath)
        applyClip(state.clipOperation(), state.clipPath());
    if (dirty & DirtyClipRegion) {
        QPainterPath path;
        path.addRegion(state.clipRegion());
        applyClip(state.clipOperation(), path);
    }
}

void PreviewPrinter::Private::writeState()
{
    if (m_writtenMatrix != m_matrix) {
        spool::Record r(spool::TagQtMatrix);
        spool::writeMatrix(r, m_matrix);
        if (append(r))
            m_writtenMatrix = m_matrix;
    }
    if (m_writtenPen != m_pen) {
        spool::Record r(spool::TagQtPen);
        spool::writePen(r, m_pen, textureFile(m_pen.brush()));
        if (append(r))
            m_writtenPen = m_pen;
    }
    if (m_writtenBrush != m_brush) {
        spool::Record r(spool::TagQtBrush);
        spool::writeBrush(r, m_brush, textureFile(m_brush));
        if (append(r))
            m_writtenBrush = m_brush;
    }
    if (m_writtenMode != m_mode) {
        spool::Record r(spool::TagQtMode);
        spool::writeMode(r, m_mode);
        if (append(r))
            m_writtenMode = m_mode;
    }
    if (!m_clipWritten) {
        spool::Record r(spool::TagQtClip);
        spool::writeClip(r, m_clipEnabled && m_clipOn, m_clip);
        m_clipWritten = append(r);
    }
}

void PreviewPrinter::Private::drawPath(const QPainterPath &path)
{
    writeState();
    spool::Record r(spool::TagQtPath);
    spool::writePath(r, path);
    append(r);
}

void PreviewPrinter::Private::drawPolygon(const QPointF *points, int count, PolygonDrawMode mode)
{
    writeState();
    spool::PolygonKind kind = spool::PolygonKind::OddEven;
    switch (mode) {
    case OddEvenMode: kind = spool::PolygonKind::OddEven; break;
    case WindingMode: kind = spool::PolygonKind::Winding; break;
    case ConvexMode: kind = spool::PolygonKind::Convex; break;
    case PolylineMode: kind = spool::PolygonKind::Polyline; break;
    }
    spool::Record r(spool::TagQtPolygon);
    spool::writePolygon(r, kind, points, count);
    append(r);
}

void PreviewPrinter::Private::drawPoints(const QPointF *points, int count)
{
    writeState();
    spool::Record r(spool::TagQtPolygon);
    spool::writePolygon(r, spool::PolygonKind::Points, points, count);
    append(r);
}

QString PreviewPrinter::Private::pictureFile(const QImage &image)
{
    // An image drawn again (a logo on every page) is one file.
    if (const auto found = m_images.find(image.cacheKey()); found != m_images.end())
        return found->second;
    const QString file = Win::NomeFileImmagine();
    if (file.isEmpty() || !spool::writableAsText(file) || !PictureData(image).save(file)) {
        if (!file.isEmpty())
            QFile::remove(file);
        fail(QCoreApplication::translate("qv::PreviewPrinter", "impossibile scrivere il file dell'immagine \"%1\"")
                 .arg(file));
        return QString();
    }
    m_document->addPicture(file);
    m_images.emplace(image.cacheKey(), file);
    return file;
}

void PreviewPrinter::Private::drawImageRecord(const QRectF &target, const QImage &image, const QRectF &source,
                                              bool tiled)
{
    if (image.isNull() || !m_document || m_state != QPrinter::Active)
        return;
    writeState();
    spool::PainterImage record;
    record.path = pictureFile(image);
    if (record.path.isEmpty())
        return;
    record.target = target;
    record.source = source;
    record.tiled = tiled;
    spool::Record r(spool::TagQtImage);
    spool::writeImage(r, record);
    append(r);
}

void PreviewPrinter::Private::drawPixmap(const QRectF &target, const QPixmap &pixmap, const QRectF &source)
{
    drawImageRecord(target, pixmap.toImage(), source, false);
}

void PreviewPrinter::Private::drawImage(const QRectF &target, const QImage &image, const QRectF &source,
                                        Qt::ImageConversionFlags)
{
    drawImageRecord(target, image, source, false);
}

void PreviewPrinter::Private::drawTiledPixmap(const QRectF &target, const QPixmap &pixmap, const QPointF &offset)
{
    drawImageRecord(target, pixmap.toImage(), QRectF(offset, QSizeF(pixmap.size())), true);
}

void PreviewPrinter::Private::drawTextItem(const QPointF &position, const QTextItem &item)
{
    const QString text = item.text();
    if (text.isEmpty())
        return;
    writeState();
    // The font's size in the painter's coordinates, as the text was laid
    // out: a document laid out for the screen has its fonts at the screen's
    // resolution, one laid out on this printer at the printer's.
    const QFont font = item.font();
    const QRawFont raw = QRawFont::fromFont(font);
    double pixels = raw.isValid() ? raw.pixelSize() : 0;
    if (!(pixels > 0))
        pixels = font.pixelSize() > 0 ? double(font.pixelSize()) : font.pointSizeF() * m_dpiY / 72.0;
    if (m_writtenFont != font || m_writtenPixels != pixels) {
        spool::Record r(spool::TagQtFont);
        spool::writeFont(r, spool::PainterFont{font, pixels});
        if (append(r)) {
            m_writtenFont = font;
            m_writtenPixels = pixels;
        }
    }
    spool::PainterText run;
    run.position = position;
    run.pageTwips = m_matrix.map(position);
    run.flags = int32_t(item.renderFlags()) & 0x7f;
    run.text = text;
    spool::Record r(spool::TagQtText);
    spool::writeText(r, run);
    append(r);
}

void PreviewPrinter::Private::reclaimEngines()
{
    QPrintEngine *current = m_printer.printEngine();
    if (current == this)
        return;
    // QPrinter made engines of its own (a new output format or printer):
    // the kept printer takes what they say, and the recording goes on.
    const QPrinter::OutputFormat format = m_printer.outputFormat();
    if (m_settings->outputFormat() != format)
        m_settings->setOutputFormat(format);
    if (format == QPrinter::NativeFormat && !m_printer.printerName().isEmpty())
        m_settings->setPrinterName(m_printer.printerName());
    static constexpr PrintEnginePropertyKey Kept[] = {
        PPK_QPageLayout, PPK_FullPage,  PPK_Resolution,   PPK_CopyCount, PPK_CollateCopies, PPK_ColorMode,
        PPK_Duplex,      PPK_PageOrder, PPK_DocumentName, PPK_Creator,   PPK_OutputFileName};
    for (const PrintEnginePropertyKey key : Kept)
        if (const QVariant value = current->property(key); value.isValid())
            m_settings->printEngine()->setProperty(key, value);
    m_printer.setEngines(this, this);
}

// --- PreviewPrinter ----------------------------------------------------------------------

PreviewPrinter::PreviewPrinter(PrinterMode mode) : QPrinter(mode), d(std::make_unique<Private>(*this, mode))
{
    setEngines(d.get(), d.get());
}

PreviewPrinter::~PreviewPrinter() = default;

void PreviewPrinter::takeSettingsFrom(const QPrinter &printer)
{
    d->reclaimEngines();
    QPrinter &s = *d->m_settings;
    if (s.outputFormat() != printer.outputFormat())
        s.setOutputFormat(printer.outputFormat());
    if (printer.outputFormat() == QPrinter::NativeFormat)
        s.setPrinterName(printer.printerName());
    s.setOutputFileName(printer.outputFileName());
    s.setResolution(printer.resolution());
    s.setPageLayout(printer.pageLayout());
    s.setFullPage(printer.fullPage());
    s.setCopyCount(printer.copyCount());
    s.setCollateCopies(printer.collateCopies());
    s.setColorMode(printer.colorMode());
    s.setDuplex(printer.duplex());
    s.setPageOrder(printer.pageOrder());
    s.setDocName(printer.docName());
    s.setCreator(printer.creator());
    s.setPrintRange(printer.printRange());
    s.setFromTo(printer.fromPage(), printer.toPage());
}

int32_t PreviewPrinter::pageCount() const
{
    return d->m_document ? d->m_document->pageCount(QStringLiteral("PreviewPrinter")) : 0;
}

QString PreviewPrinter::spoolPath() const
{
    return d->m_document ? d->m_document->path() : QString();
}

std::shared_ptr<spool::Document> PreviewPrinter::document() const
{
    return d->m_document;
}

const std::optional<qv::Error> &PreviewPrinter::recordingError() const
{
    return d->m_error;
}

QString PreviewPrinter::keepSpoolFile()
{
    const QString path = spoolPath();
    // Dropped without discarding: its files stay.
    d->m_document.reset();
    d->m_images.clear();
    return path;
}

void PreviewPrinter::discard()
{
    d->discard();
}

QPaintEngine *PreviewPrinter::paintEngine() const
{
    return d.get();
}

} // namespace qv
