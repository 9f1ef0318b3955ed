// SPDX-License-Identifier: MIT
// Speed of the utility class's settings: LeggiINI on a file of 1,000 keys,
// and one read and one write of the key store (each opens its database, runs
// one statement or transaction and closes it again); and of versions: the
// version of the control library (megabytes long; the reader reads only its
// headers) and one comparison of version texts.
#include "util/Registro.h"

#include <qvpreview/qvUtilita.h>

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QString iniWithKeys(const QTemporaryDir &dir, int keys)
{
    const QString path = dir.filePath(QStringLiteral("impostazioni.ini"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write("; impostazioni di prova\r\n[Generale]\r\nLingua=it\r\n\r\n[Chiavi]\r\n");
    for (int n = 0; n < keys; ++n)
        file.write(QStringLiteral("Chiave%1 = valore numero %1\r\n").arg(n).toUtf8());
    return path;
}

// The key read: Arg 0 is the first key of the section, 999 the last.
void BM_LeggiINI_1000Keys(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString file = iniWithKeys(dir, 1000);
    const QString key = QStringLiteral("CHIAVE%1").arg(state.range(0));
    qv::qvUtilita u;
    for (auto _ : state)
        benchmark::DoNotOptimize(u.LeggiINI(file, QStringLiteral("chiavi"), key, QStringLiteral("?")));
    if (u.LeggiINI(file, QStringLiteral("chiavi"), key, QStringLiteral("?")) == QStringLiteral("?"))
        state.SkipWithError("key not found");
}
BENCHMARK(BM_LeggiINI_1000Keys)->Arg(0)->Arg(500)->Arg(999)->Unit(benchmark::kMicrosecond);

/// A key store in a temporary folder with a few hundred values, as an
/// installed system would have.
class Store
{
public:
    Store()
    {
        qputenv("QVPREVIEW_REGISTRY_DIR", QFile::encodeName(m_dir.path()));
        for (int n = 0; n < 300; ++n)
            qv::Registro::ScriviValoreRegistro(
                qv::Registro::HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Ditta\\Prodotto%1").arg(n % 30),
                QStringLiteral("Valore%1").arg(n), QStringLiteral("dato %1").arg(n), true);
    }
    ~Store() { qunsetenv("QVPREVIEW_REGISTRY_DIR"); }

private:
    QTemporaryDir m_dir;
};

void BM_LeggiValoreRegistro(benchmark::State &state)
{
    Store store;
    const QString key = QStringLiteral("software\\ditta\\prodotto7");
    QString value;
    for (auto _ : state) {
        const bool found =
            qv::Registro::LeggiValoreRegistro(qv::Registro::HKEY_LOCAL_MACHINE, key, QStringLiteral("valore37"), value);
        benchmark::DoNotOptimize(found);
    }
    if (value != QStringLiteral("dato 37"))
        state.SkipWithError("value not found");
}
BENCHMARK(BM_LeggiValoreRegistro)->Unit(benchmark::kMicrosecond);

void BM_ScriviValoreRegistro(benchmark::State &state)
{
    Store store;
    int64_t n = 0;
    for (auto _ : state) {
        const bool ok = qv::Registro::ScriviValoreRegistro(qv::Registro::HKEY_LOCAL_MACHINE,
                                                           QStringLiteral("SOFTWARE\\Ditta\\Prodotto7"),
                                                           QStringLiteral("Contatore"), QString::number(++n), false);
        if (!ok) {
            state.SkipWithError("write failed");
            break;
        }
    }
}
BENCHMARK(BM_ScriviValoreRegistro)->Unit(benchmark::kMicrosecond);

void BM_GetVersione_ControlLibrary(benchmark::State &state)
{
    const QString library = QStringLiteral(QV_LIBRARY_FILE);
    qv::qvUtilita u;
    for (auto _ : state)
        benchmark::DoNotOptimize(u.GetVersione(library));
    if (u.GetVersione(library) != QStringLiteral("1.2.0.48"))
        state.SkipWithError("no version read");
    state.counters["file_MiB"] = double(QFile(library).size()) / (1024 * 1024);
}
BENCHMARK(BM_GetVersione_ControlLibrary)->Unit(benchmark::kMicrosecond);

void BM_ConfrontaVersione(benchmark::State &state)
{
    qv::qvUtilita u;
    for (auto _ : state)
        benchmark::DoNotOptimize(u.ConfrontaVersione(QStringLiteral("1.2.0.48"), QStringLiteral("1.2.0.47")));
}
BENCHMARK(BM_ConfrontaVersione);

} // namespace

BENCHMARK_MAIN();
