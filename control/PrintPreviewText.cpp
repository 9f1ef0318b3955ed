// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The recording control's text commands: texts at a place, centred, fitted
// into a field or laid out as a block of lines, and their measures.
#include <qvpreview/PrintPreview.h>

#include "control/AdattaTesto.h"
#include "control/PrintPreviewInterno.h"
#include "render/TextMetrics.h"
#include "spool/SpoolFormat.h"
#include "spool/SpoolWriter.h"

#include <QPageLayout>
#include <QScopeGuard>

#include <cmath>

namespace qv {

using AdattaTesto::PulisciTesto;
using AdattaTesto::removeTrailingSpaces;
using AdattaTesto::trimSpaces;

namespace {

constexpr qsizetype MaxFieldChars = 250;
constexpr int16_t AllLines = 32000;

} // namespace

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

} // namespace qv
