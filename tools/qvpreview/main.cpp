// SPDX-License-Identifier: MIT
// qvpreview: preview, print, render, check and search spool files from the command line.
#include <qvpreview/Error.h>
#include <qvpreview/PrintOptions.h>
#include <qvpreview/SpoolFile.h>
#include <qvpreview/Translation.h>
#include <qvpreview/VersionRecord.h>

#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <QRectF>
#include <QRegularExpression>
#include <QScreen>
#include <QStringList>
#include <QTextStream>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <functional>
#include <limits>
#include <map>
#include <optional>

namespace {

enum ExitCode { Ok = 0, Failure = 1, Usage = 2 };

const char *const UsageText = QT_TRANSLATE_NOOP(
    "qvpreview", "Uso: qvpreview COMANDO FILE [OPZIONI]\n"
                 "\n"
                 "Comandi:\n"
                 "  view FILE [--follow]            apre l'anteprima di stampa del file di spool; con\n"
                 "                                  --follow mostra anche le pagine che un altro\n"
                 "                                  programma vi aggiunge mentre è aperta\n"
                 "  print FILE [--pages A-B] [--copies N] [--printer NOME | --pdf OUT.pdf]\n"
                 "             [--title TITOLO]     stampa le pagine A..B, N copie, sulla stampante\n"
                 "                                  indicata (predefinita: quella corrente) o in un PDF;\n"
                 "                                  il lavoro si chiama TITOLO (predefinito: il nome\n"
                 "                                  del file)\n"
                 "  render FILE --page N [--zoom Z] --png OUT.png\n"
                 "                                  disegna la pagina N al Z per cento (100) in un PNG,\n"
                 "                                  senza bisogno di uno schermo\n"
                 "  check FILE                      legge tutto il file e riporta il primo errore con\n"
                 "                                  la sua riga, oppure le pagine e i record\n"
                 "  check --layout FILE             controlla l'impaginazione, pagina per pagina: testi\n"
                 "                                  tagliati dal campo, record fuori dall'area stampabile\n"
                 "                                  o dalla pagina, immagini illeggibili, caratteri\n"
                 "                                  sostituiti; esce con 0 se non trova nulla, 1 se trova\n"
                 "                                  qualcosa o per un errore\n"
                 "  find FILE TESTO [--match-case] [--whole-words]\n"
                 "                                  cerca TESTO nei testi del documento, senza distinguere\n"
                 "                                  maiuscole e minuscole (con --match-case sì), anche\n"
                 "                                  dentro le parole (con --whole-words solo parole\n"
                 "                                  intere), e scrive una riga per ogni\n"
                 "                                  occorrenza: PAGINA:X,Y:COLONNA:CONTESTO, dove il\n"
                 "                                  contesto è l'occorrenza con al più 40 caratteri del\n"
                 "                                  testo prima e dopo (X e Y in twip, COLONNA dal\n"
                 "                                  carattere 1); esce con 0 se ne trova, 1 se non ne\n"
                 "                                  trova, 2 per un errore; oltre 100000 occorrenze\n"
                 "                                  scrive le prime 100000 e lo dice\n"
                 "\n"
                 "Opzioni generali:\n"
                 "  -h, --help                      mostra questo aiuto\n"
                 "  --version                       mostra la versione\n"
                 "  --list-printers                 elenca le stampanti installate\n");

QTextStream &out()
{
    static QTextStream s(stdout);
    return s;
}

QTextStream &err()
{
    static QTextStream s(stderr);
    return s;
}

int usageError(const QString &message)
{
    err() << "qvpreview: " << message << "\n"
          << QCoreApplication::translate("qvpreview", "Provare 'qvpreview --help' per maggiori informazioni.") << "\n";
    err().flush();
    return Usage;
}

int failure(const QString &message)
{
    err() << "qvpreview: " << message << "\n";
    err().flush();
    return Failure;
}

QString describe(const qv::Error &e)
{
    return QCoreApplication::translate("qvpreview", "errore %1 (%2): %3")
        .arg(e.number())
        .arg(e.source(), e.description());
}

/// Command-line options after the command and the file.
struct Options
{
    std::map<QString, QString> values;
    QStringList positional;
};

/// Splits "--name value" and "--name=value" pairs; \a known lists the options
/// that take a value, \a flags those that take none (their value is "1").
/// Returns an error message, or nothing.
std::optional<QString> parseOptions(const QStringList &args, const QStringList &known, Options &options,
                                    const QStringList &flags = {})
{
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (optionsEnded || a == QLatin1String("-") || !a.startsWith(QLatin1Char('-'))) {
            options.positional << a;
            continue;
        }
        if (a == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (!a.startsWith(QLatin1String("--")))
            return QCoreApplication::translate("qvpreview", "opzione sconosciuta: %1").arg(a);
        QString name = a.mid(2);
        if (flags.contains(name)) {
            options.values[name] = QStringLiteral("1");
            continue;
        }
        QString value;
        const qsizetype eq = name.indexOf(QLatin1Char('='));
        if (eq >= 0) {
            value = name.mid(eq + 1);
            name = name.left(eq);
        } else if (known.contains(name)) {
            if (i + 1 >= args.size())
                return QCoreApplication::translate("qvpreview", "l'opzione --%1 richiede un valore").arg(name);
            value = args[++i];
        }
        if (!known.contains(name))
            return QCoreApplication::translate("qvpreview", "opzione sconosciuta: --%1").arg(name);
        if (value.isEmpty())
            return QCoreApplication::translate("qvpreview", "l'opzione --%1 richiede un valore").arg(name);
        options.values[name] = value;
    }
    return std::nullopt;
}

std::optional<int> parseInt(const QString &text, int minimum, int maximum)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < minimum || v > maximum)
        return std::nullopt;
    return v;
}

/// The highest page number a document can have: pages are counted in 32 bits.
constexpr int MaxPage = std::numeric_limits<int32_t>::max();

/// The logical resolution of the primary screen: the preview's 100 %.
double screenDotsPerInch()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchX() : 0;
    return dpi > 0 ? dpi : 96.0;
}

bool checkReadable(const QString &path, QString &message)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        message = QCoreApplication::translate("qvpreview", "%1: file non trovato").arg(path);
        return false;
    }
    if (!info.isFile() || !info.isReadable()) {
        message = QCoreApplication::translate("qvpreview", "%1: non è un file leggibile").arg(path);
        return false;
    }
    return true;
}

// --- check ------------------------------------------------------------------

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

// --- render -----------------------------------------------------------------

int commandRender(const QString &path, const Options &options)
{
    if (!options.values.count(QStringLiteral("page")))
        return usageError(QCoreApplication::translate("qvpreview", "render richiede --page N"));
    if (!options.values.count(QStringLiteral("png")))
        return usageError(QCoreApplication::translate("qvpreview", "render richiede --png OUT.png"));
    const auto page = parseInt(options.values.at(QStringLiteral("page")), 1, MaxPage);
    if (!page)
        return usageError(QCoreApplication::translate("qvpreview", "numero di pagina non valido (da 1 a %2): %1")
                              .arg(options.values.at(QStringLiteral("page")))
                              .arg(MaxPage));
    int zoom = 100;
    if (options.values.count(QStringLiteral("zoom"))) {
        const auto z = parseInt(options.values.at(QStringLiteral("zoom")), 1, 1600);
        if (!z)
            return usageError(QCoreApplication::translate("qvpreview", "zoom non valido (da 1 a 1600): %1")
                                  .arg(options.values.at(QStringLiteral("zoom"))));
        zoom = *z;
    }
    QString message;
    if (!checkReadable(path, message))
        return failure(message);
    try {
        const qv::SpoolFile spool(path);
        const int32_t pages = spool.pageCount();
        if (*page > pages)
            return failure(
                QCoreApplication::translate("qvpreview", "%1: il documento ha %2 pagine, la pagina %3 non esiste")
                    .arg(path)
                    .arg(pages)
                    .arg(*page));
        // The zoom is relative to the screen, as in the preview: at 100 % the
        // page has the screen's logical resolution.
        const double dotsPerInch = zoom / 100.0 * screenDotsPerInch();
        std::optional<qv::Error> replayError;
        // What was drawn before an error stays drawn: the page is still written, with a warning.
        const QString png = options.values.at(QStringLiteral("png"));
        const QSize size = spool.savePage(*page, dotsPerInch, png, &replayError);
        if (replayError)
            return failure(QCoreApplication::translate("qvpreview", "%1: pagina %2 disegnata solo in parte: %3")
                               .arg(path)
                               .arg(*page)
                               .arg(describe(*replayError)));
        out() << png << ": "
              << QCoreApplication::translate("qvpreview", "pagina %1 di %2, %3 x %4 pixel")
                     .arg(*page)
                     .arg(pages)
                     .arg(size.width())
                     .arg(size.height())
              << "\n";
        out().flush();
        return Ok;
    } catch (const qv::Error &e) {
        return failure(QStringLiteral("%1: %2").arg(path, describe(e)));
    }
}

// --- print ------------------------------------------------------------------

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

// --- view -------------------------------------------------------------------

int commandView(const QString &path, bool follow)
{
    QString message;
    if (!checkReadable(path, message))
        return failure(message);
    try {
        // A page that cannot be read in full is shown with its error in the
        // window; the error is told here too once the window is closed.
        std::optional<qv::Error> shown;
        // A viewer's window: maximised, so that a window manager fits its
        // frame and all into the screen's free area (a client area of that
        // size would put the frame past the screen's edge), and the free
        // area's size where no window manager maximises it (nor draws a
        // frame); the page as wide as the window on the grey background with
        // its shadow, and the user's last window, zoom and view the next time.
        qv::PreviewWindowOptions options;
        options.maximized = true;
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            options.size = screen->availableSize();
        options.fit = qv::PreviewWindowOptions::FitWidth;
        options.remember = true;
        options.pageShadow = true;
        // Following, the pages another program appends come as they are written.
        if (follow)
            qv::SpoolFile(path).followPreview(QFileInfo(path).fileName(), options, &shown);
        else
            qv::SpoolFile(path).showPreview(QFileInfo(path).fileName(), options, &shown);
        if (shown)
            return failure(QStringLiteral("%1: %2").arg(path, describe(*shown)));
        return Ok;
    } catch (const qv::Error &e) {
        return failure(QStringLiteral("%1: %2").arg(path, describe(e)));
    }
}

/// The user's language for the messages: the first of LANGUAGE, LC_ALL,
/// LC_MESSAGES and LANG that the component has a catalogue for; Italian
/// otherwise (and under the C locale).
void setLanguage()
{
    qv::installTranslator(QLocale::system());
}

/// Runs \a tell, which ends the tool before it needs its QApplication (the
/// help, a missing command, "view" without a screen), with a core
/// application of its own that carries the user's language.
int ending(int &argc, char **argv, const std::function<int()> &tell)
{
    QCoreApplication app(argc, argv);
    setLanguage();
    return tell();
}

bool haveDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace

int main(int argc, char **argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (args.isEmpty())
        return ending(argc, argv,
                      [] { return usageError(QCoreApplication::translate("qvpreview", "manca il comando")); });
    const QString command = args.takeFirst();
    const qsizetype endOfOptions = args.indexOf(QStringLiteral("--"));
    const QStringList optionArgs = endOfOptions < 0 ? args : args.mid(0, endOfOptions);
    if (command == QLatin1String("-h") || command == QLatin1String("--help") || command == QLatin1String("help")
        || optionArgs.contains(QStringLiteral("-h")) || optionArgs.contains(QStringLiteral("--help"))) {
        return ending(argc, argv, [] {
            out() << QCoreApplication::translate("qvpreview", UsageText);
            out().flush();
            return int(Ok);
        });
    }
    if (command == QLatin1String("--version")) {
        // The version of the control library the tool runs on.
        const qv::VersionRecord &v = qv::libraryVersion();
        std::printf("qvpreview %u.%u.%u.%u\n", unsigned(v.major), unsigned(v.minor), unsigned(v.patch),
                    unsigned(v.revision));
        return Ok;
    }
    const bool needsDisplay = command == QLatin1String("view");
    if (needsDisplay && !haveDisplay() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return ending(argc, argv, [] {
            return failure(QCoreApplication::translate(
                "qvpreview", "view richiede uno schermo (DISPLAY non impostato); usare render o print"));
        });
    if (!needsDisplay && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        // Qt wants a private runtime folder and warns on every start without one.
        const QByteArray runtime = QByteArray("/tmp/qvpreview-runtime-") + QByteArray::number(::getuid());
        ::mkdir(runtime.constData(), 0700);
        qputenv("XDG_RUNTIME_DIR", runtime);
    }
    QApplication app(argc, argv);
    setLanguage();

    if (command == QLatin1String("--list-printers")) {
        const QString current = qv::currentPrinterName();
        for (const QString &name : qv::printerNames())
            out() << (name == current ? "* " : "  ") << name << "\n";
        out().flush();
        return Ok;
    }
    static const QStringList commands{QStringLiteral("view"), QStringLiteral("print"), QStringLiteral("render"),
                                      QStringLiteral("check"), QStringLiteral("find")};
    if (!commands.contains(command))
        return usageError(QCoreApplication::translate("qvpreview", "comando sconosciuto: %1").arg(command));

    // check --layout: the layout check instead of the counts (a flag, taken
    // out before the options that take values).
    bool layout = false;
    bool follow = false;
    const auto takeFlag = [&](const char *flag) {
        const qsizetype end = args.indexOf(QStringLiteral("--"));
        const qsizetype at = args.indexOf(QLatin1String(flag));
        if (at < 0 || (end >= 0 && at > end))
            return false;
        args.removeAt(at);
        return true;
    };
    if (command == QLatin1String("check"))
        layout = takeFlag("--layout");
    // view --follow: the pages another program appends are shown too.
    if (command == QLatin1String("view"))
        follow = takeFlag("--follow");
    QStringList known;
    if (command == QLatin1String("print"))
        known = {QStringLiteral("pages"), QStringLiteral("copies"), QStringLiteral("printer"), QStringLiteral("pdf"),
                 QStringLiteral("title")};
    else if (command == QLatin1String("render"))
        known = {QStringLiteral("page"), QStringLiteral("zoom"), QStringLiteral("png")};
    QStringList flags;
    if (command == QLatin1String("find"))
        flags = {QStringLiteral("match-case"), QStringLiteral("whole-words")};
    Options options;
    if (const auto error = parseOptions(args, known, options, flags))
        return usageError(*error);
    // find takes the text to search after the file.
    const qsizetype arguments = command == QLatin1String("find") ? 2 : 1;
    if (options.positional.size() != arguments)
        return usageError(options.positional.isEmpty()
                              ? QCoreApplication::translate("qvpreview", "manca il file di spool")
                          : options.positional.size() < arguments
                              ? QCoreApplication::translate("qvpreview", "manca il testo da cercare")
                              : QCoreApplication::translate("qvpreview", "troppi argomenti"));
    const QString path = options.positional.first();

    if (command == QLatin1String("find"))
        return commandFind(path, options.positional.at(1), options);

    if (command == QLatin1String("check"))
        return layout ? commandCheckLayout(path) : commandCheck(path);
    if (command == QLatin1String("render"))
        return commandRender(path, options);
    if (command == QLatin1String("print"))
        return commandPrint(path, options);
    return commandView(path, follow);
}
