// Collecting a large folder: walk, engine probe and sort of 10,000 files.
//
//   bench_walk [tree-folder]
//
// The tree (default /tmp/vistrel-bench-walk) is made once and reused: 100 folders two levels
// deep, 100 files each; every fifth file is a copy of one tiny movie, two are sound files,
// the rest are text, pictures, logs, JSON and names without an extension. The collection
// runs twice in this process; the second run is the warm-cache figure.
#include "util/QXMovieCollection.h"

#include <QBuffer>
#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

constexpr int FileCount = 10000;
constexpr int FilesPerFolder = 100;
const char *const Marker = ".vistrel-bench-tree-v2";

// CPU time of this process, so a busy machine does not inflate the figures as much as wall
// time.
double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

bool runFfmpeg(const QStringList &arguments)
{
    QProcess p;
    p.start("ffmpeg", QStringList{"-y", "-loglevel", "error"} + arguments);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "ffmpeg failed: %s\n", p.readAllStandardError().constData());
        return false;
    }
    return true;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray imageBytes(const char *format)
{
    QImage image(48, 32, QImage::Format_RGB32);
    image.fill(QColor(40, 120, 200));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// Returns the number of playable files in the tree, or -1.
int makeTree(const QString &root)
{
    QDir().mkpath(root);
    const QString seeds = QDir(root).filePath(".seeds");
    QDir().mkpath(seeds);
    const QString movie = seeds + "/movie.mp4", m4a = seeds + "/sound.m4a", wav = seeds + "/sound.wav";
    if (!runFfmpeg({"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=25:duration=0.2", "-c:v",
                    "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", movie})
        || !runFfmpeg({"-f", "lavfi", "-i", "sine=frequency=440:duration=0.2", "-c:a", "aac", m4a})
        || !runFfmpeg({"-f", "lavfi", "-i", "sine=frequency=440:duration=0.2", wav}))
        return -1;
    const QByteArray movieBytes = readAll(movie), m4aBytes = readAll(m4a), wavBytes = readAll(wav);
    const QByteArray jpg = imageBytes("JPG"), png = imageBytes("PNG");
    QDir(seeds).removeRecursively();

    const char *const movieSuffixes[] = {".mp4", ".mov", ".m4v", ".MP4", ".mkv"};
    int playable = 0;
    for (int i = 0; i < FileCount; ++i) {
        const int folder = i / FilesPerFolder;
        const QString dir = QString("%1/Set %2/part%3").arg(root).arg(folder / 10).arg(folder % 10);
        if (i % FilesPerFolder == 0)
            QDir().mkpath(dir);
        const QString stem = QString("%1/%2 %3").arg(dir);
        QString path;
        QByteArray bytes;
        switch (i % 10) {
        case 0:
        case 5:
            path = stem.arg("Clip").arg(i) + movieSuffixes[(i / 10) % 5];
            bytes = movieBytes;
            ++playable;
            break;
        case 1: path = stem.arg("notes").arg(i) + ".txt"; bytes = "some words\n"; break;
        case 2: path = stem.arg("photo").arg(i) + ".jpg"; bytes = jpg; break;
        case 3: path = stem.arg("image").arg(i) + ".png"; bytes = png; break;
        case 4: path = stem.arg("draft").arg(i); bytes = "no extension here\n"; break;
        case 6: path = stem.arg("server").arg(i) + ".log"; bytes = "12:00 started\n"; break;
        case 7: path = stem.arg("data").arg(i) + ".json"; bytes = "{\"a\": 1}\n"; break;
        case 8: path = stem.arg("Notes").arg(i) + ".TXT"; bytes = "MORE WORDS\n"; break;
        default: path = stem.arg("cover").arg(i) + ".jpeg"; bytes = jpg; break;
        }
        if (i == 1 || i == 4711) { // the sound files
            path = stem.arg("song").arg(i) + (i == 1 ? ".m4a" : ".wav");
            bytes = i == 1 ? m4aBytes : wavBytes;
            ++playable;
        }
        if (!writeFile(path, bytes))
            return -1;
    }
    writeFile(QDir(root).filePath(Marker), QByteArray::number(playable));
    return playable;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("VISTREL_VO", "null");
    qputenv("VISTREL_AO", "null");
    QCoreApplication app(argc, argv);
    const QString root = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/vistrel-bench-walk");

    int expected = readAll(QDir(root).filePath(Marker)).toInt();
    if (expected <= 0) {
        QElapsedTimer made;
        made.start();
        QDir(root).removeRecursively();
        expected = makeTree(root);
        if (expected < 0) {
            std::fprintf(stderr, "cannot make the tree in %s\n", qPrintable(root));
            return 1;
        }
        std::printf("made %d files (%d playable) in %s in %.1f s\n", FileCount, expected,
                    qPrintable(root), made.elapsed() / 1000.0);
    }

    bool ok = true;
    for (int run = 1; run <= 2; ++run) {
        QElapsedTimer clock;
        clock.start();
        const double cpuStart = cpuMs();
        QList<QUrl> urls;
        QXAddMovieURLsFromPaths(urls, {root}, QString(), false);
        const qint64 collected = clock.nsecsElapsed();

        // Sorted as the playlist sorts: by absolute address text, each text made once.
        QList<QPair<QString, QUrl>> keyed;
        keyed.reserve(urls.size());
        for (const QUrl &u : urls)
            keyed.append({u.toString(QUrl::FullyEncoded), u});
        std::sort(keyed.begin(), keyed.end(), [](const auto &a, const auto &b) {
            return QXCompareNames(a.first, b.first) < 0;
        });
        const qint64 total = clock.nsecsElapsed();
        const double cpu = cpuMs() - cpuStart;

        std::printf("run %d (%s): %lld movies; collect+probe %.1f ms, sort %.1f ms, "
                    "total %.1f ms wall, %.1f ms CPU\n",
                    run, run == 1 ? "first in process" : "warm", qlonglong(urls.size()),
                    collected / 1e6, (total - collected) / 1e6, total / 1e6, cpu);
        if (urls.size() != expected) {
            std::fprintf(stderr, "expected %d movies\n", expected);
            ok = false;
        }
    }
    return ok ? 0 : 1;
}
