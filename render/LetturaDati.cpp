// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The replay of a spool file: one record at a time, each turned into calls on
// a drawing target. A record is read, drawn and dropped; only the pictures
// of the current page are kept, so that a picture file drawn several times
// on one page is decoded once.
#include "render/LetturaDati.h"

#include "render/PainterOp.h"
#include "spool/PageStarts.h"
#include "spool/SpoolFormat.h"
#include "spool/SpoolReader.h"

#include <qvpreview/Error.h>

#include <QByteArray>
#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <tuple>
#include <utility>

namespace qv::LetturaDati {

namespace {

using spool::SpoolReader;

const QString Source = QStringLiteral("DisegnaPagina");

void applyStroke(DrawTarget &t, const spool::StrokeLine &s)
{
    t.setDrawMode(s.drawMode);
    t.setDrawStyle(s.drawStyle);
    t.setDrawWidth(s.drawWidth);
    t.setFillColor(s.fillColor);
    t.setForeColor(s.foreColor);
    t.setFillStyle(s.fillStyle);
}

void drawText(DrawTarget &t, SpoolReader &in)
{
    const spool::FontLine f = spool::LeggiAttributiFont(in);
    const float x = in.single("x");
    const float y = in.single("y");

    // Every line up to the end-of-text tag, joined with CR LF; the final CR LF goes.
    QByteArray collected;
    for (;;) {
        const QByteArrayView line = in.readLineView(QStringLiteral("\"%1\"").arg(QLatin1String(spool::TagEndPrint)));
        if (line == QByteArrayView(spool::TagEndPrint))
            break;
        if (collected.size() + line.size() > spool::MaxTextBytes)
            in.fail(ErrOutOfMemory, QCoreApplication::translate("qv::LetturaDati", "testo oltre %1 byte senza \"%2\"")
                                        .arg(spool::MaxTextBytes)
                                        .arg(QLatin1String(spool::TagEndPrint)));
        collected += line;
        collected += "\r\n";
    }
    if (collected.size() > 2)
        collected.chop(2);
    const QString text = QString::fromUtf8(collected);

    if (f.fontSize < 8)
        t.setFontSize(f.fontSize);
    t.setFontName(f.fontName);
    t.setFontSize(f.fontSize);
    t.setFontItalic(f.fontItalic);
    t.setFontBold(f.fontBold);
    t.setFontUnderline(f.fontUnderline);
    t.setFontStrikethru(f.fontStrikethru);
    t.setForeColor(f.foreColor);
    t.setFontTransparent(f.fontTransparent);
    t.setCurrentX(x);
    t.setCurrentY(double(y) - t.TextHeight(QStringLiteral("A")));
    t.Print(text);
}

void drawLine(DrawTarget &t, SpoolReader &in)
{
    const spool::StrokeLine s = spool::LeggiAttributiTratto(in);
    const float x1 = in.single("x1");
    const float y1 = in.single("y1");
    const float x2 = in.single("x2");
    const float y2 = in.single("y2");
    const bool box = in.boolean("rettangolo");
    const bool filled = in.boolean("pieno");
    applyStroke(t, s);
    t.Line(x1, y1, x2, y2, !box ? LineKind::Line : filled ? LineKind::BoxFilled : LineKind::Box);
}

void drawPoint(DrawTarget &t, SpoolReader &in)
{
    const spool::StrokeLine s = spool::LeggiAttributiTratto(in);
    const float x = in.single("x");
    const float y = in.single("y");
    applyStroke(t, s);
    t.PSet(x, y, s.foreColor);
}

void drawCircle(DrawTarget &t, SpoolReader &in)
{
    const spool::StrokeLine s = spool::LeggiAttributiTratto(in);
    const float x = in.single("x");
    const float y = in.single("y");
    const float radius = in.single("raggio");
    float color = in.single("colore");
    const float start = in.single("Inizio");
    const float end = in.single("Fine");
    const float aspect = in.single("aspetto");
    applyStroke(t, s);
    if (color == -1.0f)
        color = float(s.foreColor);
    // Only a 24-bit colour draws; anything else is the colour's low 24 bits.
    const int32_t rgb = int32_t(std::fmod(double(color), 16777216.0)) & 0xFFFFFF;
    t.Circle(x, y, radius, rgb, start, end, aspect);
}

/// Pictures are decoded at most at this resolution of the size they are
/// drawn at: print quality, and a bound on what a large image costs.
constexpr double PictureDotsPerInch = 600;

/// The pictures decoded for the current page, by file and decoded size. It
/// holds at most a page's budget: a target that keeps nothing (the printer,
/// the check) must not keep every picture of a page through the cache either.
struct PictureCache
{
    static constexpr qint64 MaxBytes = PageMemoryBudget;
    std::map<std::tuple<QString, int, int>, PictureData> pictures;
    qint64 bytes = 0;

    void clear()
    {
        pictures.clear();
        bytes = 0;
    }
};

/// The size in pixels at PictureDotsPerInch of a length in twips.
int decodedPixels(float twips)
{
    const double pixels = std::ceil(std::fabs(double(twips)) / 1440.0 * PictureDotsPerInch);
    return int(std::clamp(std::isfinite(pixels) ? pixels : 1.0, 1.0, 65535.0));
}

void drawPicture(DrawTarget &t, SpoolReader &in, PictureCache &cache)
{
    const QString path = in.text("il percorso dell'immagine");
    const float x = in.single("x");
    const float y = in.single("y");
    const float width = in.single("larghezza");
    const float height = in.single("altezza");
    // A picture that cannot be drawn ends the replay, unless the target goes
    // on without it (the layout check lists it and reads on).
    const auto refuse = [&](ErrorNumber number, const QString &why) {
        try {
            in.fail(number, why);
        } catch (const Error &e) {
            if (!t.goOnAfterUnreadablePicture(e, why, QRectF(x, y, width, height)))
                throw;
        }
    };
    if (path.isEmpty())
        return refuse(ErrFileNotFound, QCoreApplication::translate("qv::LetturaDati",
                                                                   "immagine non caricabile \"\" (file non trovato)"));
    const QSize fit(decodedPixels(width), decodedPixels(height));
    const auto key = std::make_tuple(path, fit.width(), fit.height());
    auto found = cache.pictures.find(key);
    if (found == cache.pictures.end()) {
        QString why;
        PictureData::LoadError kind = PictureData::LoadError::None;
        std::optional<PictureData> picture = PictureData::load(path, &why, &kind, {fit, t.memoryLeft()});
        switch (kind) {
        case PictureData::LoadError::None: break;
        case PictureData::LoadError::NotFound:
            return refuse(
                ErrFileNotFound,
                QCoreApplication::translate("qv::LetturaDati", "immagine non caricabile \"%1\" (%2)").arg(path, why));
        case PictureData::LoadError::TooLarge:
            return refuse(ErrOutOfMemory,
                          QCoreApplication::translate("qv::LetturaDati", "pagina troppo grande: immagine \"%1\" (%2)")
                              .arg(path, why));
        case PictureData::LoadError::NotAFile:
        case PictureData::LoadError::Invalid:
            return refuse(
                ErrInvalidPicture,
                QCoreApplication::translate("qv::LetturaDati", "immagine non caricabile \"%1\" (%2)").arg(path, why));
        }
        if (cache.bytes + picture->memoryBytes() > PictureCache::MaxBytes)
            cache.clear();
        cache.bytes += picture->memoryBytes();
        found = cache.pictures.emplace(key, std::move(*picture)).first;
    }
    t.PaintPicture(found->second, x, y, width, height);
}

void drawPages(DrawTarget &Destinazione, SpoolReader &in, const PageSpec &Pagina);
void drawThrough(DrawTarget &Destinazione, SpoolReader &in, const PageSpec &Pagina);

} // namespace

void DisegnaPagina(DrawTarget &Destinazione, const QString &FileTemporaneo, const PageSpec &Pagina)
{
    if (FileTemporaneo.isEmpty())
        return;
    Destinazione.Cls();
    SpoolReader in(Source);
    in.open(FileTemporaneo);
    drawThrough(Destinazione, in, Pagina);
}

void DisegnaPagina(DrawTarget &Destinazione, SpoolReader &in, const PageSpec &Pagina)
{
    Destinazione.Cls();
    in.setSource(Source);
    drawThrough(Destinazione, in, Pagina);
}

namespace {

void drawThrough(DrawTarget &Destinazione, SpoolReader &in, const PageSpec &Pagina)
{
    in.setEnd(Pagina.end());
    try {
        drawPages(Destinazione, in, Pagina);
    } catch (const Error &) {
        // The record that the end of the whole lines cuts short is still
        // being written: what came before it is the page so far.
        if (Pagina.end() < 0 || !in.endReached())
            throw;
    }
}

void drawPages(DrawTarget &Destinazione, SpoolReader &in, const PageSpec &Pagina)
{
    if (Pagina.kind() == PageSpec::Kind::Number && Pagina.number() >= 2) {
        // The page is found by counting page breaks with the one page-start
        // scan that the page index uses: counts and stored positions always
        // lead to the same line. The text lines of text records count too.
        spool::PageStartScanner scanner(in.path(), Source, true);
        std::optional<qint64> start;
        for (int32_t counter = 1; counter < Pagina.number(); ++counter)
            if (!(start = scanner.next()))
                break;
        if (start)
            in.seek(*start, scanner.linesBefore());
        else
            in.seekToEnd(); // fewer pages than that: nothing to draw
    } else if (Pagina.kind() == PageSpec::Kind::Position) {
        if (Pagina.position() < 1)
            in.fail(ErrBadRecordNumber,
                    QCoreApplication::translate("qv::LetturaDati", "posizione di inizio pagina non valida: %1")
                        .arg(Pagina.position()));
        in.seek(Pagina.position());
    } else {
        // Page 1 or every page: from the file start, with line numbers
        // counted from the file's first line, wherever the reader was left.
        in.seek(1);
    }

    const bool everyPage = Pagina.kind() == PageSpec::Kind::Every;
    PictureCache pictures;
    bool pageStart = true; // the next line read is a page's first line
    PainterReplay painterRecords;
    while (!in.atEnd()) {
        const QByteArrayView tag = in.readLineView();
        const bool first = std::exchange(pageStart, false);
        Destinazione.startRecord(in.lineNumber());
        if (tag == QByteArrayView(spool::TagPage)) {
            // A page's layout is known before its first record is drawn:
            // anywhere else the record would come too late.
            if (!first)
                in.fail(ErrInvalidFileFormat,
                        QCoreApplication::translate("qv::LetturaDati", "record \"%1\" non all'inizio della pagina")
                            .arg(QLatin1String(spool::TagPage)));
            Destinazione.startPage(spool::readPageLayout(in));
            continue;
        }
        if (first)
            Destinazione.startPage(std::nullopt);
        try {
            if (tag == QByteArrayView(spool::TagPrint)) {
                drawText(Destinazione, in);
            } else if (tag == QByteArrayView(spool::TagNewPage)) {
                if (!everyPage)
                    break;
                pictures.clear();
                pageStart = true;
                painterRecords.reset();
            } else if (tag == QByteArrayView(spool::TagLine)) {
                drawLine(Destinazione, in);
            } else if (tag == QByteArrayView(spool::TagPSet)) {
                drawPoint(Destinazione, in);
            } else if (tag == QByteArrayView(spool::TagCircle)) {
                drawCircle(Destinazione, in);
            } else if (tag == QByteArrayView(spool::TagField)) {
                Destinazione.fieldOfNextText(spool::readField(in));
            } else if (tag == QByteArrayView(spool::TagPaint)) {
                drawPicture(Destinazione, in, pictures);
            } else {
                painterRecords.read(tag, in, Destinazione);
            }
            // Any other line is no tag: skipped.
        } catch (const PageTooLarge &e) {
            // The target is full: the error names the record that did not fit.
            in.fail(ErrorNumber(e.number()), e.description());
        }
    }
    if (pageStart)
        Destinazione.startPage(std::nullopt); // a page with no line at all
}

} // namespace

} // namespace qv::LetturaDati
