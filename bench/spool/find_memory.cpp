// SPDX-License-Identifier: MIT
// Find's peak memory: SpoolFile::find of the query "a" over 10 MB of the
// letter "a" (ten text records of 1 MB on one page), written in a temporary
// folder. Prints the matches returned and the process's peak resident size
// (getrusage), the figure that must stay bounded whatever the file holds:
//
// With --bar, the same through the find bar's results (FindResults, on its
// worker, as the window searches):
//
//   build/bench/spool/find_memory [MEGABYTES] [--bar]
#include "preview/FindResults.h"
#include "spool/SpoolFormat.h"
#include "spool/SpoolWriter.h"

#include <qvpreview/SpoolFile.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int megabytes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/letters.tmp");
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        const QString letters(1024 * 1024, u'a');
        for (int i = 0; i < megabytes; ++i) {
            qv::spool::Record r(qv::spool::TagPrint);
            qv::spool::FontLine font;
            font.fontName = QStringLiteral("Arial");
            font.fontSize = 10;
            qv::spool::ScriviAttributiFont(r, font);
            r.single(1440).single(1440.0f + float(i) * 240).endLine();
            r.rawLine(letters);
            r.tag(qv::spool::TagEndPrint);
            f.write(r.bytes());
        }
    }
    struct rusage before
    {};
    getrusage(RUSAGE_SELF, &before);
    qsizetype matches = 0;
    if (argc > 2 && QByteArray(argv[2]) == "--bar") {
        qv::FindResults results;
        qv::FindResults::Document document;
        document.path = path;
        document.index = qv::spool::buildPageIndex(path, QStringLiteral("Bench"));
        QEventLoop loop;
        QObject::connect(&results, &qv::FindResults::changed, &loop, [&] {
            if (results.done() && !results.searching())
                loop.quit();
        });
        results.search(QStringLiteral("a"), document);
        loop.exec();
        matches = results.count();
    } else {
        matches = qv::SpoolFile(path).find(QStringLiteral("a")).size();
    }
    struct rusage after
    {};
    getrusage(RUSAGE_SELF, &after);
    std::printf("%d MB of \"a\": %lld matches, peak resident %.1f MB (%.1f MB before the find)\n", megabytes,
                static_cast<long long>(matches), double(after.ru_maxrss) / 1024, double(before.ru_maxrss) / 1024);
    return 0;
}
