// SPDX-License-Identifier: MIT
// The preview window on a document that grows while it is shown:
//  - follow: a child process appends a page every 200 ms to a spool file the
//    window follows (as `qvpreview view --follow`); the time from the
//    child's write returning to the window's page count and indicator
//    showing that page (goal: at most 0.5 s);
//  - idle: the window's CPU (user + system, getrusage) over 10 s while it
//    follows a file that does not change (goal: under 1 % of a core);
//  - host: a host records a 100,000-page report with the window of
//    PrintPreview::showPreviewWhileRecording() open; the time from the
//    first page break's NuovaPagina() to page 1 on show (goal: at most
//    0.1 s), and the whole recording beside the same recording without it.
// A program of its own (a child process and wall-clock figures), run as
//   bench_follow [pages-of-the-report]
// with a display (or QT_QPA_PLATFORM=offscreen).
#include "preview/FrmAnteprima.h"
#include "tests/preview/SpoolDiProva.h"

#include <qvpreview/PrintPreview.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

constexpr int FollowPages = 20;
constexpr int FollowEveryMs = 200;

int64_t monotonicNs()
{
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

double cpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

QByteArray page(int number)
{
    QByteArray bytes;
    for (int row = 0; row < 30; ++row)
        bytes += qv::test::testo(1440, 1440 + 300 * row,
                                 "Pagina " + QByteArray::number(number) + " riga " + QByteArray::number(row));
    return bytes;
}

/// The child: appends a page every FollowEveryMs, and tells the parent when
/// each write returned (CLOCK_MONOTONIC is the machine's, shared by both).
[[noreturn]] void writer(const QByteArray &path, int pipeOut)
{
    for (int p = 2; p <= FollowPages + 1; ++p) {
        ::usleep(FollowEveryMs * 1000);
        const QByteArray bytes = "#newpage@\r\n" + page(p);
        FILE *f = std::fopen(path.constData(), "ab");
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), f);
        std::fclose(f);
        const int64_t at = monotonicNs();
        if (::write(pipeOut, &at, sizeof at) != sizeof at)
            ::_exit(1);
    }
    ::_exit(0);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    const int reportPages = argc > 1 ? std::atoi(argv[1]) : 100000;
    QTemporaryDir folder;
    const QString spool = folder.filePath(QStringLiteral("segui.tmp"));
    {
        QFile file(spool);
        if (!file.open(QIODevice::WriteOnly) || file.write(page(1)) < 0)
            return 1;
    }

    int pipeFd[2];
    if (::pipe(pipeFd) != 0)
        return 1;
    QApplication app(argc, argv);

    // --- follow ---------------------------------------------------------------------
    std::vector<int64_t> shown(FollowPages + 2, 0);
    {
        qv::FrmAnteprima window;
        window.setFileTemporaneo(spool);
        window.setCountPagesFromIndex(true);
        window.setFollowing(true);
        window.setPagineTotali(1);
        window.InizializzaAnteprima();
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            return 1;
        QObject::connect(&window.model(), &qv::ViewerModel::pageCountChanged, &window, [&](int32_t count) {
            // The indicator follows the count in the same event.
            if (count < int32_t(shown.size()) && shown[count] == 0
                && window.Text1->text().endsWith(QStringLiteral("/%1").arg(count)))
                shown[count] = monotonicNs();
        });
        const pid_t child = ::fork();
        if (child == 0)
            writer(QFile::encodeName(spool), pipeFd[1]);
        if (!QTest::qWaitFor([&] { return window.PagineTotali() == FollowPages + 1; }, 60000))
            std::printf("follow: the window did not reach page %d\n", FollowPages + 1);
        ::waitpid(child, nullptr, 0);
        std::vector<double> latencies;
        for (int p = 2; p <= FollowPages + 1; ++p) {
            int64_t written = 0;
            if (::read(pipeFd[0], &written, sizeof written) != sizeof written)
                break;
            if (shown[p] > 0)
                latencies.push_back(double(shown[p] - written) / 1e6);
        }
        std::printf("follow: %zu pages appended by another process, from its write to the page count shown: "
                    "median %.1f ms, worst %.1f ms (goal <= 500 ms)\n",
                    latencies.size(), median(latencies),
                    latencies.empty() ? 0.0 : *std::max_element(latencies.begin(), latencies.end()));

        // --- idle ------------------------------------------------------------------------
        const double before = cpuSeconds();
        QElapsedTimer wall;
        wall.start();
        QTimer::singleShot(10000, &app, &QCoreApplication::quit);
        app.exec();
        const double cpu = cpuSeconds() - before;
        std::printf("idle: the window following an unchanged file used %.3f s of CPU in %.1f s: %.3f %% of a core "
                    "(goal < 1 %%)\n",
                    cpu, wall.elapsed() / 1000.0, 100.0 * cpu / (wall.elapsed() / 1000.0));
    }

    // --- host ----------------------------------------------------------------------------
    const auto record = [&](bool withWindow, double *firstShownMs) {
        qv::PrintPreview pp;
        if (withWindow)
            pp.showPreviewWhileRecording();
        QElapsedTimer all;
        all.start();
        for (int p = 1; p <= reportPages; ++p) {
            pp.StampaTesto(1440, 1440, QStringLiteral("Rapporto, pagina %1").arg(p));
            pp.StampaTesto(1440, 2880, QStringLiteral("Totale"));
            if (p == reportPages)
                break;
            QElapsedTimer pageBreak;
            pageBreak.start();
            pp.NuovaPagina(); // with the window: page 1 is painted before it returns
            if (p == 1 && firstShownMs) {
                *firstShownMs = pageBreak.nsecsElapsed() / 1e6;
                // What is on show then: the indicator of the window.
                for (QWidget *top : QApplication::topLevelWidgets())
                    if (auto *window = qobject_cast<qv::FrmAnteprima *>(top); window && window->isVisible())
                        std::printf("host: at page 1's break the window shows \"%s\", page 1 %s\n",
                                    qPrintable(window->Text1->text()),
                                    window->model().wholeEnd() > 0 ? "drawn from its whole records" : "not read");
            }
        }
        const double ms = all.elapsed();
        pp.AnnullaStampa();
        return ms;
    };
    double firstShown = 0;
    const double plain = record(false, nullptr);
    const double withWindow = record(true, &firstShown);
    std::printf("host: %d pages recorded; page 1 on show %.2f ms after its page break began (goal <= 100 ms); "
                "recording %.0f ms with the window, %.0f ms without\n",
                reportPages, firstShown, withWindow, plain);
    return 0;
}
