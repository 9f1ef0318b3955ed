// SPDX-License-Identifier: MIT
// Find speed: the count of the matches of a text over a 10,000-page
// document of invoice pages (a dozen text records and a few lines each),
// written in a temporary folder through the spool writer, as the preview's
// find bar and `qvpreview find` search it.
#include "spool/Document.h"
#include "spool/SpoolFormat.h"
#include "spool/SpoolWriter.h"
#include "spool/TextSearch.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int Pages = 10000;

QTemporaryDir &folder()
{
    static QTemporaryDir dir;
    return dir;
}

void text(QFile &f, float x, float y, const QString &s, int size = 10)
{
    qv::spool::Record r(qv::spool::TagPrint);
    qv::spool::FontLine font;
    font.fontName = QStringLiteral("Arial");
    font.fontSize = size;
    qv::spool::ScriviAttributiFont(r, font);
    r.single(x).single(y).endLine();
    r.rawLine(s);
    r.tag(qv::spool::TagEndPrint);
    f.write(r.bytes());
}

void line(QFile &f, float x1, float y1, float x2, float y2)
{
    qv::spool::Record r(qv::spool::TagLine);
    qv::spool::ScriviAttributiTratto(r, qv::spool::StrokeLine());
    r.single(x1).single(y1).single(x2).single(y2).boolean(false).boolean(false).endLine();
    f.write(r.bytes());
}

/// The document, written once: per page a heading, an address with an
/// accented letter, a two-line note, eight rows, a total and a footer.
const QString &document()
{
    static const QString path = [] {
        const QString p = folder().path() + QStringLiteral("/find10000.tmp");
        QFile f(p);
        if (!f.open(QIODevice::WriteOnly))
            std::abort();
        for (int page = 1; page <= Pages; ++page) {
            text(f, 1440, 1200, QStringLiteral("Ditta Rossi S.r.l. - Fattura n. %1").arg(page), 16);
            text(f, 1440, 1500, QStringLiteral("Via Roma 1, 20100 Milano - Città metropolitana"), 9);
            text(f, 1440, 1800, QStringLiteral("Cliente: Bianchi Mario\r\nVia Verdi 22, Torino"));
            for (int row = 0; row < 8; ++row) {
                text(f, 1200, 3400 + row * 500.0f, QStringLiteral("Articolo %1 - descrizione").arg(row + 1));
                line(f, 1000, 3460 + row * 500.0f, 10500, 3460 + row * 500.0f);
            }
            text(f, 7000, 13800, QStringLiteral("Totale fattura %1,50 EUR").arg(12 * page), 12);
            text(f, 1200, 15000, QStringLiteral("Pagina %1 di %2").arg(page).arg(Pages), 8);
            if (page < Pages)
                f.write(qv::spool::Record(qv::spool::TagNewPage).bytes());
        }
        return p;
    }();
    return path;
}

/// Counts the matches of \a query over every page with the page index in
/// hand, as the find bar searches (the window holds the index already).
void countWithIndex(benchmark::State &state, const QString &query)
{
    const QString &path = document();
    const qv::spool::PageIndex index = qv::spool::buildPageIndex(path, QStringLiteral("Bench"));
    const qv::spool::TextSearch search(query);
    qint64 matches = 0;
    for (auto _ : state) {
        matches = 0;
        search.run(path, index, 1, Pages, [&](int32_t, const QList<qv::spool::TextMatch> &m) {
            matches += m.size();
            return true;
        });
    }
    state.counters["matches"] = double(matches);
    state.counters["pages/s"] = benchmark::Counter(double(Pages), benchmark::Counter::kIsIterationInvariantRate);
}

// Two matches a page, plain ASCII: searched as bytes.
void BM_FindCount10000Pages(benchmark::State &state)
{
    countWithIndex(state, QStringLiteral("FATTURA"));
}
BENCHMARK(BM_FindCount10000Pages)->Unit(benchmark::kMillisecond);

// A query with an accented letter: every record is decoded and folded.
void BM_FindCount10000PagesAccented(benchmark::State &state)
{
    countWithIndex(state, QStringLiteral("CITTÀ"));
}
BENCHMARK(BM_FindCount10000PagesAccented)->Unit(benchmark::kMillisecond);

// Nothing to find: the whole file read for nothing.
void BM_FindNothing10000Pages(benchmark::State &state)
{
    countWithIndex(state, QStringLiteral("nota di credito"));
}
BENCHMARK(BM_FindNothing10000Pages)->Unit(benchmark::kMillisecond);

// From the file alone, as `qvpreview find` does: the page index first, then
// the search.
void BM_FindAllFromTheFile(benchmark::State &state)
{
    const QString &path = document();
    const qv::spool::TextSearch search(QStringLiteral("fattura"));
    qsizetype matches = 0;
    for (auto _ : state)
        matches = search.findAll(qv::spool::Document::onFile(path)).size();
    state.counters["matches"] = double(matches);
}
BENCHMARK(BM_FindAllFromTheFile)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
