// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The recording control: its creation, the persisted set, the scale
// conversions, the spool file, the drawing commands, page geometry and the
// preview window's options (its properties are in PrintPreviewProperties.cpp,
// its text commands in PrintPreviewText.cpp). Every recording command builds
// one whole record in memory and appends it with spool::appendRecord(), so a
// failed command leaves the spool file exactly as it was; records go only into
// the file the document started (see ApriSpool).
//
// Scale mode 0 (user) has no custom scale of its own on the page surface: it
// converts 1:1 with twips.
#include <qvpreview/PrintPreview.h>

#include "control/PrintPreviewInterno.h"
#include "platform/Devices.h"
#include "platform/Platform.h"
#include "preview/FrmAnteprima.h"
#include "spool/PictureFile.h"
#include "spool/SpoolFormat.h"
#include "spool/SpoolWriter.h"
#include "spool/Win.h"

#include <QCoreApplication>
#include <QFile>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

#include <cmath>
#include <limits>
#include <optional>

namespace qv {

namespace {

const QString DefaultTitle = QStringLiteral("Anteprima di Stampa");
constexpr int32_t ControlSizeTwips = 495;
constexpr double TwipsPerInch = 1440.0;
constexpr double HimetricPerInch = 2540.0;

/// The value of an optional numeric argument: nullopt when it is no number
/// (or not finite). Text holding a number in invariant notation counts too.
std::optional<double> numberOf(const QVariant &value)
{
    double d = 0;
    bool ok = false;
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Float:
    case QMetaType::Double: d = value.toDouble(&ok); break;
    case QMetaType::QString:
        d = value.toString().trimmed().toDouble(&ok); // QString::toDouble is locale-independent
        break;
    default: break;
    }
    if (!ok || !std::isfinite(d))
        return std::nullopt;
    return d;
}

/// Writes an optional value of a circle as the host passed it: whole-number
/// types as integers, float with 7 digits, double (and numeric text) with 15.
bool appendCircleValue(spool::Record &record, const QVariant &value, int defaultValue)
{
    if (!value.isValid()) {
        record.integer(defaultValue);
        return true;
    }
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Long:
    case QMetaType::Short:
    case QMetaType::Char:
    case QMetaType::SChar: record.integer(value.toLongLong()); return true;
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::ULong:
    case QMetaType::UShort:
    case QMetaType::UChar: {
        const qulonglong u = value.toULongLong();
        if (u > qulonglong(std::numeric_limits<int64_t>::max()))
            return false;
        record.integer(int64_t(u));
        return true;
    }
    case QMetaType::Float: {
        const float f = value.toFloat();
        if (!finite(f))
            return false;
        record.single(f);
        return true;
    }
    default: {
        const auto d = numberOf(value);
        if (!d)
            return false;
        record.real(*d);
        return true;
    }
    }
}

/// The colour of a circle: a QColor or a Qt::GlobalColor is written as its
/// colour value (an invalid QColor is refused), anything else as
/// appendCircleValue() writes it.
bool appendCircleColour(spool::Record &record, const QVariant &value)
{
    const QMetaType type = value.metaType();
    if (type == QMetaType::fromType<QColor>() || type == QMetaType::fromType<Qt::GlobalColor>()) {
        const QColor color =
            type == QMetaType::fromType<QColor>() ? value.value<QColor>() : QColor(value.value<Qt::GlobalColor>());
        if (!color.isValid())
            return false;
        record.integer(colorValue(color));
        return true;
    }
    return appendCircleValue(record, value, -1);
}

} // namespace

// --- Creation and destruction ---------------------------------------------------

PrintPreview::PrintPreview(QWidget *parent) : QWidget(parent), d(std::make_unique<Private>(*this))
{
    d->titolo = DefaultTitle;
    setFixedSize(fixedPixelSize());
}

PrintPreview::~PrintPreview()
{
    try {
        AnnullaStampa();
        d->interno->anteprima().unload();
    } catch (...) {
    }
}

QSize PrintPreview::fixedPixelSize() const
{
    return QSize(std::max(1, int(std::lround(ControlSizeTwips / platform::twipsPerPixelX()))),
                 std::max(1, int(std::lround(ControlSizeTwips / platform::twipsPerPixelY()))));
}

void PrintPreview::resizeEvent(QResizeEvent *event)
{
    // Whatever size the container tries, the control stays 495 x 495 twips.
    const QSize wanted = fixedPixelSize();
    if (event->size() != wanted || minimumSize() != wanted || maximumSize() != wanted)
        setFixedSize(wanted);
    QWidget::resizeEvent(event);
}

void PrintPreview::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect box = rect().adjusted(0, 0, -1, -1);
    painter.fillRect(box, palette().window());
    painter.setPen(palette().windowText().color());
    painter.drawRect(box);
    painter.drawText(box, Qt::AlignCenter, QStringLiteral("QV"));
}

// --- Container protocol ---------------------------------------------------------------

void PrintPreview::InitProperties()
{
    d->titolo = DefaultTitle;
    d->scaleMode = SM_Twips;
}

void PrintPreview::ReadProperties(const PropertyBag &bag)
{
    // Both values are checked before either is taken, so a damaged property
    // set leaves the control as it was.
    const QVariant title = bag.ReadProperty(TitoloKey, DefaultTitle);
    const QVariant scale = bag.ReadProperty(ScaleModeKey, int32_t(SM_Twips));
    bool ok = false;
    const int mode = scale.toInt(&ok);
    if (!ok)
        refuse("ScaleMode", QCoreApplication::translate("qv::PrintPreview", "ScaleMode = %1 (non è un numero intero)")
                                .arg(scale.toString()));
    if (mode < SM_User || mode > SM_Centimeters)
        refuseRange("ScaleMode", mode, SM_User, SM_Centimeters);
    if (!title.canConvert<QString>())
        refuse("Titolo", QCoreApplication::translate("qv::PrintPreview", "Titolo = un valore di tipo %1, non un testo")
                             .arg(QLatin1String(title.typeName() ? title.typeName() : "?")));
    d->titolo = title.toString();
    d->scaleMode = mode;
}

void PrintPreview::WriteProperties(PropertyBag &bag) const
{
    bag.WriteProperty(TitoloKey, d->titolo, DefaultTitle);
    bag.WriteProperty(ScaleModeKey, d->scaleMode, int32_t(SM_Twips));
}

// --- Scale conversion -------------------------------------------------------------------

float PrintPreview::ConvertiInTwipsX(float value)
{
    return float(PageMetrics::ScaleX(value, d->scaleMode, SM_Twips));
}

float PrintPreview::ConvertiInTwipsY(float value)
{
    return float(PageMetrics::ScaleY(value, d->scaleMode, SM_Twips));
}

float PrintPreview::ConvertiDaTwipsX(float value)
{
    return float(PageMetrics::ScaleX(value, SM_Twips, d->scaleMode));
}

float PrintPreview::ConvertiDaTwipsY(float value)
{
    return float(PageMetrics::ScaleY(value, SM_Twips, d->scaleMode));
}

// --- The spool file ---------------------------------------------------------------------

void PrintPreview::ApriSpool()
{
    spool::Document &document = *d->document;
    if (!document.isEmpty() && document.identity())
        return;
    if (document.isEmpty()) {
        document.start(Win::NomeFileSpool());
        d->interno->aggiornaPagina();
        d->pageBegun = false;
    }
    // The name becomes the document's once its file is: the new unique file,
    // or the fallback name when it is free or a file of ours. Until then
    // every record fails, and the next command tries again; once the file is
    // the document's, a record is only ever added to that very file.
    document.claim();
}

// --- Drawing commands -------------------------------------------------------------------

void PrintPreview::NuovaPagina()
{
    try {
        ApriSpool();
        const spool::Record record(spool::TagNewPage);
        if (!d->append(record))
            return;
        d->document->addPage();
        // The next page takes the layout in force when its first record is written.
        d->pageBegun = false;
        d->followPageBreak();
    } catch (...) {
    }
}

bool PrintPreview::linea(float X1, float Y1, float X2, float Y2, bool rettangolo, bool pieno)
{
    try {
        ApriSpool();
        const float x1 = ConvertiInTwipsX(X1);
        const float y1 = ConvertiInTwipsY(Y1);
        const float x2 = ConvertiInTwipsX(X2);
        const float y2 = ConvertiInTwipsY(Y2);
        if (!finite(x1) || !finite(y1) || !finite(x2) || !finite(y2))
            return false;
        spool::Record record(spool::TagLine);
        spool::ScriviAttributiTratto(record, d->stroke);
        record.single(x1).single(y1).single(x2).single(y2).boolean(rettangolo).boolean(pieno).endLine();
        return d->append(record);
    } catch (...) {
        return false;
    }
}

bool PrintPreview::Punto(float X1, float Y1)
{
    try {
        ApriSpool();
        const float x = ConvertiInTwipsX(X1);
        const float y = ConvertiInTwipsY(Y1);
        if (!finite(x) || !finite(y))
            return false;
        spool::Record record(spool::TagPSet);
        spool::ScriviAttributiTratto(record, d->stroke);
        record.single(x).single(y).endLine();
        return d->append(record);
    } catch (...) {
        return false;
    }
}

void PrintPreview::Cerchio(float X1, float Y1, float raggio, const QVariant &colore, const QVariant &Inizio,
                           const QVariant &Fine, const QVariant &aspetto)
{
    bool written = false;
    try {
        ApriSpool();
        const float x = ConvertiInTwipsX(X1);
        const float y = ConvertiInTwipsY(Y1);
        const float r = ConvertiInTwipsX(raggio);
        if (finite(x) && finite(y) && finite(r)) {
            spool::Record record(spool::TagCircle);
            spool::ScriviAttributiTratto(record, d->stroke);
            record.single(x).single(y).single(r);
            if (appendCircleColour(record, colore) && appendCircleValue(record, Inizio, 2)
                && appendCircleValue(record, Fine, 2) && appendCircleValue(record, aspetto, 1)) {
                record.endLine();
                written = d->append(record);
            }
        }
    } catch (...) {
        written = false;
    }
    if (!written)
        cannotPrint("Cerchio");
}

void PrintPreview::StampaPicture(const QVariant &Picture, float X1, float Y1, const QVariant &Width1,
                                 const QVariant &Height1)
{
    try {
        const PictureData picture = PictureData::fromVariant(Picture);
        if (picture.isNull())
            return;
        ApriSpool();

        // Left out: the picture's own size, given in whole hundredths of a
        // millimetre; otherwise the host's value in its scale.
        const QSizeF natural = picture.naturalSizeHimetric();
        float width = 0;
        float height = 0;
        if (!Width1.isValid()) {
            width = float(std::nearbyint(natural.width()) * TwipsPerInch / HimetricPerInch);
        } else {
            const auto w = numberOf(Width1);
            if (!w)
                return;
            width = ConvertiInTwipsX(float(*w));
        }
        if (!Height1.isValid()) {
            height = float(std::nearbyint(natural.height()) * TwipsPerInch / HimetricPerInch);
        } else {
            const auto h = numberOf(Height1);
            if (!h)
                return;
            height = ConvertiInTwipsY(float(*h));
        }
        const float x = ConvertiInTwipsX(X1);
        const float y = ConvertiInTwipsY(Y1);
        if (!finite(x) || !finite(y) || !finite(width) || !finite(height))
            return;

        const QString file = Win::NomeFileImmagine();
        if (file.isEmpty())
            return;
        if (!spool::writableAsText(file) || !picture.save(file)) {
            QFile::remove(file);
            return;
        }
        d->document->addPicture(file);

        spool::Record record(spool::TagPaint);
        record.text(file).single(x).single(y).single(width).single(height).endLine();
        if (!d->append(record)) {
            // No record refers to the file: it goes, and the list is as before.
            d->document->removeLastPicture();
            QFile::remove(file);
        }
    } catch (...) {
    }
}

// --- Discarding and page geometry ---------------------------------------------------------

void PrintPreview::AnnullaStampa()
{
    try {
        // The spool file goes only while it is still the document's own:
        // whatever took its name since (a link, another user's file) is not
        // ours to delete. The next document starts afresh.
        d->closeLive();
        if (!d->document->isEmpty())
            d->document->discard();
    } catch (...) {
    }
}

float PrintPreview::PageWidth()
{
    double twips = DefaultPageWidthTwips;
    if (const std::optional<QPageLayout> chosen = platform::chosenPageLayout()) {
        twips = PageMetrics::drawableTwips(*chosen).width();
    } else if (const auto printer = platform::currentPrinter()) {
        const double w = printer->drawableTwips.width();
        if (std::isfinite(w) && w > 0)
            twips = w;
    }
    return ConvertiDaTwipsX(float(twips));
}

float PrintPreview::PageHeight()
{
    double twips = DefaultPageHeightTwips;
    if (const std::optional<QPageLayout> chosen = platform::chosenPageLayout()) {
        twips = PageMetrics::drawableTwips(*chosen).height();
    } else if (const auto printer = platform::currentPrinter()) {
        const double h = printer->drawableTwips.height();
        if (std::isfinite(h) && h > 0)
            twips = h;
    }
    return ConvertiDaTwipsY(float(twips));
}

// --- How the preview window opens ----------------------------------------------

namespace {

void checkPreviewSize(const QSize &value)
{
    // QSize() is "the design size"; any other size must hold a window.
    if (value != QSize() && (value.width() < 1 || value.height() < 1))
        refuse("previewSize", QCoreApplication::translate("qv::PrintPreview", "previewSize = %1 x %2 (almeno 1 x 1)")
                                  .arg(value.width())
                                  .arg(value.height()));
}

void checkPreviewFit(int value)
{
    if (value < PreviewWindowOptions::FitNone || value > PreviewWindowOptions::FitWidth)
        refuseRange("previewFit", value, PreviewWindowOptions::FitNone, PreviewWindowOptions::FitWidth);
}

} // namespace

bool PrintPreview::previewMaximized() const
{
    return d->finestra.maximized;
}
void PrintPreview::setPreviewMaximized(bool value)
{
    d->finestra.maximized = value;
}
QSize PrintPreview::previewSize() const
{
    return d->finestra.size;
}

void PrintPreview::setPreviewSize(const QSize &value)
{
    checkPreviewSize(value);
    d->finestra.size = value;
}

int PrintPreview::previewFit() const
{
    return d->finestra.fit;
}

void PrintPreview::setPreviewFit(int value)
{
    checkPreviewFit(value);
    d->finestra.fit = PreviewWindowOptions::Fit(value);
}

bool PrintPreview::previewRemembers() const
{
    return d->finestra.remember;
}
void PrintPreview::setPreviewRemembers(bool value)
{
    d->finestra.remember = value;
}
bool PrintPreview::previewPageShadow() const
{
    return d->finestra.pageShadow;
}
void PrintPreview::setPreviewPageShadow(bool value)
{
    d->finestra.pageShadow = value;
}
PreviewWindowOptions PrintPreview::previewWindowOptions() const
{
    return d->finestra;
}

void PrintPreview::setPreviewWindowOptions(const PreviewWindowOptions &value)
{
    checkPreviewSize(value.size);
    checkPreviewFit(value.fit);
    d->finestra = value;
}

} // namespace qv
