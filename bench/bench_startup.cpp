// Start-up and memory: time from process start to the first drawn frame of a movie handed
// over at launch, and resident memory after opening it and after visiting 200 entries one
// after another. Run under a display (xvfb-run works):
//   xvfb-run -a -s "-screen 0 1280x800x24" build/bench/bench_startup [movie]
#include "BenchPlayer.h"
#include "engine/QXMovie.h"
#include "engine/QXMovieView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <clocale>
#include <cstdio>
#include <unistd.h>

// Seconds since this process was started, from the kernel's record of its start time.
static double secondsSinceProcessStart()
{
    QFile stat("/proc/self/stat");
    QFile uptime("/proc/uptime");
    if (!stat.open(QIODevice::ReadOnly) || !uptime.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray s = stat.readAll();
    const QList<QByteArray> fields = s.mid(s.lastIndexOf(')') + 2).split(' ');
    const double startTicks = fields.value(19).toDouble();   // field 22 of the whole line
    const double up = uptime.readAll().split(' ').value(0).toDouble();
    return up - startTicks / double(sysconf(_SC_CLK_TCK));
}

static double residentMB()
{
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

static bool waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!condition()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    BenchScratch scratch;

    QString movie = argc > 1 ? QString::fromLocal8Bit(argv[1])
                             : QDir(QCoreApplication::applicationDirPath()).filePath("../sample.mp4");
    movie = QFileInfo(movie).absoluteFilePath();
    if (!QFileInfo::exists(movie)) {
        fprintf(stderr, "no movie at %s (build the project first, or pass one)\n", qPrintable(movie));
        return 1;
    }

    QXMPController c;
    c.applicationOpenFiles({movie});
    c.applicationDidFinishLaunching();
    double firstFrame = -1;
    QObject::connect(c.ui().playerView, &QXMovieView::frameDrawn, &c, [&firstFrame] {
        if (firstFrame < 0)
            firstFrame = secondsSinceProcessStart();
    });
    if (!waitFor([&] { return firstFrame >= 0; }, 20000)) {
        fprintf(stderr, "no frame was drawn within 20 s\n");
        return 1;
    }
    waitFor([] { return false; }, 1000);
    const double afterOne = residentMB();

    // 200 entries: links to the same movie under different names, each chosen in turn and
    // played until it draws.
    QList<QUrl> urls;
    for (int i = 0; i < 200; ++i) {
        const QString link = scratch.filePath(QString("movie %1.mp4").arg(i));
        if (::link(QFile::encodeName(movie).constData(), QFile::encodeName(link).constData()) != 0)
            QFile::copy(movie, link);
        urls.append(QUrl::fromLocalFile(link));
    }
    QElapsedTimer visiting;
    visiting.start();
    for (const QUrl &u : urls) {
        const quint64 before = c.ui().playerView->framesDrawn();
        c.chooseMovie(u, true, true, false);
        waitFor([&] { return c.ui().playerView->framesDrawn() > before + 1; }, 5000);
    }
    const double visitSeconds = visiting.elapsed() / 1000.0;
    waitFor([] { return false; }, 1000);
    const double afterMany = residentMB();

    printf("first frame after process start: %.3f s\n", firstFrame);
    printf("resident memory after opening 1 movie: %.1f MB\n", afterOne);
    printf("resident memory after visiting 200 entries: %.1f MB (%.1f s for the visits, %lld entries listed)\n",
           afterMany, visitSeconds, qint64(c.playlist().count()));
    c.pause();
    return 0;
}
