// Collecting a huge folder as opening it does (walk, movie test, sort by address) against the
// floor of any walk: nftw with a stat of every entry, over the same tree in the same run.
//
//   bench_walk [files] [tree-folder]
//
// files (default 200000) in folders of 100, two levels deep (2,000 folders for 200,000); every
// tenth file is a copy of one tiny movie under a mixed-case movie suffix, the rest are text,
// pictures, logs, JSON, subtitles and names without an extension. The tree (default
// /tmp/vistrel-bench-walk-<files>) is made once and reused. Rounds alternate floor and
// collection on a warm cache; the medians and their ratio are printed.
#include "playlist/QXNameSort.h"
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
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int FilesPerFolder = 100;
constexpr int Rounds = 5;
const char *const Marker = ".vistrel-bench-tree-v3";

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

// Returns the number of playable files in the tree, or -1. Movies and pictures are hard links
// to one file each: the tree is made in seconds and takes little room.
int makeTree(const QString &root, int fileCount)
{
    QDir().mkpath(root);
    const QString seeds = QDir(root).filePath(".seeds");
    QDir().mkpath(seeds);
    const QString movie = seeds + "/movie.mp4", m4a = seeds + "/sound.m4a";
    if (!runFfmpeg({"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=25:duration=0.2", "-c:v",
                    "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", movie})
        || !runFfmpeg({"-f", "lavfi", "-i", "sine=frequency=440:duration=0.2", "-c:a", "aac", m4a})
        || !writeFile(seeds + "/photo.jpg", imageBytes("JPG")) || !writeFile(seeds + "/image.png", imageBytes("PNG")))
        return -1;

    const char *const movieSuffixes[] = {".mp4", ".mov", ".m4v", ".MP4", ".mkv"};
    int playable = 0;
    for (int i = 0; i < fileCount; ++i) {
        const int folder = i / FilesPerFolder;
        const QString dir = QString("%1/Set %2/part %3").arg(root).arg(folder / 100).arg(folder % 100);
        if (i % FilesPerFolder == 0)
            QDir().mkpath(dir);
        const QString stem = QString("%1/%2 %3").arg(dir);
        QString path, seed;
        QByteArray bytes;
        switch (i % 10) {
        case 0:
            path = stem.arg("Clip").arg(i) + movieSuffixes[(i / 10) % 5];
            seed = movie;
            ++playable;
            break;
        case 1: path = stem.arg("notes").arg(i) + ".txt"; bytes = "some words\n"; break;
        case 2: path = stem.arg("photo").arg(i) + ".jpg"; seed = seeds + "/photo.jpg"; break;
        case 3: path = stem.arg("image").arg(i) + ".png"; seed = seeds + "/image.png"; break;
        case 4: path = stem.arg("draft").arg(i); bytes = "no extension here\n"; break;
        case 5: path = stem.arg("subtitles").arg(i) + ".srt"; bytes = "1\n00:00:01,000 --> 00:00:02,000\nHi\n"; break;
        case 6: path = stem.arg("server").arg(i) + ".log"; bytes = "12:00 started\n"; break;
        case 7: path = stem.arg("data").arg(i) + ".json"; bytes = "{\"a\": 1}\n"; break;
        case 8: path = stem.arg("Notes").arg(i) + ".TXT"; bytes = "MORE WORDS\n"; break;
        default: path = stem.arg("cover").arg(i) + ".jpeg"; seed = seeds + "/photo.jpg"; break;
        }
        if (i == 1) { // one sound file
            path = stem.arg("song").arg(i) + ".m4a";
            seed = m4a;
            ++playable;
        }
        const bool made = seed.isEmpty() ? writeFile(path, bytes)
                                         : ::link(QFile::encodeName(seed).constData(), QFile::encodeName(path).constData()) == 0;
        if (!made)
            return -1;
    }
    QDir(seeds).removeRecursively();   // the links keep the files
    writeFile(QDir(root).filePath(Marker), QByteArray::number(playable));
    return playable;
}

// CPU time of this process: the machine may be busy with other work, which inflates wall
// time but not this.
double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

struct Times
{
    double wall = 0, cpu = 0;
};

qint64 floorEntries = 0;

int countEntry(const char *, const struct stat *, int, struct FTW *)
{
    ++floorEntries;
    return 0;
}

// What any walk of the tree must do at least: list every folder and stat every entry.
Times floorMs(const QString &root)
{
    QElapsedTimer clock;
    clock.start();
    const double cpu = cpuMs();
    floorEntries = 0;
    ::nftw(QFile::encodeName(root).constData(), countEntry, 64, 0);
    return {clock.nsecsElapsed() / 1e6, cpuMs() - cpu};
}

struct Collected
{
    double walkMs = 0, sortMs = 0, cpuMs = 0;
    qsizetype movies = 0;
};

// As opening the folder does: collect, then order by address text.
Collected collect(const QString &root)
{
    Collected c;
    QElapsedTimer clock;
    clock.start();
    const double cpu = cpuMs();
    QList<QUrl> urls;
    QXAddMovieURLsFromPaths(urls, {root}, QString(), false);
    c.walkMs = clock.nsecsElapsed() / 1e6;
    const QList<int> order = QXAddressSortOrder(urls);
    c.sortMs = clock.nsecsElapsed() / 1e6 - c.walkMs;
    c.movies = order.size();
    c.cpuMs = cpuMs() - cpu;
    return c;
}

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v.at(v.size() / 2);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("VISTREL_VO", "null");
    qputenv("VISTREL_AO", "null");
    QCoreApplication app(argc, argv);
    const int fileCount = argc > 1 ? qMax(FilesPerFolder, atoi(argv[1])) : 200000;
    const QString root = argc > 2 ? QString::fromLocal8Bit(argv[2])
                                  : QStringLiteral("/tmp/vistrel-bench-walk-%1").arg(fileCount);

    int expected = readAll(QDir(root).filePath(Marker)).toInt();
    if (expected <= 0) {
        QElapsedTimer made;
        made.start();
        QDir(root).removeRecursively();
        expected = makeTree(root, fileCount);
        if (expected < 0) {
            std::fprintf(stderr, "cannot make the tree in %s\n", qPrintable(root));
            return 1;
        }
        std::printf("made %d files (%d playable) in %s in %.1f s\n", fileCount, expected,
                    qPrintable(root), made.elapsed() / 1000.0);
    }

    // The first collection also loads the name database and libavformat: reported apart.
    floorMs(root);
    const Collected first = collect(root);
    std::printf("first collection in the process: %.1f ms\n", first.walkMs + first.sortMs);
    QList<double> floors, floorCpus, walks, sorts, totals, cpus;
    bool ok = first.movies == expected;
    for (int round = 0; round < Rounds; ++round) {
        const Times f = floorMs(root);
        floors.append(f.wall);
        floorCpus.append(f.cpu);
        const Collected c = collect(root);
        cpus.append(c.cpuMs);
        walks.append(c.walkMs);
        sorts.append(c.sortMs);
        totals.append(c.walkMs + c.sortMs);
        ok = ok && c.movies == expected;
    }
    const double floor = median(floors), total = median(totals);
    std::printf("tree: %d files, %lld entries, %d movies (medians of %d interleaved rounds, warm cache)\n",
                fileCount, qlonglong(floorEntries), expected, Rounds);
    std::printf("floor, nftw + stat of every entry: %.1f ms\n", floor);
    std::printf("walk and movie test: %.1f ms\n", median(walks));
    std::printf("sort by address: %.1f ms\n", median(sorts));
    std::printf("collection (walk, test, sort): %.1f ms = %.2fx the floor\n", total, floor > 0 ? total / floor : 0);
    const double floorCpu = median(floorCpus), cpu = median(cpus);
    std::printf("CPU time: floor %.1f ms, collection %.1f ms = %.2fx the floor\n", floorCpu, cpu,
                floorCpu > 0 ? cpu / floorCpu : 0);
    if (!ok) {
        std::fprintf(stderr, "expected %d movies, found %lld\n", expected, qlonglong(first.movies));
        return 1;
    }
    return 0;
}
