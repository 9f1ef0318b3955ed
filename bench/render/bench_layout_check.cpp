// SPDX-License-Identifier: MIT
// The layout check of a 10,000-page report (at most 2 s): per page 48
// texts (half of them fields), a few findings, 12 lines and a box, on a
// recorded A4 layout; beside it the check that only counts the records
// (SpoolFile::check), which reads the same file through the same replay.
#include "platform/Devices.h"
#include "render/LayoutCheck.h"

#include <qvpreview/SpoolFile.h>

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int Pages = 10000;

QString text(double x, double y, const QString &t, int size = 10, bool bold = false)
{
    return QStringLiteral(
               "#print@\r\n\"Arial\",%1,#FALSE#,%2,#FALSE#,#FALSE#,0,#TRUE#\r\n%3,%4\r\n%5\r\n#endprint@\r\n")
        .arg(size)
        .arg(bold ? "#TRUE#" : "#FALSE#")
        .arg(x)
        .arg(y)
        .arg(t);
}

QString field(double x, double width, int cut)
{
    return QStringLiteral("#field@\r\n%1,%2,%3\r\n").arg(x).arg(width).arg(cut);
}

QString line(double x1, double y1, double x2, double y2, bool box)
{
    return QStringLiteral("#line@\r\n0,13,1,0,0,1\r\n%1,%2,%3,%4,%5,#FALSE#\r\n")
        .arg(x1)
        .arg(y1)
        .arg(x2)
        .arg(y2)
        .arg(box ? "#TRUE#" : "#FALSE#");
}

const QString &reportFile()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString p = dir.path() + "/qvreport.tmp";
        QFile f(p);
        if (!f.open(QIODevice::WriteOnly))
            return QString();
        for (int page = 1; page <= Pages; ++page) {
            QString s = QStringLiteral("#page@\r\n11905.51,16837.79,0,566.9291,850.3937,566.9291,850.3937\r\n");
            s += text(600, 800, QStringLiteral("Rendiconto vendite - pagina %1").arg(page), 14, true);
            s += line(0, 1000, 10771, 1000, false);
            for (int row = 0; row < 23; ++row) {
                const double y = 1500 + row * 560.0;
                s += field(600, 4200, row == 7 ? 4 : 0);
                s += text(600, y, QStringLiteral("Articolo %1 - descrizione breve").arg(row + page));
                s += text(6000, y, QString::number((row * 37 + page) % 1000));
                if (row % 2 == 0)
                    s += line(500, y + 80, 10700, y + 80, false);
            }
            // One text runs into the right margin.
            s += text(9800, 15000, QStringLiteral("Totale pagina"));
            s += line(400, 14000, 10600, 14800, true);
            if (page < Pages)
                s += QStringLiteral("#newpage@\r\n");
            f.write(s.toUtf8());
        }
        return p;
    }();
    return path;
}

void BM_CheckLayout10000Pages(benchmark::State &state)
{
    const QString &path = reportFile();
    qsizetype findings = 0;
    for (auto _ : state) {
        const qv::LayoutCheck check = qv::checkLayout(path);
        if (check.error || check.pages != Pages)
            state.SkipWithError("the report does not read");
        findings = check.findings.size();
    }
    state.counters["pages"] = Pages;
    state.counters["findings"] = double(findings);
}
BENCHMARK(BM_CheckLayout10000Pages)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CountRecords10000Pages(benchmark::State &state)
{
    const QString &path = reportFile();
    for (auto _ : state) {
        const qv::SpoolCheck check = qv::SpoolFile(path).check();
        if (!check.ok())
            state.SkipWithError("the report does not read");
    }
}
BENCHMARK(BM_CountRecords10000Pages)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    qv::platform::setPrintersForTesting(QList<qv::platform::PrinterDesc>{});
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
