// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The recording control's properties: the font, colour and drawing
// attributes of the next records, the title and the scale mode, and what the
// host can read of the document and of the last print.
#include <qvpreview/PrintPreview.h>

#include "control/PrintPreviewInterno.h"

#include <QColor>
#include <QCoreApplication>
#include <QFont>

namespace qv {

namespace {

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

bool isColor(int32_t value)
{
    return value >= 0 && value <= 0xFFFFFF;
}

} // namespace

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

} // namespace qv
