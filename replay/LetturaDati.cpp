// qvPreview - print preview for Qt applications.
// The replay of a spool file: one record at a time, each turned into calls on
// a drawing target. Nothing is cached: a record is read, drawn and dropped.
#include "replay/LetturaDati.h"

#include "spool/PageStarts.h"
#include "spool/SpoolFormat.h"
#include "spool/SpoolReader.h"

#include <qvpreview/Error.h>

#include <QByteArray>
#include <QFileInfo>

#include <cmath>
#include <optional>

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
            in.fail(ErrOutOfMemory, QStringLiteral("testo oltre %1 byte senza \"%2\"")
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

void drawPicture(DrawTarget &t, SpoolReader &in)
{
    const QString path = in.text("il percorso dell'immagine");
    const float x = in.single("x");
    const float y = in.single("y");
    const float width = in.single("larghezza");
    const float height = in.single("altezza");
    // Only a regular file can hold a picture: a device or a pipe could be
    // read without end.
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        in.fail(ErrFileNotFound, QStringLiteral("immagine non caricabile \"%1\" (file non trovato)").arg(path));
    QString why = QStringLiteral("non è un file");
    const std::optional<PictureData> picture = info.isFile() ? PictureData::load(path, &why) : std::nullopt;
    if (!picture)
        in.fail(ErrInvalidPicture, QStringLiteral("immagine non caricabile \"%1\" (%2)").arg(path, why));
    t.PaintPicture(*picture, x, y, width, height);
}

} // namespace

void DisegnaPagina(DrawTarget &Destinazione, const QString &FileTemporaneo, int16_t Pagina,
                   const QVariant &Abbandona, qint64 PosizioneInizio)
{
    if (FileTemporaneo.isEmpty())
        return;
    const bool printer = Destinazione.kind() == TargetKind::Printer;
    if (!printer)
        Destinazione.Cls();
    if (printer) {
        if (Destinazione.PrinterCount() == 0)
            return;
        if (Destinazione.ScaleMode() != 1)
            Destinazione.setScaleMode(1);
    }

    SpoolReader in(Source);
    in.open(FileTemporaneo);

    if (Pagina >= 2) {
        if (PosizioneInizio == 0) {
            // The page is found by counting page breaks with the one page-start
            // scan that the page index uses: counts and stored positions always
            // lead to the same line. The text lines of text records count too.
            spool::PageStartScanner scanner(FileTemporaneo, Source, true);
            std::optional<qint64> start;
            for (int counter = 1; counter < Pagina; ++counter)
                if (!(start = scanner.next()))
                    break;
            if (start)
                in.seek(*start, scanner.linesBefore());
            else
                in.seekToEnd(); // fewer pages than that: nothing to draw
        } else {
            if (PosizioneInizio < 0)
                in.fail(ErrBadRecordNumber,
                        QStringLiteral("posizione di inizio pagina non valida: %1").arg(PosizioneInizio));
            in.seek(PosizioneInizio);
        }
    }

    while (!in.atEnd()) {
        const QByteArrayView tag = in.readLineView();
        if (tag == QByteArrayView(spool::TagPrint)) {
            drawText(Destinazione, in);
        } else if (tag == QByteArrayView(spool::TagNewPage)) {
            if (Pagina != -1)
                break;
            if (printer)
                Destinazione.NewPage();
        } else if (tag == QByteArrayView(spool::TagLine)) {
            drawLine(Destinazione, in);
        } else if (tag == QByteArrayView(spool::TagPSet)) {
            drawPoint(Destinazione, in);
        } else if (tag == QByteArrayView(spool::TagCircle)) {
            drawCircle(Destinazione, in);
        } else if (tag == QByteArrayView(spool::TagPaint)) {
            drawPicture(Destinazione, in);
        }
        // Any other line is no tag: skipped.
    }

    if (printer) {
        if (Abbandona.isValid() && !Abbandona.isNull() && Abbandona.toBool())
            Destinazione.KillDoc();
        else
            Destinazione.EndDoc();
    }
}

} // namespace qv::LetturaDati
