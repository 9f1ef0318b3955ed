// SPDX-License-Identifier: MIT
// Latency of the key store as the utility class uses it: one read of a value
// that is there and of one that is not (each opens the hive's database, reads
// and closes it again), a shared-file count taken up and down (read and write
// of one value), and a special folder (its key checked against the XDG
// folders, then read).
#include "util/Registro.h"

#include <qvpreview/qvUtilita.h>

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

/// A key store in a temporary folder with a few hundred values, as an
/// installed system would have, and a home of its own for the XDG folders.
class Store
{
public:
    Store()
    {
        // The home and its XDG folders too: the special folders are made
        // when asked for.
        const char *const variables[] = {"QVPREVIEW_REGISTRY_DIR", "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME",
                                         "XDG_CACHE_HOME"};
        const char *const folders[] = {"registro", "casa", "casa/.config", "casa/.local/share", "casa/.cache"};
        for (int n = 0; n < 5; ++n) {
            m_old.append({variables[n], qgetenv(variables[n])});
            qputenv(variables[n], QFile::encodeName(m_dir.filePath(QString::fromLatin1(folders[n]))));
        }
        for (int n = 0; n < 300; ++n)
            qv::Registro::ScriviValoreRegistro(
                qv::Registro::HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Ditta\\Prodotto%1").arg(n % 30),
                QStringLiteral("Valore%1").arg(n), QStringLiteral("dato %1").arg(n), true);
    }
    ~Store()
    {
        for (const auto &[name, value] : m_old)
            if (value.isNull())
                qunsetenv(name);
            else
                qputenv(name, value);
    }

private:
    QTemporaryDir m_dir;
    QList<std::pair<const char *, QByteArray>> m_old;
};

// Arg 1: a value that is there; 0: a value of an existing key that is not.
void BM_Registro_Lettura(benchmark::State &state)
{
    Store store;
    const QString key = QStringLiteral("software\\ditta\\prodotto7");
    const QString name = state.range(0) ? QStringLiteral("valore37") : QStringLiteral("assente");
    QString value;
    bool found = false;
    for (auto _ : state) {
        found = qv::Registro::LeggiValoreRegistro(qv::Registro::HKEY_LOCAL_MACHINE, key, name, value);
        benchmark::DoNotOptimize(found);
    }
    if (found != bool(state.range(0)))
        state.SkipWithError("unexpected result");
}
BENCHMARK(BM_Registro_Lettura)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

// One count taken up and then down again: two read-modify-writes.
void BM_Registro_ContatoreSuEGiu(benchmark::State &state)
{
    Store store;
    const QString file = QStringLiteral("/usr/lib/libprova.so.1");
    qv::qvUtilita u;
    u.SetFileShared(file, true);
    for (auto _ : state) {
        if (!u.SetFileShared(file, true) || !u.DecFileShared(file)) {
            state.SkipWithError("count not written");
            break;
        }
    }
}
BENCHMARK(BM_Registro_ContatoreSuEGiu)->Unit(benchmark::kMicrosecond);

void BM_Registro_CartellaDocumenti(benchmark::State &state)
{
    Store store;
    qv::qvUtilita u;
    for (auto _ : state)
        benchmark::DoNotOptimize(u.CartellaDocumenti());
    if (u.CartellaDocumenti().isEmpty())
        state.SkipWithError("no folder");
}
BENCHMARK(BM_Registro_CartellaDocumenti)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
