// SPDX-License-Identifier: MIT
// The print command: pages of a spool file onto a printer or into a PDF
// file, stopped in good order by Ctrl+C.
#include "Commands.h"

#include <qvpreview/PrintOptions.h>
#include <qvpreview/SpoolFile.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <functional>

namespace qvcli {

namespace {

/// The print job's name for a spool file: its name without the extension,
/// and without the "qv" of a temporary name ("qv4HN3gt.tmp" is "4HN3gt"),
/// which says nothing of the document.
QString jobTitleOf(const QString &path)
{
    const QFileInfo file(path);
    static const QRegularExpression temporary(QStringLiteral("^qv([A-Za-z0-9]{5,6})\\.tmp$"));
    if (const QRegularExpressionMatch m = temporary.match(file.fileName()); m.hasMatch())
        return m.captured(1);
    return file.completeBaseName();
}

/// The signal that stopped the print (SIGINT from Ctrl+C, SIGTERM, SIGHUP
/// from a closed terminal); 0 while none came.
std::atomic<int> stopSignal{0};

extern "C" void stopPrinting(int signal)
{
    stopSignal.store(signal);
}

/// While it lives, Ctrl+C (and SIGTERM, SIGHUP) only asks the print to stop:
/// the engine then aborts the job before its next sheet, so that no PDF
/// file is left half-written and no CUPS job is handed over.
class StopOnSignals
{
public:
    StopOnSignals()
    {
        struct sigaction action = {};
        action.sa_handler = stopPrinting;
        sigemptyset(&action.sa_mask);
        for (int i = 0; i < Count; ++i)
            ::sigaction(Signals[i], &action, &m_old[i]);
    }
    ~StopOnSignals()
    {
        for (int i = 0; i < Count; ++i)
            ::sigaction(Signals[i], &m_old[i], nullptr);
    }
    StopOnSignals(const StopOnSignals &) = delete;
    StopOnSignals &operator=(const StopOnSignals &) = delete;

private:
    static constexpr int Count = 3;
    static constexpr int Signals[Count] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction m_old[Count];
};

} // namespace

int commandPrint(const QString &path, const Options &options)
{
    qv::PrintOptions print;
    if (options.values.count(QStringLiteral("pages"))) {
        const QString range = options.values.at(QStringLiteral("pages"));
        const QStringList parts = range.split(QLatin1Char('-'));
        std::optional<int> first, last;
        if (parts.size() == 1)
            first = last = parseInt(parts[0], 1, MaxPage);
        else if (parts.size() == 2) {
            first = parseInt(parts[0], 1, MaxPage);
            last = parseInt(parts[1], 1, MaxPage);
        }
        if (!first || !last || *first > *last)
            return usageError(
                QCoreApplication::translate("qvpreview",
                                            "intervallo di pagine non valido: %1 (atteso A-B, con 1 <= A <= B <= %2)")
                    .arg(range)
                    .arg(MaxPage));
        print.firstPage = *first;
        print.lastPage = *last;
    }
    if (options.values.count(QStringLiteral("copies"))) {
        const auto copies = parseInt(options.values.at(QStringLiteral("copies")), 1, 999);
        if (!copies)
            return usageError(QCoreApplication::translate("qvpreview", "numero di copie non valido (da 1 a 999): %1")
                                  .arg(options.values.at(QStringLiteral("copies"))));
        print.copies = *copies;
    }
    const bool toPdf = options.values.count(QStringLiteral("pdf")) > 0;
    const bool toPrinter = options.values.count(QStringLiteral("printer")) > 0;
    if (toPdf && toPrinter)
        return usageError(QCoreApplication::translate("qvpreview", "--printer e --pdf non si possono usare insieme"));
    if (toPdf) {
        print.pdfFile = QFileInfo(options.values.at(QStringLiteral("pdf"))).absoluteFilePath();
    } else if (toPrinter) {
        print.printer = options.values.at(QStringLiteral("printer"));
        if (!qv::printerNames().contains(print.printer))
            return failure(
                QCoreApplication::translate("qvpreview", "stampante sconosciuta: %1 (vedere --list-printers)")
                    .arg(print.printer));
    }
    QString message;
    if (!checkReadable(path, message))
        return failure(message);
    print.title =
        options.values.count(QStringLiteral("title")) ? options.values.at(QStringLiteral("title")) : jobTitleOf(path);
    std::function<void(int, int)> progress;
    if (::isatty(STDERR_FILENO))
        progress = [](int done, int total) {
            err() << "\r" << QCoreApplication::translate("qvpreview", "stampa: foglio %1 di %2").arg(done).arg(total);
            if (done == total)
                err() << "\n";
            err().flush();
        };
    QString written;
    try {
        const StopOnSignals stopping;
        written = qv::SpoolFile(QFileInfo(path).absoluteFilePath()).print(print, progress, [] {
            return stopSignal.load() != 0;
        });
    } catch (const qv::Error &e) {
        if (e.number() == qv::ErrUserInterrupt && stopSignal.load() != 0) {
            // Stopped by a signal: said as such, and the exit status a shell
            // expects of a command it interrupted (128 + the signal).
            if (progress)
                err() << "\n";
            failure(QStringLiteral("%1: %2").arg(path, describe(e)));
            return 128 + stopSignal.load();
        }
        return failure(QStringLiteral("%1: %2").arg(path, describe(e)));
    }
    const QString printer = toPdf ? qv::pdfPrinterName() : toPrinter ? print.printer : qv::currentPrinterName();
    out() << path << ": " << QCoreApplication::translate("qvpreview", "stampato su %1").arg(printer);
    // The current printer may be the PDF printer: the file is told all the same.
    if (!written.isEmpty())
        out() << " (" << written << ")";
    out() << "\n";
    out().flush();
    return Ok;
}

} // namespace qvcli
