// qvPreview - print preview for Qt applications.
// The replay of a spool file: one record at a time, each turned into calls on
// a drawing target. Nothing is cached: a record is read, drawn and dropped.
#include "replay/LetturaDati.h"

#include "replay/SpoolLines.h"

#include <qvpreview/Error.h>

#include <QByteArray>
#include <QFileInfo>

#include <charconv>
#include <cfloat>
#include <cmath>
#include <limits>

namespace qv::LetturaDati {

namespace {

const QString Source = QStringLiteral("DisegnaPagina");


/// The longest text a text record may collect: one record in memory, bounded.
constexpr qsizetype MaxTextBytes = SpoolLineReader::MaxLineBytes;

/// The spool file as lines and as a stream of comma-separated values, with
/// the line number of everything it reads, for the error messages.
class SpoolStream
{
public:
    explicit SpoolStream(const QString &path)
    {
        try {
            m_reader.open(path);
        } catch (const Error &e) {
            throw Error(e.number(), Source, e.description());
        }
    }

    /// Moves to a 1-based byte position; line numbers count from there on.
    void seek(qint64 position)
    {
        m_reader.seek(position);
        m_linesKnown = position <= 1;
        m_origin = position;
        m_line = 0;
        dropLine();
    }

    bool atEnd() const { return !m_haveLine && m_reader.atEnd(); }

    /// The next whole line as raw bytes (tags, text lines), valid until the
    /// next read.
    QByteArrayView readLine(const QString &expected)
    {
        if (m_haveLine) {
            // A value group ended mid-line: the rest of that line is dropped.
            dropLine();
        }
        return fetch(nullptr, expected);
    }

    /// Leaves the current value line: the next read starts on a new line.
    void endGroup() { dropLine(); }

    /// Description of where the reader is: "riga 12" or, after a seek to a
    /// stored position, "riga 3 dalla posizione 1234".
    QString where() const
    {
        if (m_linesKnown)
            return QStringLiteral("riga %1").arg(m_line);
        return QStringLiteral("riga %1 dalla posizione %2").arg(m_line).arg(m_origin);
    }

    [[noreturn]] void fail(int number, const QString &what) const
    {
        throw Error(number, Source, QStringLiteral("Errore nel file di stampa, %1: %2").arg(where(), what));
    }

    // --- Values ------------------------------------------------------------

    QString text(const char *field) { return QString::fromUtf8(item(field, true)); }

    double number(const char *field)
    {
        const QByteArrayView raw = item(field, false);
        const QByteArrayView t = raw.trimmed();
        const char *first = t.data();
        const char *last = first + t.size();
        if (first != last && *first == '+')
            ++first;
        bool plain = first != last;
        for (const char *p = first; p != last; ++p) {
            const char c = *p;
            if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E'))
                plain = false;
        }
        double value = 0;
        if (plain) {
            const auto [end, ec] = std::from_chars(first, last, value, std::chars_format::general);
            if (ec == std::errc::result_out_of_range && end == last)
                fail(ErrOverflow, QStringLiteral("valore fuori dall'intervallo ammesso per %1: \"%2\"")
                                      .arg(QLatin1String(field), shown(raw)));
            plain = ec == std::errc() && end == last;
        }
        if (!plain)
            fail(ErrTypeMismatch, QStringLiteral("atteso un numero per %1, trovato \"%2\"")
                                      .arg(QLatin1String(field), shown(raw)));
        return value;
    }

    int32_t integer(const char *field)
    {
        const double v = std::nearbyint(number(field));
        if (!(v >= double(std::numeric_limits<int32_t>::min()) && v <= double(std::numeric_limits<int32_t>::max())))
            fail(ErrOverflow, QStringLiteral("valore intero fuori dall'intervallo per %1").arg(QLatin1String(field)));
        return int32_t(v);
    }

    float single(const char *field)
    {
        const double v = number(field);
        if (std::fabs(v) > double(FLT_MAX))
            fail(ErrOverflow, QStringLiteral("valore fuori dall'intervallo a 32 bit per %1").arg(QLatin1String(field)));
        return float(v);
    }

    bool boolean(const char *field)
    {
        const QByteArrayView raw = item(field, false);
        const QByteArrayView t = raw.trimmed();
        if (t == QByteArrayView("#TRUE#"))
            return true;
        if (t == QByteArrayView("#FALSE#"))
            return false;
        // A number also converts to true/false: 0 is false, anything else true.
        bool ok = false;
        const double v = t.toByteArray().toDouble(&ok);
        if (ok && std::isfinite(v))
            return v != 0;
        fail(ErrTypeMismatch, QStringLiteral("atteso #TRUE# o #FALSE# per %1, trovato \"%2\"")
                                  .arg(QLatin1String(field), shown(raw)));
    }

private:
    static QString shown(QByteArrayView raw)
    {
        constexpr int Shown = 40;
        QString s = QString::fromUtf8(raw.first(std::min<qsizetype>(raw.size(), Shown)));
        if (raw.size() > Shown)
            s += QStringLiteral("...");
        return s;
    }

    void dropLine()
    {
        m_haveLine = false;
        m_current = QByteArrayView();
        m_pos = 0;
    }

    /// The next line, valid until the next read. What was expected, for the
    /// message at the end of the file: the value \a field, or \a expected.
    QByteArrayView fetch(const char *field, const QString &expected)
    {
        if (m_reader.atEnd()) {
            ++m_line;
            const QString what = field ? QStringLiteral("il valore %1").arg(QLatin1String(field)) : expected;
            fail(ErrInputPastEnd, QStringLiteral("fine del file inattesa, atteso %1").arg(what));
        }
        try {
            const QByteArrayView line = m_reader.readLineView();
            ++m_line;
            return line;
        } catch (const Error &e) {
            ++m_line;
            fail(e.number(), QStringLiteral("riga non leggibile (%1)").arg(e.description()));
        }
    }

    /// The next value, wherever it is: values wrap across lines, and blank
    /// lines between them are skipped.
    /// The value is valid until the next read.
    QByteArrayView item(const char *field, bool quotedAllowed)
    {
        while (!m_haveLine || m_pos > m_current.size()) {
            m_current = fetch(field, QString());
            m_pos = 0;
            m_haveLine = !m_current.trimmed().isEmpty();
        }
        const qsizetype size = m_current.size();
        qsizetype p = m_pos;
        while (p < size && (m_current[p] == ' ' || m_current[p] == '\t'))
            ++p;
        QByteArrayView value;
        if (quotedAllowed && p < size && m_current[p] == '"') {
            const qsizetype close = m_current.indexOf('"', p + 1);
            if (close < 0)
                fail(ErrTypeMismatch, QStringLiteral("testo senza virgolette di chiusura per %1").arg(QLatin1String(field)));
            value = m_current.sliced(p + 1, close - p - 1);
            p = close + 1;
            // Anything between the closing quote and the comma is ignored.
            const qsizetype comma = m_current.indexOf(',', p);
            p = comma < 0 ? size : comma;
        } else {
            const qsizetype comma = m_current.indexOf(',', p);
            const qsizetype end = comma < 0 ? size : comma;
            value = m_current.sliced(p, end - p);
            p = end;
        }
        // After the comma the next value begins; at the line end (or after a
        // comma that ends the line) the line is used up.
        m_pos = p + 1 < size ? p + 1 : size + 1;
        return value;
    }

    SpoolLineReader m_reader;
    QByteArrayView m_current; // the line being read, in the reader's buffer
    qsizetype m_pos = 0;
    bool m_haveLine = false;
    bool m_linesKnown = true;
    qint64 m_origin = 1;
    qint64 m_line = 0;
};

struct Stroke
{
    int32_t foreColor, drawMode, drawWidth, drawStyle, fillColor, fillStyle;
};

Stroke readStroke(SpoolStream &in)
{
    Stroke s{};
    s.foreColor = in.integer("ForeColor");
    s.drawMode = in.integer("DrawMode");
    s.drawWidth = in.integer("DrawWidth");
    s.drawStyle = in.integer("DrawStyle");
    s.fillColor = in.integer("FillColor");
    s.fillStyle = in.integer("FillStyle");
    in.endGroup();
    return s;
}

void applyStroke(DrawTarget &t, const Stroke &s)
{
    t.setDrawMode(s.drawMode);
    t.setDrawStyle(s.drawStyle);
    t.setDrawWidth(s.drawWidth);
    t.setFillColor(s.fillColor);
    t.setForeColor(s.foreColor);
    t.setFillStyle(s.fillStyle);
}

const QByteArray TagPrint = QByteArrayLiteral("#print@");
const QByteArray TagEndPrint = QByteArrayLiteral("#endprint@");
const QByteArray TagNewPage = QByteArrayLiteral("#newpage@");
const QByteArray TagLine = QByteArrayLiteral("#line@");
const QByteArray TagPSet = QByteArrayLiteral("#pset@");
const QByteArray TagCircle = QByteArrayLiteral("#circle@");
const QByteArray TagPaint = QByteArrayLiteral("#paint@");

void drawText(DrawTarget &t, SpoolStream &in)
{
    const QString fontName = in.text("FontName");
    const int32_t fontSize = in.integer("FontSize");
    const bool italic = in.boolean("FontItalic");
    const bool bold = in.boolean("FontBold");
    const bool underline = in.boolean("FontUnderline");
    const bool strikethru = in.boolean("FontStrikethru");
    const int32_t foreColor = in.integer("ForeColor");
    const bool transparent = in.boolean("FontTransparent");
    in.endGroup();
    const float x = in.single("x");
    const float y = in.single("y");
    in.endGroup();

    // Every line up to "#endprint@", joined with CR LF; the final CR LF goes.
    QByteArray collected;
    for (;;) {
        const QByteArrayView line = in.readLine(QStringLiteral("\"#endprint@\""));
        if (line == TagEndPrint)
            break;
        if (collected.size() + line.size() > MaxTextBytes)
            in.fail(ErrOutOfMemory, QStringLiteral("testo oltre %1 byte senza \"#endprint@\"").arg(MaxTextBytes));
        collected += line;
        collected += "\r\n";
    }
    if (collected.size() > 2)
        collected.chop(2);
    const QString text = QString::fromUtf8(collected);

    if (fontSize < 8)
        t.setFontSize(fontSize);
    t.setFontName(fontName);
    t.setFontSize(fontSize);
    t.setFontItalic(italic);
    t.setFontBold(bold);
    t.setFontUnderline(underline);
    t.setFontStrikethru(strikethru);
    t.setForeColor(foreColor);
    t.setFontTransparent(transparent);
    t.setCurrentX(x);
    t.setCurrentY(double(y) - t.TextHeight(QStringLiteral("A")));
    t.Print(text);
}

void drawLine(DrawTarget &t, SpoolStream &in)
{
    const Stroke s = readStroke(in);
    const float x1 = in.single("x1");
    const float y1 = in.single("y1");
    const float x2 = in.single("x2");
    const float y2 = in.single("y2");
    const bool box = in.boolean("rettangolo");
    const bool filled = in.boolean("pieno");
    in.endGroup();
    applyStroke(t, s);
    t.Line(x1, y1, x2, y2, !box ? LineKind::Line : filled ? LineKind::BoxFilled : LineKind::Box);
}

void drawPoint(DrawTarget &t, SpoolStream &in)
{
    const Stroke s = readStroke(in);
    const float x = in.single("x");
    const float y = in.single("y");
    in.endGroup();
    applyStroke(t, s);
    t.PSet(x, y, s.foreColor);
}

void drawCircle(DrawTarget &t, SpoolStream &in)
{
    const Stroke s = readStroke(in);
    const float x = in.single("x");
    const float y = in.single("y");
    const float radius = in.single("raggio");
    float color = in.single("colore");
    const float start = in.single("Inizio");
    const float end = in.single("Fine");
    const float aspect = in.single("aspetto");
    in.endGroup();
    applyStroke(t, s);
    if (color == -1.0f)
        color = float(s.foreColor);
    // Only a 24-bit colour draws; anything else is the colour's low 24 bits.
    const int32_t rgb = int32_t(std::fmod(double(color), 16777216.0)) & 0xFFFFFF;
    t.Circle(x, y, radius, rgb, start, end, aspect);
}

void drawPicture(DrawTarget &t, SpoolStream &in)
{
    const QString path = in.text("il percorso dell'immagine");
    const float x = in.single("x");
    const float y = in.single("y");
    const float width = in.single("larghezza");
    const float height = in.single("altezza");
    in.endGroup();
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
                   const QVariant &Abbandona, int32_t PosizioneInizio)
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

    SpoolStream in(FileTemporaneo);

    if (Pagina >= 2) {
        if (PosizioneInizio == 0) {
            // Every line counts, the text lines of text records included, as
            // the page index counts them: both lead to the same line.
            int counter = 1;
            while (!in.atEnd() && counter < Pagina) {
                if (in.readLine(QString()) == TagNewPage)
                    ++counter;
            }
        } else {
            if (PosizioneInizio < 0)
                throw Error(ErrBadRecordNumber, Source,
                            QStringLiteral("Posizione di inizio pagina non valida: %1").arg(PosizioneInizio));
            in.seek(PosizioneInizio);
        }
    }

    while (!in.atEnd()) {
        const QByteArrayView tag = in.readLine(QString());
        if (tag == TagPrint) {
            drawText(Destinazione, in);
        } else if (tag == TagNewPage) {
            if (Pagina != -1)
                break;
            if (printer)
                Destinazione.NewPage();
        } else if (tag == TagLine) {
            drawLine(Destinazione, in);
        } else if (tag == TagPSet) {
            drawPoint(Destinazione, in);
        } else if (tag == TagCircle) {
            drawCircle(Destinazione, in);
        } else if (tag == TagPaint) {
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
