// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The replay: the only reader of the spool file.
#pragma once

#include "render/DrawTarget.h"

#include <QString>

#include <algorithm>
#include <cstdint>

namespace qv::spool {
class SpoolReader;
} // namespace qv::spool

namespace qv::LetturaDati {

/// Which part of a spool file one replay draws.
class PageSpec
{
public:
    enum class Kind {
        Number,   ///< one page, found by counting page breaks from the file start
        Position, ///< one page, reached by one seek to its stored start
        Every,    ///< every page, one after another, onto the same target (the check)
    };

    /// Page \a number (1-based; below 1 draws page 1), found by counting page
    /// breaks, so that an error names the line of the file.
    static PageSpec page(int32_t number) { return PageSpec(Kind::Number, std::max(number, 1), 0); }
    /// The page whose first line starts at the 1-based byte position
    /// \a position (64-bit: pages past 2 GiB are reached too); 1 is the
    /// first page. An error names the line counted from that position.
    static PageSpec at(qint64 position) { return PageSpec(Kind::Position, 0, position); }
    /// Every page, one after another, without a break between them.
    static PageSpec everyPage() { return PageSpec(Kind::Every, 0, 0); }

    /// The same, reading the file only up to byte offset \a end (a count of
    /// bytes from the file start): a file still being written, of which
    /// only the lines up to there are whole. A record cut short at that end
    /// is still being written: the replay stops before it, without an error.
    PageSpec upTo(qint64 end) const
    {
        PageSpec spec = *this;
        spec.m_end = end;
        return spec;
    }

    Kind kind() const { return m_kind; }
    int32_t number() const { return m_number; }
    qint64 position() const { return m_position; }
    /// The end given to upTo(), or -1: the file's own end.
    qint64 end() const { return m_end; }

private:
    PageSpec(Kind kind, int32_t number, qint64 position) : m_kind(kind), m_number(number), m_position(position) {}

    Kind m_kind;
    int32_t m_number;
    qint64 m_position;
    qint64 m_end = -1;
};

/// Draws the page (or pages) \a Pagina of the spool file \a FileTemporaneo
/// onto \a Destinazione: clears it (Cls), then draws the records up to the
/// page's end. It draws and does nothing else: a print job is begun, given
/// new sheets and ended by its owner, the print engine.
/// Errors (a missing file, a record cut short, a value that is no number)
/// end the call with a qv::Error naming the line and what was expected; what
/// was drawn so far stays drawn and the file is closed. An empty path draws
/// nothing and touches nothing.
void DisegnaPagina(DrawTarget &Destinazione, const QString &FileTemporaneo, const PageSpec &Pagina);

/// The same through \a in, a reader the caller opened on the spool file and
/// keeps for many pages: a print job draws all its pages through one open
/// file instead of opening it again for every page. The reader is moved to
/// the page (wherever it was left) and stays open.
void DisegnaPagina(DrawTarget &Destinazione, spool::SpoolReader &in, const PageSpec &Pagina);

} // namespace qv::LetturaDati
