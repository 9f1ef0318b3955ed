// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "control/AdattaTesto.h"

#include <QRawFont>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

namespace qv::AdattaTesto {

void removeTrailingSpaces(QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
        --end;
    text.truncate(end);
}

void trimSpaces(QString &text)
{
    removeTrailingSpaces(text);
    qsizetype start = 0;
    while (start < text.size() && text.at(start) == QLatin1Char(' '))
        ++start;
    text.remove(0, start);
}

QString PulisciTesto(QString text)
{
    for (QChar &c : text)
        if (c.unicode() < 32 && c.unicode() != 9)
            c = QLatin1Char(' ');
    return text;
}

/// Fitting a text into a field measures one prefix after the other, and each
/// measure shapes the whole prefix. To spare the prefixes that cannot fit,
/// the paragraph's piece widths are read off something cheaper, and only the
/// pieces that might fit are measured exactly, so the result is the same as
/// measuring them all:
/// - A paragraph of Latin characters (those the renderer draws as a glyph
///   run) whose glyphs the font has: the sum of the characters' design
///   advances, which is what shaping gives for such text with kerning off.
///   Every exact measure is held against that sum; should one differ (a
///   font with ligatures), the paragraph goes over to the next way.
/// - Otherwise the paragraph laid out once: a piece measured alone differs
///   from its laid-out width by less than one em at each end cut out of the
///   paragraph (a ligature or cluster across the cut).
/// - Texts with tabs or right-to-left characters are always measured in full.
struct Paragrafo::Layout
{
    /// Where each character starts (the last: the text's end), from one of
    /// the two ways above, read on demand.
    std::vector<double> x;
    std::unique_ptr<QTextLayout> layout;
    QTextLine line;
    double margine = 0; ///< per end cut out of the paragraph
};

namespace {

/// Characters drawn as a glyph run by the renderer: Latin, no controls, no soft hyphen.
bool latino(QChar c)
{
    const char16_t u = c.unicode();
    return !(u < 0x20 || (u >= 0x7F && u < 0xA0) || u == 0xAD || u >= 0x250);
}

// A measure is rounded to whole twips; the design advances add up in floating point.
constexpr double ScartoMisura = 1.0;

} // namespace

Paragrafo::Paragrafo(QString testo, const FontAttributes &font) : m_testo(std::move(testo)), m_font(font) {}

Paragrafo::~Paragrafo() = default;

void Paragrafo::prepara()
{
    m_pronto = true;
    bool tuttoLatino = true;
    for (QChar c : m_testo) {
        switch (c.direction()) {
        case QChar::DirR:
        case QChar::DirAL:
        case QChar::DirRLE:
        case QChar::DirRLO:
        case QChar::DirRLI:
        case QChar::DirAN: return;
        default: break;
        }
        if (c == QLatin1Char('\t'))
            return;
        tuttoLatino = tuttoLatino && latino(c);
    }
    const QFont font = makeTwipsFont(m_font);
    if (tuttoLatino && !m_soloLayout && preparaAvanzamenti(font))
        return;
    auto l = std::make_unique<Layout>();
    l->layout = std::make_unique<QTextLayout>(m_testo, font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    l->layout->setTextOption(option);
    l->layout->beginLayout();
    l->line = l->layout->createLine();
    if (l->line.isValid())
        l->line.setLineWidth(std::numeric_limits<float>::max());
    l->layout->endLayout();
    if (!l->line.isValid())
        return;
    l->x.assign(size_t(m_testo.size()) + 1, std::numeric_limits<double>::quiet_NaN());
    l->margine = font.pixelSize() + 2.0;
    m_layout = std::move(l);
}

bool Paragrafo::preparaAvanzamenti(const QFont &font)
{
    const QRawFont raw = QRawFont::fromFont(font);
    if (!raw.isValid())
        return false;
    const QList<quint32> glyphs = raw.glyphIndexesForString(m_testo);
    if (glyphs.size() != m_testo.size() || glyphs.contains(0u))
        return false;
    const QList<QPointF> advances = raw.advancesForGlyphIndexes(glyphs, QRawFont::UseDesignMetrics);
    auto l = std::make_unique<Layout>();
    l->x.reserve(size_t(m_testo.size()) + 1);
    double x = 0;
    for (const QPointF &a : advances) {
        l->x.push_back(x);
        x += a.x();
    }
    l->x.push_back(x);
    l->margine = ScartoMisura;
    m_layout = std::move(l);
    m_avanzamenti = true;
    return true;
}

double Paragrafo::x(qsizetype pos)
{
    double &v = m_layout->x[size_t(pos)];
    if (std::isnan(v))
        v = pos == 0 ? 0.0 : m_layout->line.cursorToX(int(pos));
    return v;
}

bool Paragrafo::sicuramentePiuLargo(qsizetype inizio, qsizetype lunghezza, double campo)
{
    if (!m_pronto)
        prepara();
    if (!m_layout || inizio < 0 || lunghezza <= 0 || inizio + lunghezza > m_testo.size())
        return false;
    // A margin for each end cut out of the paragraph, and one at least.
    const int tagli = std::max(1, (inizio > 0 ? 1 : 0) + (inizio + lunghezza < m_testo.size() ? 1 : 0));
    return x(inizio + lunghezza) - x(inizio) > campo + tagli * m_layout->margine;
}

bool Paragrafo::confermaMisura(qsizetype inizio, qsizetype lunghezza, double misura)
{
    if (!m_avanzamenti || inizio < 0 || inizio + lunghezza > m_testo.size())
        return true;
    if (std::abs(x(inizio + lunghezza) - x(inizio) - misura) <= ScartoMisura)
        return true;
    // The font shapes these characters otherwise: from now on the layout.
    m_avanzamenti = false;
    m_soloLayout = true;
    m_layout.reset();
    m_pronto = false;
    return false;
}

namespace {

Campo adatta(const QString &testo, double limite, bool parolaIntera, const Misura &misura,
             const std::function<bool(qsizetype)> &surelyWider)
{
    const double m = limite;
    qsizetype n = testo.size();
    QString piece = testo;
    // A text certainly too wide is not measured whole.
    double w = n > 0 && surelyWider(n) ? std::numeric_limits<double>::infinity() : misura(piece);

    if (!parolaIntera) {
        // Character by character; the piece may end in a space, which w includes.
        while (w > m && n > 0) {
            --n;
            while (n > 0 && surelyWider(n))
                --n;
            piece.truncate(n);
            w = misura(piece);
        }
    } else {
        while (w > m && n > 0) {
            // Back to the previous space. n keeps counting up to the break
            // space, so after the trim below the first steps of the next round
            // only pass over the spaces already removed (the piece, a
            // beginning of the text, is cut once the space is found).
            const qsizetype corrente = piece.size();
            do {
                --n;
            } while (n > 0 && !(n <= corrente && testo.at(n - 1) == QLatin1Char(' ')));
            if (n == 0)
                return adatta(testo, limite, false, misura, surelyWider);
            piece = testo.left(n);
            removeTrailingSpaces(piece);
            if (surelyWider(piece.size()))
                continue; // still too wide: on to the previous space
            w = misura(piece);
        }
    }
    return Campo{n, piece, w};
}

} // namespace

Campo adattaCampo(const QString &testo, double limite, bool parolaIntera, const Misura &misura,
                  const FontAttributes *font)
{
    if (!font)
        return adatta(testo, limite, parolaIntera, misura, [](qsizetype) { return false; });
    Paragrafo paragrafo(testo, *font);
    return adattaCampo(testo, limite, parolaIntera, misura, paragrafo, 0);
}

Campo adattaCampo(const QString &testo, double limite, bool parolaIntera, const Misura &misura, Paragrafo &paragrafo,
                  qsizetype inizio)
{
    // A text that is not the paragraph's at that place is measured in full.
    const bool suo = inizio >= 0 && inizio + testo.size() <= paragrafo.testo().size()
                     && QStringView(paragrafo.testo()).mid(inizio, testo.size()) == QStringView(testo);
    if (!suo)
        return adatta(testo, limite, parolaIntera, misura, [](qsizetype) { return false; });
    const auto surelyWider = [&](qsizetype lunghezza) {
        return paragrafo.sicuramentePiuLargo(inizio, lunghezza, limite);
    };
    // Every exact measure confirms the advances the pruning relied on; when
    // one does not, the line is fitted again with the paragraph's layout.
    bool confermate = true;
    const Misura controllata = [&](const QString &piece) {
        const double w = misura(piece);
        confermate = paragrafo.confermaMisura(inizio, piece.size(), w) && confermate;
        return w;
    };
    const Campo campo = adatta(testo, limite, parolaIntera, controllata, surelyWider);
    if (confermate)
        return campo;
    return adatta(testo, limite, parolaIntera, misura, surelyWider);
}

} // namespace qv::AdattaTesto
