// SPDX-License-Identifier: MIT
// The commands that read a spool file and tell what is in it: check,
// check --layout and find.
#include "Commands.h"

#include <qvpreview/SpoolFile.h>

#include <QCoreApplication>
#include <QPageLayout>
#include <QRectF>

#include <algorithm>

namespace qvcli {

namespace {

/// A page's paper as the user reads it: "210 x 297 mm verticale" (the
/// sheet as it is turned, to a tenth of a millimetre).
QString describePaper(const QPageLayout &layout)
{
    const QSizeF mm = layout.fullRect(QPageLayout::Millimeter).size();
    const auto number = [](double v) {
        QString t = QString::number(v, 'f', 1);
        return t.endsWith(QLatin1String(".0")) ? t.chopped(2) : t;
    };
    return QStringLiteral("%1 x %2 mm %3")
        .arg(number(mm.width()), number(mm.height()),
             layout.orientation() == QPageLayout::Landscape ? QCoreApplication::translate("qvpreview", "orizzontale")
                                                            : QCoreApplication::translate("qvpreview", "verticale"));
}

/// The numbers of a position as recorded (a 32-bit float): "1440", "566.9291".
QString twips(float value)
{
    return QString::number(double(value), 'g', 7);
}

/// Characters of the record's text shown on either side of a match.
constexpr qsizetype ContextChars = 40;

/// The match \a m with at most ContextChars characters of its text on either
/// side, "…" where the text goes on; so a line stays short however long the
/// record. Control characters are shown as blanks, so that every match
/// stays on one line, and a pair of UTF-16 halves is never cut.
QString matchInContext(const qv::SpoolMatch &m)
{
    const QString &t = m.text;
    qsizetype from = std::clamp<qsizetype>(qsizetype(m.offset) - ContextChars, 0, t.size());
    qsizetype to = std::clamp<qsizetype>(qsizetype(m.offset) + m.length + ContextChars, from, t.size());
    if (from > 0 && t.at(from).isLowSurrogate())
        --from;
    if (to < t.size() && to > from && t.at(to).isLowSurrogate())
        ++to;
    QString shown;
    shown.reserve(to - from + 2);
    if (from > 0)
        shown += QChar(0x2026);
    for (qsizetype i = from; i < to; ++i)
        shown += t.at(i).unicode() < 0x20 ? QChar(u' ') : t.at(i);
    if (to < t.size())
        shown += QChar(0x2026);
    return shown;
}

} // namespace

// --- check ------------------------------------------------------------------

int commandCheck(const QString &path)
{
    QString message;
    if (!checkReadable(path, message))
        return failure(message);
    const qv::SpoolCheck check = qv::SpoolFile(path).check();
    if (check.error)
        return failure(QStringLiteral("%1: %2").arg(path, describe(*check.error)));
    out() << path << ": " << QCoreApplication::translate("qvpreview", "valido") << "\n"
          << QCoreApplication::translate("qvpreview", "pagine: ") << check.pages << "\n"
          << QCoreApplication::translate("qvpreview", "testi: ") << check.texts << "\n"
          << QCoreApplication::translate("qvpreview", "linee: ") << check.lines << "\n"
          << QCoreApplication::translate("qvpreview", "riquadri: ") << check.boxes << "\n"
          << QCoreApplication::translate("qvpreview", "punti: ") << check.points << "\n"
          << QCoreApplication::translate("qvpreview", "cerchi: ") << check.circles << "\n"
          << QCoreApplication::translate("qvpreview", "immagini: ") << check.pictures << "\n";
    // The pages' sizes, for a file that records them: one line when every
    // page is alike, else one a run. A file without page layouts (recorded
    // on the printer of the moment) is reported as it always was.
    const bool recorded = std::any_of(check.layouts.begin(), check.layouts.end(),
                                      [](const qv::SpoolLayoutRun &run) { return run.recorded; });
    const auto paperOf = [](const qv::SpoolLayoutRun &run) {
        return run.recorded ? describePaper(run.layout)
                            : QCoreApplication::translate("qvpreview", "della stampante corrente (%1)")
                                  .arg(describePaper(run.layout));
    };
    if (recorded && check.layouts.size() == 1) {
        out() << QCoreApplication::translate("qvpreview", "formato: ") << paperOf(check.layouts.first()) << "\n";
    } else if (recorded) {
        out() << QCoreApplication::translate("qvpreview", "formati:") << "\n";
        for (const qv::SpoolLayoutRun &run : check.layouts) {
            const QString pages =
                run.firstPage == run.lastPage
                    ? QCoreApplication::translate("qvpreview", "pagina %1").arg(run.firstPage)
                    : QCoreApplication::translate("qvpreview", "pagine %1-%2").arg(run.firstPage).arg(run.lastPage);
            out() << "  " << pages << ": " << paperOf(run) << "\n";
        }
    }
    out().flush();
    return Ok;
}

/// The layout check: the findings page by page, each with its record's
/// line and place; 0 when there is none, 1 when there are (or the file
/// could not be read to its end: the findings before the error, then the
/// error).
int commandCheckLayout(const QString &path)
{
    QString message;
    if (!checkReadable(path, message))
        return failure(message);
    const qv::LayoutCheck check = qv::SpoolFile(path).checkLayout();
    int32_t page = 0;
    for (const qv::LayoutFinding &f : check.findings) {
        if (f.page != page) {
            page = f.page;
            out() << QCoreApplication::translate("qvpreview", "pagina %1:").arg(page) << "\n";
        }
        const QRectF r = f.place;
        out() << "  "
              << QCoreApplication::translate("qvpreview", "riga %1: %2 (x %3, y %4, %5 x %6 twip)")
                     .arg(f.line)
                     .arg(f.text)
                     .arg(qRound64(r.x()))
                     .arg(qRound64(r.y()))
                     .arg(qRound64(r.width()))
                     .arg(qRound64(r.height()))
              << "\n";
    }
    if (check.error) {
        out().flush();
        return failure(QStringLiteral("%1: %2").arg(path, describe(*check.error)));
    }
    out() << path << ": " << check.summary() << "\n";
    out().flush();
    return check.findings.isEmpty() ? Ok : Failure;
}

// --- find -------------------------------------------------------------------

/// As grep: 0 when something was found, 1 when nothing was (and nothing is
/// written), 2 for an error, whose message names the file.
int commandFind(const QString &path, const QString &text, const Options &options)
{
    if (text.isEmpty())
        return usageError(QCoreApplication::translate("qvpreview", "il testo da cercare è vuoto"));
    QString message;
    if (!checkReadable(path, message)) {
        failure(message);
        return Usage;
    }
    try {
        qv::SpoolFindOptions how;
        how.matchCase = options.values.count(QStringLiteral("match-case")) > 0;
        how.wholeWords = options.values.count(QStringLiteral("whole-words")) > 0;
        bool more = false;
        const QList<qv::SpoolMatch> matches = qv::SpoolFile(path).find(text, how, &more);
        for (const qv::SpoolMatch &m : matches)
            out() << m.page << ':' << twips(m.x) << ',' << twips(m.y) << ':' << m.offset + 1 << ':' << matchInContext(m)
                  << '\n';
        out().flush();
        if (more) {
            // The search stopped at its limit: the lines are the first ones.
            err() << "qvpreview: "
                  << QCoreApplication::translate("qvpreview", "oltre %1 occorrenze: scritte le prime %1")
                         .arg(qv::SpoolFindOptions::MaxMatches)
                  << "\n";
            err().flush();
        }
        return matches.isEmpty() ? Failure : Ok;
    } catch (const qv::Error &e) {
        failure(QStringLiteral("%1: %2").arg(path, describe(e)));
        return Usage;
    }
}

} // namespace qvcli
