// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The recording control: its properties, the persisted set, the scale
// conversions, and the recording commands. Every recording command builds
// one whole record in memory and appends it with spool::appendRecord(), so a
// failed command leaves the spool file exactly as it was; records go only into
// the file the document started (see ApriSpool).
//
// Scale mode 0 (user) has no custom scale of its own on the page surface: it
// converts 1:1 with twips.
#include <qvpreview/PrintPreview.h>

#include "control/AdattaTesto.h"
#include "control/PrintPreviewInterno.h"
#include "platform/Devices.h"
#include "platform/Platform.h"
#include "preview/FrmAnteprima.h"
#include "render/TextMetrics.h"
#include "spool/PictureFile.h"
#include "spool/SpoolFormat.h"
#include "spool/SpoolWriter.h"
#include "spool/Win.h"

#include <QCoreApplication>
#include <QFile>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScopeGuard>

#include <cmath>
#include <limits>
#include <optional>

namespace qv {

using AdattaTesto::PulisciTesto;
using AdattaTesto::removeTrailingSpaces;
using AdattaTesto::trimSpaces;

namespace {

const QString DefaultTitle = QStringLiteral("Anteprima di Stampa");
constexpr int32_t ControlSizeTwips = 495;
constexpr qsizetype MaxFieldChars = 250;
constexpr int16_t AllLines = 32000;
constexpr double TwipsPerInch = 1440.0;
constexpr double HimetricPerInch = 2540.0;

const QString TitoloKey = QStringLiteral("Titolo");
const QString ScaleModeKey = QStringLiteral("ScaleMode");

[[noreturn]] void refuse(const char *property, const QString &detail)
{
    throw Error(ErrInvalidPropertyValue, QString::fromLatin1(property)).withDetail(detail);
}

/// Refuses \a value of \a property, which must lie between \a low and \a high.
[[noreturn]] void refuseRange(const char *property, qint64 value, qint64 low, qint64 high)
{
    refuse(property, QCoreApplication::translate("qv::PrintPreview", "%1 = %2 (ammessi da %3 a %4)")
                         .arg(QLatin1String(property))
                         .arg(value)
                         .arg(low)
                         .arg(high));
}

/// Refuses a colour value outside 0 to 0xFFFFFF, shown in decimal and in
/// hexadecimal. A value whose top byte is 0xFF is most likely a QRgb (qRgb()
/// puts an opaque alpha there): the detail says how to pass one.
[[noreturn]] void refuseColor(const char *property, int32_t value)
{
    const QString hex =
        QStringLiteral("0x") + QString::number(quint32(value), 16).toUpper().rightJustified(8, QLatin1Char('0'));
    QString detail = QCoreApplication::translate("qv::PrintPreview", "%1 = %2 (%3): ammessi da 0 a 16777215 "
                                                                     "(0xFFFFFF), rosso + 256 × verde + 65536 × blu")
                         .arg(QLatin1String(property))
                         .arg(value)
                         .arg(hex);
    if (quint32(value) >> 24 == 0xFF)
        detail += QCoreApplication::translate("qv::PrintPreview", "; un QRgb porta l'alfa nel byte alto: "
                                                                  "passare QColor::fromRgb(valore)");
    refuse(property, detail);
}

[[noreturn]] void refuseInvalidColor(const char *property)
{
    refuse(property,
           QCoreApplication::translate("qv::PrintPreview", "%1 = QColor non valido").arg(QLatin1String(property)));
}

[[noreturn]] void cannotPrint(const char *command)
{
    throw Error(ErrCannotPrint, QString::fromLatin1(command));
}

bool isColor(int32_t value)
{
    return value >= 0 && value <= 0xFFFFFF;
}

bool finite(float value)
{
    return std::isfinite(value);
}

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

// --- Properties ---------------------------------------------------------------------

QString PrintPreview::titolo() const
{
    return d->titolo;
}

void PrintPreview::setTitolo(const QString &value)
{
    d->titolo = value;
    Q_EMIT persistedPropertyChanged(TitoloKey);
}

QString PrintPreview::FontName() const
{
    return d->font.fontName;
}

void PrintPreview::setFontName(const QString &value)
{
    d->font.fontName = value;
    QFont own = font();
    own.setFamily(value);
    setFont(own);
}

int32_t PrintPreview::FontSize() const
{
    return d->font.fontSize;
}

void PrintPreview::setFontSize(int32_t value)
{
    if (value < 1 || value > 2160)
        refuseRange("FontSize", value, 1, 2160);
    d->font.fontSize = value;
}

bool PrintPreview::FontItalic() const
{
    return d->font.fontItalic;
}
void PrintPreview::setFontItalic(bool value)
{
    d->font.fontItalic = value;
}
bool PrintPreview::FontBold() const
{
    return d->font.fontBold;
}
void PrintPreview::setFontBold(bool value)
{
    d->font.fontBold = value;
}
bool PrintPreview::FontUnderline() const
{
    return d->font.fontUnderline;
}
void PrintPreview::setFontUnderline(bool value)
{
    d->font.fontUnderline = value;
}
bool PrintPreview::FontStrikethru() const
{
    return d->font.fontStrikethru;
}
void PrintPreview::setFontStrikethru(bool value)
{
    d->font.fontStrikethru = value;
}

int32_t PrintPreview::ForeColor() const
{
    return d->font.foreColor;
}

void PrintPreview::setForeColor(int32_t value)
{
    if (!isColor(value))
        refuseColor("ForeColor", value);
    // Texts and strokes are drawn in the same colour.
    d->font.foreColor = value;
    d->stroke.foreColor = value;
}

void PrintPreview::setForeColor(const QColor &value)
{
    if (!value.isValid())
        refuseInvalidColor("ForeColor");
    setForeColor(colorValue(value));
}

bool PrintPreview::FontTransparent() const
{
    return d->font.fontTransparent;
}
void PrintPreview::setFontTransparent(bool value)
{
    d->font.fontTransparent = value;
}

int32_t PrintPreview::ScaleMode() const
{
    return d->scaleMode;
}

void PrintPreview::setScaleMode(int32_t value)
{
    if (value < SM_User || value > SM_Centimeters)
        refuseRange("ScaleMode", value, SM_User, SM_Centimeters);
    d->scaleMode = value;
    Q_EMIT persistedPropertyChanged(ScaleModeKey);
}

int32_t PrintPreview::DrawMode() const
{
    return d->stroke.drawMode;
}

void PrintPreview::setDrawMode(int32_t value)
{
    if (value < 0 || value > 16)
        refuseRange("DrawMode", value, 0, 16);
    d->stroke.drawMode = value;
}

int32_t PrintPreview::DrawWidth() const
{
    return d->stroke.drawWidth;
}

void PrintPreview::setDrawWidth(int32_t value)
{
    if (value < 0 || value > 32767)
        refuseRange("DrawWidth", value, 0, 32767);
    d->stroke.drawWidth = value;
}

int32_t PrintPreview::DrawStyle() const
{
    return d->stroke.drawStyle;
}

void PrintPreview::setDrawStyle(int32_t value)
{
    if (value < 0 || value > 6)
        refuseRange("DrawStyle", value, 0, 6);
    d->stroke.drawStyle = value;
}

int32_t PrintPreview::FillColor() const
{
    return d->stroke.fillColor;
}

void PrintPreview::setFillColor(int32_t value)
{
    if (!isColor(value))
        refuseColor("FillColor", value);
    d->stroke.fillColor = value;
}

void PrintPreview::setFillColor(const QColor &value)
{
    if (!value.isValid())
        refuseInvalidColor("FillColor");
    setFillColor(colorValue(value));
}

int32_t PrintPreview::FillStyle() const
{
    return d->stroke.fillStyle;
}

void PrintPreview::setFillStyle(int32_t value)
{
    if (value < 0 || value > 7)
        refuseRange("FillStyle", value, 0, 7);
    d->stroke.fillStyle = value;
}

int16_t PrintPreview::Copie() const
{
    return d->copie;
}
void PrintPreview::setCopie(int16_t value)
{
    d->copie = value;
}

int32_t PrintPreview::TotalePagine() const
{
    return d->document->pageCount(QStringLiteral("TotalePagine"));
}

const std::optional<Error> &PrintPreview::lastPrintError() const
{
    return d->erroreStampa;
}
QString PrintPreview::lastPdfFile() const
{
    return d->ultimoPdf;
}
QString PrintPreview::spoolPath() const
{
    return d->document->path();
}
QStringList PrintPreview::pictureFiles() const
{
    return d->document->pictures();
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

// --- Text commands ------------------------------------------------------------------------

void PrintPreview::applicaFont()
{
    const spool::FontLine &f = d->font;
    d->interno->misura().setFont(
        FontAttributes{f.fontName, f.fontSize, f.fontItalic, f.fontBold, f.fontUnderline, f.fontStrikethru});
}

double PrintPreview::LarghezzaTestoTwips(const QString &testo)
{
    applicaFont();
    return std::nearbyint(d->interno->misura().TextWidth(testo));
}

double PrintPreview::AltezzaTestoTwips()
{
    applicaFont();
    return std::nearbyint(d->interno->misura().TextHeight(QStringLiteral("A")));
}

bool PrintPreview::ScriviTesto(float x, float y, QString testo)
{
    try {
        ApriSpool();
        removeTrailingSpaces(testo);
        if (testo.isEmpty())
            return false;
        const float tx = ConvertiInTwipsX(x);
        const float ty = ConvertiInTwipsY(y);
        if (!finite(tx) || !finite(ty))
            return false;
        // A field's text goes with its field record, in the same write.
        spool::Record record(d->campo ? spool::TagField : spool::TagPrint);
        if (d->campo) {
            spool::writeField(record, *d->campo);
            record.tag(spool::TagPrint);
        }
        spool::ScriviAttributiFont(record, d->font);
        record.single(tx).single(ty).endLine();
        const QString righe = spool::guardTextLines(testo);
        // A text that the replay could not read back is refused here, so
        // that a document never holds a page that cannot be shown.
        if (!spool::textFits(righe))
            return false;
        record.rawLine(righe);
        record.tag(spool::TagEndPrint);
        if (record.longestLine() > spool::MaxLineBytes)
            return false;
        return d->append(record);
    } catch (...) {
        return false;
    }
}

void PrintPreview::StampaTesto(float PosX, float PosY, QString testo)
{
    if (testo.isEmpty())
        cannotPrint("StampaTesto");
    try {
        ApriSpool();
    } catch (...) {
        cannotPrint("StampaTesto");
    }
    removeTrailingSpaces(testo);
    if (testo.isEmpty())
        return;
    if (!ScriviTesto(PosX, PosY, testo))
        cannotPrint("StampaTesto");
}

void PrintPreview::StampaCentrato(float Y, QString testo)
{
    if (testo.isEmpty())
        cannotPrint("StampaCentrato");
    try {
        ApriSpool();
    } catch (...) {
        cannotPrint("StampaCentrato");
    }
    testo = PulisciTesto(testo);
    trimSpaces(testo);
    if (testo.isEmpty())
        return;
    ScriviCentrato(Y, testo);
}

void PrintPreview::ScriviCentrato(float Y, QString testo)
{
    bool written = false;
    try {
        testo = PulisciTesto(testo);
        trimSpaces(testo);
        const double w = LarghezzaTestoTwips(testo);
        const std::optional<QPageLayout> layout = d->layoutOfPage();
        const double width = layout ? std::nearbyint(PageMetrics::drawableTwips(*layout).width())
                                    : double(d->interno->larghezzaPagina());
        double x = std::nearbyint((width - w) / 2.0);
        if (x < 0)
            x = 0;
        const float xs = float(std::nearbyint(ConvertiDaTwipsX(float(x))));
        written = ScriviTesto(xs, Y, testo);
    } catch (...) {
        written = false;
    }
    if (!written)
        cannotPrint("StampaCentrato");
}

int32_t PrintPreview::StampaCampo(float PosX, float PosY, QString testo, float limiteMax, QV_ALLINEAMENTO Allineamento,
                                  bool parolaIntera)
{
    int32_t n = -1;
    try {
        ApriSpool();
        n = ImpaginaCampo(PosX, PosY, std::move(testo), limiteMax, Allineamento, parolaIntera);
    } catch (...) {
        n = -1;
    }
    if (n == -1)
        cannotPrint("StampaCampo");
    return n;
}

int32_t PrintPreview::ImpaginaCampo(float PosX, float PosY, QString testo, float limiteMax,
                                    QV_ALLINEAMENTO Allineamento, bool parolaIntera)
{
    ApriSpool();
    const double m = ConvertiInTwipsX(limiteMax);
    double x = ConvertiInTwipsX(PosX);

    const QString intero = PulisciTesto(testo);
    if (testo.size() > MaxFieldChars)
        testo.truncate(MaxFieldChars);
    testo = PulisciTesto(testo);
    removeTrailingSpaces(testo);
    qsizetype n = testo.size();
    if (n == 0)
        return 0;
    // A field or position that is no number cannot be laid out.
    if (!std::isfinite(m) || !std::isfinite(x) || !finite(PosY))
        return -1;

    const spool::FontLine &f = d->font;
    const FontAttributes font{f.fontName, f.fontSize, f.fontItalic, f.fontBold, f.fontUnderline, f.fontStrikethru};
    const AdattaTesto::Misura misura = [this](const QString &piece) { return LarghezzaTestoTwips(piece); };
    const AdattaTesto::Campo campo =
        d->paragrafo ? AdattaTesto::adattaCampo(testo, m, parolaIntera, misura, *d->paragrafo, d->inizioRiga)
                     : AdattaTesto::adattaCampo(testo, m, parolaIntera, misura, &font);
    const double w = campo.larghezza;

    switch (Allineamento) {
    case PP_destra: x = x + m - w; break;
    case PP_Centrato: x = x + (m - w) / 2.0; break;
    default: break;
    }
    const float xs = ConvertiDaTwipsX(float(x));
    // What the field left out of a StampaCampo's text (its 250-character
    // cut included); a block's lines go on in the next line instead.
    qsizetype tagliati = 0;
    if (!d->paragrafo) {
        QString resto = intero.mid(campo.usati);
        trimSpaces(resto);
        tagliati = resto.size();
    }
    // The field goes into the file only when the host asked for it: a
    // document recorded without it holds the text records and nothing else.
    if (d->fieldsRecorded)
        d->campo = spool::FieldLine{ConvertiInTwipsX(PosX), float(m), int32_t(tagliati)};
    const auto fine = qScopeGuard([this] { d->campo.reset(); });
    return ScriviTesto(xs, PosY, campo.pezzo) ? int32_t(campo.usati) : -1;
}

QString PrintPreview::StampaCampoMultilinea(float PosX, float PosY, QString testo, float limiteMax,
                                            QV_ALLINEAMENTO Allineamento, int16_t &nRighe, float &interlinea)
{
    static const QString CrLf = QStringLiteral("\r\n");
    QString line;
    QString rest;
    // What lastBlockLines() and lastBlockHeight() report: the lines laid out
    // so far, kept up to date line by line so that a call that fails half way
    // leaves what it did record.
    PrintPreviewInterno::BloccoTesto &blocco = d->interno->ultimoBlocco();
    blocco = {};
    try {
        ApriSpool();
        removeTrailingSpaces(testo);
        if (testo.isEmpty())
            return QString();
        if (interlinea <= 0)
            interlinea = ConvertiDaTwipsY(float(AltezzaTestoTwips()));
        if (nRighe <= 0)
            nRighe = AllLines;
        if (!std::isfinite(interlinea))
            cannotPrint("StampaCampoMultilinea");

        float offset = 0;
        int32_t riga = 1;
        rest = testo;
        do {
            // The first paragraph, up to and including its CR LF.
            const qsizetype brk = rest.indexOf(CrLf);
            if (brk < 0) {
                line = rest;
                rest.clear();
            } else {
                line = rest.left(brk + 2);
                rest.remove(0, brk + 2);
            }
            line = PulisciTesto(line);
            removeTrailingSpaces(line);

            // The paragraph is laid out once for all its lines (the font
            // stays the same meanwhile).
            const spool::FontLine &f = d->font;
            AdattaTesto::Paragrafo paragrafo(line, FontAttributes{f.fontName, f.fontSize, f.fontItalic, f.fontBold,
                                                                  f.fontUnderline, f.fontStrikethru});
            d->paragrafo = &paragrafo;
            d->inizioRiga = 0;
            const auto fine = qScopeGuard([this] { d->paragrafo = nullptr; });
            qsizetype n = 0;
            qsizetype L = 0;
            do {
                L = line.size();
                n = ImpaginaCampo(PosX, PosY + offset, line, limiteMax, Allineamento, true);
                if (n > 0)
                    d->inizioRiga += n;
                offset += interlinea;
                ++riga;
                if (n >= L)
                    line.clear();
                else if (n == -1)
                    cannotPrint("StampaCampoMultilinea");
                else
                    line.remove(0, n);
                ++blocco.righe;
                blocco.altezza = blocco.righe * double(interlinea);
            } while (riga <= nRighe && n < L && n != 0);
        } while (!rest.isEmpty() && riga <= nRighe);
    } catch (const Error &) {
        throw;
    } catch (...) {
        cannotPrint("StampaCampoMultilinea");
    }

    if (!rest.isEmpty())
        return line.isEmpty() ? rest : line + CrLf + rest;
    return line;
}

void PrintPreview::setFieldsRecorded(bool on)
{
    d->fieldsRecorded = on;
}

bool PrintPreview::fieldsRecorded() const
{
    return d->fieldsRecorded;
}

int PrintPreview::lastBlockLines() const
{
    return d->interno->ultimoBlocco().righe;
}

double PrintPreview::lastBlockHeight() const
{
    return d->interno->ultimoBlocco().altezza;
}

float PrintPreview::TextWidth(const QString &testo)
{
    return ConvertiDaTwipsX(float(LarghezzaTestoTwips(testo)));
}

float PrintPreview::TextHeight()
{
    return ConvertiDaTwipsY(float(AltezzaTestoTwips()));
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
