// qvPreview - print preview for Qt applications.
#include "control/AdattaTesto.h"

#include <QTextLayout>

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

namespace {

/// Fitting a text into a field measures one prefix after the other, and each
/// measure shapes the whole prefix. To spare the prefixes that cannot fit,
/// the text is laid out once and every prefix's width read off that layout:
/// it differs from the prefix measured alone by less than one em (a ligature
/// or cluster at the cut), so a prefix whose laid-out width exceeds the field
/// by more than an em is certainly too wide and needs no measuring. The
/// prefixes that might fit are measured exactly, so the result is the same as
/// measuring them all. Texts with tabs or right-to-left characters are always
/// measured in full.
class PrefixWidths
{
public:
    PrefixWidths(const QString &text, const FontAttributes &font) : m_text(text), m_font(font) {}

    /// True when the first \a length characters are certainly wider than \a field twips.
    bool surelyWider(qsizetype length, double field)
    {
        if (!m_ready)
            prepare();
        if (!m_layout || length <= 0 || length >= m_text.size())
            return false;
        // Positions are read on demand: the word-breaking search only asks at its break spaces.
        double &x = m_x[size_t(length)];
        if (std::isnan(x))
            x = m_line.cursorToX(int(length));
        return x > field + m_margin;
    }

private:
    void prepare()
    {
        m_ready = true;
        for (QChar c : m_text) {
            switch (c.direction()) {
            case QChar::DirR:
            case QChar::DirAL:
            case QChar::DirRLE:
            case QChar::DirRLO:
            case QChar::DirRLI:
            case QChar::DirAN:
                return;
            default:
                break;
            }
            if (c == QLatin1Char('\t'))
                return;
        }
        const QFont font = makeTwipsFont(m_font);
        m_layout = std::make_unique<QTextLayout>(m_text, font);
        QTextOption option;
        option.setWrapMode(QTextOption::NoWrap);
        m_layout->setTextOption(option);
        m_layout->beginLayout();
        m_line = m_layout->createLine();
        if (m_line.isValid())
            m_line.setLineWidth(std::numeric_limits<float>::max());
        m_layout->endLayout();
        if (!m_line.isValid()) {
            m_layout.reset();
            return;
        }
        m_x.assign(size_t(m_text.size()) + 1, std::numeric_limits<double>::quiet_NaN());
        m_margin = font.pixelSize() + 2.0;
    }

    const QString &m_text;
    FontAttributes m_font;
    bool m_ready = false;
    std::unique_ptr<QTextLayout> m_layout;
    QTextLine m_line;
    std::vector<double> m_x;
    double m_margin = 0;
};

} // namespace

Campo adattaCampo(const QString &testo, double limite, bool parolaIntera, const Misura &misura,
                  const FontAttributes *font)
{
    const double m = limite;
    qsizetype n = testo.size();
    QString piece = testo;
    double w = misura(piece);
    std::optional<PrefixWidths> prefixes;
    if (font)
        prefixes.emplace(testo, *font);
    auto surelyWider = [&](qsizetype length) { return prefixes && prefixes->surelyWider(length, m); };

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
            // only pass over the spaces already removed.
            do {
                --n;
                piece = piece.left(n);
            } while (n > 0 && !piece.endsWith(QLatin1Char(' ')));
            if (n == 0)
                return adattaCampo(testo, limite, false, misura, font);
            removeTrailingSpaces(piece);
            if (surelyWider(piece.size()))
                continue; // still too wide: on to the previous space
            w = misura(piece);
        }
    }
    return Campo{n, piece, w};
}

} // namespace qv::AdattaTesto
