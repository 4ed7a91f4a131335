// The open panel's filter on a folder of 5,000 files: 1,000 movies, 2,000 text files, 1,000
// pictures named as such and 1,000 files whose name says nothing (their content decides).
// Reports the filter alone over every name, and the panel from opening to the last movie
// listed. Needs a display (xvfb-run works):  xvfb-run -a build/bench/bench_open_panel
#include "BenchPlayer.h"
#include "playlist/QXOpenPanel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <clocale>
#include <cstdio>

int main(int argc, char **argv)
{
    qputenv("VISTREL_VO", "null");
    qputenv("VISTREL_AO", "null");
    QApplication app(argc, argv);
    BenchScratch scratch;
    const QString folder = scratch.filePath("mixed");
    QDir().mkpath(folder);
    const QString sample = scratch.filePath("sample.mp4");
    if (QProcess::execute("ffmpeg", {"-loglevel", "error", "-y", "-f", "lavfi", "-i", "testsrc2=size=64x48:rate=10:duration=1",
                                     "-c:v", "libx264", "-pix_fmt", "yuv420p", sample}) != 0) {
        fprintf(stderr, "ffmpeg failed\n");
        return 1;
    }
    QFile movie(sample);
    movie.open(QIODevice::ReadOnly);
    const QByteArray movieBytes = movie.readAll();
    const auto write = [&](const QString &name, const QByteArray &bytes) {
        QFile f(QDir(folder).filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
    };
    for (int i = 0; i < 1000; ++i) {
        write(QStringLiteral("movie %1.mp4").arg(i), movieBytes);
        write(QStringLiteral("notes %1.txt").arg(i), "some text\n");
        write(QStringLiteral("log %1.txt").arg(i), "more text\n");
        write(QStringLiteral("picture %1.jpg").arg(i), "not really a picture");
        write(QStringLiteral("unnamed%1").arg(i), i % 2 ? movieBytes : QByteArray("plain data, no movie"));
    }
    const int expected = 1000 + 500;

    QElapsedTimer clock;
    clock.start();
    int shown = 0;
    for (const QString &name : QDir(folder).entryList(QDir::Files))
        shown += QXOpenPanelShouldShowFilename(QDir(folder).filePath(name));
    printf("filter over 5000 names: %lld ms, %d shown (expected %d)\n", clock.elapsed(), shown, expected);

    QXMPController c;
    c.applicationDidFinishLaunching();
    qint64 listed = -1;
    QTimer::singleShot(0, [&] {
        auto *panel = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!panel)
            return;
        clock.restart();
        panel->setDirectory(folder);
        auto *poll = new QTimer(panel);
        poll->setInterval(5);
        QObject::connect(poll, &QTimer::timeout, panel, [&, panel] {
            for (QAbstractItemView *v : panel->findChildren<QAbstractItemView *>()) {
                if (v->isVisible() && v->model() && v->model()->rowCount(v->rootIndex()) >= expected) {
                    listed = clock.elapsed();
                    panel->reject();
                    return;
                }
            }
            if (clock.elapsed() > 20000)
                panel->reject();
        });
        poll->start();
    });
    c.openDocument();
    printf("panel listing the folder: %lld ms\n", listed);
    return listed >= 0 ? 0 : 1;
}
