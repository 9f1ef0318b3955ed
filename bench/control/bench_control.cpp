// SPDX-License-Identifier: MIT
// Recording speed of the control: short texts, field layout, multi-line
// blocks, and the cost of a record as the document grows.
#include "platform/Devices.h"

#include <qvpreview/PrintPreview.h>

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QString italianText(int length)
{
    static const QString words = QStringLiteral(
        "Fornitura di materiale elettrico per l'impianto del capannone di via Roma, comprensiva di posa in "
        "opera, collaudo e certificazione di conformità secondo la normativa vigente; ");
    QString text;
    while (text.size() < length)
        text += words;
    return text.left(length);
}

void BM_StampaTesto(benchmark::State &state)
{
    qv::PrintPreview pp;
    int64_t inDocument = 0;
    for (auto _ : state) {
        pp.StampaTesto(1440, 2880, QStringLiteral("Totale imponibile"));
        if (++inDocument == 200000) { // keeps the temporary file small
            state.PauseTiming();
            pp.AnnullaStampa();
            inDocument = 0;
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations());
    pp.AnnullaStampa();
}
BENCHMARK(BM_StampaTesto);

void BM_StampaCampo250WordBroken(benchmark::State &state)
{
    qv::PrintPreview pp;
    pp.setScaleMode(qv::SM_Inches);
    const QString text = italianText(250);
    for (auto _ : state)
        benchmark::DoNotOptimize(pp.StampaCampo(1, 1, text, 2, qv::PP_Sinistra, true));
    state.SetItemsProcessed(state.iterations());
    pp.AnnullaStampa();
}
BENCHMARK(BM_StampaCampo250WordBroken)->Unit(benchmark::kMicrosecond);

void BM_StampaCampoMultilinea2000(benchmark::State &state)
{
    qv::PrintPreview pp;
    pp.setScaleMode(qv::SM_Inches);
    const QString text = italianText(2000);
    for (auto _ : state) {
        int16_t righe = 0;
        float interlinea = 0;
        benchmark::DoNotOptimize(pp.StampaCampoMultilinea(1, 1, text, 6.5f, qv::PP_Sinistra, righe, interlinea));
    }
    state.SetItemsProcessed(state.iterations());
    pp.AnnullaStampa();
}
BENCHMARK(BM_StampaCampoMultilinea2000)->Unit(benchmark::kMicrosecond);

// One measuring pass of the same 2,000 characters (TextWidth, which the
// fitting of a field calls): what StampaCampoMultilinea is held against.
void BM_MisuraTesto2000(benchmark::State &state)
{
    qv::PrintPreview pp;
    pp.setScaleMode(qv::SM_Inches);
    const QString text = italianText(2000);
    for (auto _ : state)
        benchmark::DoNotOptimize(pp.TextWidth(text));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MisuraTesto2000)->Unit(benchmark::kMicrosecond);

// A text, a box and a point on page N of a document that already holds N - 1
// page breaks: the cost must not depend on N.
void BM_RecordOnPage(benchmark::State &state)
{
    qv::PrintPreview pp;
    for (int64_t page = 1; page < state.range(0); ++page)
        pp.NuovaPagina();
    for (auto _ : state) {
        pp.StampaTesto(1440, 2880, QStringLiteral("Riga"));
        benchmark::DoNotOptimize(pp.linea(1440, 3000, 5760, 3600, true, false));
        benchmark::DoNotOptimize(pp.Punto(100, 100));
    }
    state.SetItemsProcessed(state.iterations() * 3);
    pp.AnnullaStampa();
}
BENCHMARK(BM_RecordOnPage)->Arg(10)->Arg(100000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir temp;
    qputenv("TMPDIR", QFile::encodeName(temp.path()));
    qv::platform::setPrintersForTesting(QList<qv::platform::PrinterDesc>{});
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
