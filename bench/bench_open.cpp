// Opening a 10,000-file folder into the playlist through the controller, then the same
// folder a second time into the now full playlist (every address already listed once).
// Needs the tree bench_walk makes, and a display (xvfb-run works):
//   build/bench/bench_walk 10000 && xvfb-run -a build/bench/bench_open [tree-folder]
#include "BenchPlayer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <clocale>
#include <cstdio>

int main(int argc, char **argv)
{
    qputenv("VISTREL_VO", "null");
    qputenv("VISTREL_AO", "null");
    QApplication app(argc, argv);
    BenchScratch scratch;
    const QString root = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/vistrel-bench-walk-10000");
    if (!QDir(root).exists()) {
        fprintf(stderr, "no tree at %s: run bench_walk 10000 first\n", qPrintable(root));
        return 1;
    }
    QXSettings::standard().setBool(true, QXKeys::DoNotPlayOnOpen);
    QXMPController c;
    c.applicationDidFinishLaunching();
    const QList<QUrl> folder{QUrl::fromLocalFile(root)};

    QElapsedTimer t;
    t.start();
    c.openMovies(folder, false);
    const double first = t.nsecsElapsed() / 1e6;
    const qsizetype count = c.playlist().count();
    t.restart();
    c.openMovies(folder, false);
    const double second = t.nsecsElapsed() / 1e6;
    printf("first open: %.1f ms for %lld entries\n", first, qint64(count));
    printf("second open into the full playlist: %.1f ms (%lld entries after)\n", second,
           qint64(c.playlist().count()));
    return 0;
}
