// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// Text fitting for the text commands: the clean-up of a host's text and the
// search for the longest piece of it that fits a field, by character or at a
// word. Pure text arithmetic over a width function: no widgets, no files.
#pragma once

#include "render/TextMetrics.h"

#include <QFont>
#include <QString>

#include <functional>
#include <memory>

namespace qv::AdattaTesto {

/// Removes trailing spaces (spaces only, not tabs).
void removeTrailingSpaces(QString &text);
/// Removes spaces at both ends (spaces only).
void trimSpaces(QString &text);
/// Every character below 32 except tab becomes one space; the length stays.
QString PulisciTesto(QString text);

/// The width in twips of a text, as the control measures it (rounded to whole twips).
using Misura = std::function<double(const QString &)>;

/// A text fitted into a field.
struct Campo
{
    /// Characters of the text used up: the piece, and by word the spaces
    /// after it up to the break.
    qsizetype usati = 0;
    /// What is printed: the first characters of the text, by word without
    /// its trailing spaces.
    QString pezzo;
    /// The width of pezzo, as \a misura gave it.
    double larghezza = 0;

    bool operator==(const Campo &) const = default;
};

/// Fits \a testo into a field \a limite twips wide: the longest beginning
/// of it that \a misura finds no wider than the field. By character the
/// piece is cut anywhere (it may end in a space); with \a parolaIntera it is
/// cut at the last space that leaves it narrow enough, and a text without
/// such a space is cut by character instead. Nothing fits: an empty piece
/// with 0 characters used.
///
/// \a font, when given, is the font that \a misura measures in: the text is
/// then laid out once, and beginnings that are certainly too wide are skipped
/// without being measured; the result is the same as measuring them all.
Campo adattaCampo(const QString &testo, double limite, bool parolaIntera, const Misura &misura,
                  const FontAttributes *font = nullptr);

/// A paragraph laid out once, so that the fitting of its lines one after
/// the other reads the widths of their pieces off it and measures only the
/// pieces that might fit. The layout is made at the first question.
class Paragrafo
{
public:
    Paragrafo(QString testo, const FontAttributes &font);
    ~Paragrafo();
    Paragrafo(const Paragrafo &) = delete;
    Paragrafo &operator=(const Paragrafo &) = delete;

    const QString &testo() const { return m_testo; }
    /// True when the \a lunghezza characters from \a inizio are certainly
    /// wider than \a campo twips when measured on their own.
    bool sicuramentePiuLargo(qsizetype inizio, qsizetype lunghezza, double campo);
    /// Holds the exact width \a misura of the \a lunghezza characters from
    /// \a inizio against what the pruning read; false when they differ
    /// beyond rounding, and the paragraph then reads its layout instead.
    bool confermaMisura(qsizetype inizio, qsizetype lunghezza, double misura);

private:
    void prepara();
    bool preparaAvanzamenti(const QFont &font);
    /// Where the character at \a pos starts, in twips from the paragraph's start.
    double x(qsizetype pos);
    struct Layout;

    QString m_testo;
    FontAttributes m_font;
    bool m_pronto = false;
    bool m_avanzamenti = false;
    bool m_soloLayout = false;
    std::unique_ptr<Layout> m_layout;
};

/// The same for \a testo standing at \a inizio in \a paragrafo (which
/// \a misura measures in): the same result, measuring fewer pieces. A text
/// that is not the paragraph's at that place is measured in full.
Campo adattaCampo(const QString &testo, double limite, bool parolaIntera, const Misura &misura, Paragrafo &paragrafo,
                  qsizetype inizio);

} // namespace qv::AdattaTesto
