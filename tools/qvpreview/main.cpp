// SPDX-License-Identifier: MIT
// qvpreview: preview, print, render, check and search spool files from the command line.
#include "Commands.h"

#include <qvpreview/PrintOptions.h>
#include <qvpreview/Translation.h>
#include <qvpreview/VersionRecord.h>

#include <QApplication>
#include <QStringList>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <optional>

namespace qvcli {
namespace {

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

} // namespace
} // namespace qvcli

int main(int argc, char **argv)
{
    using namespace qvcli;
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
