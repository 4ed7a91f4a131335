// The playlist at 1,000 to 200,000 entries: opening the Playlist > Movies menu the first time
// and again after a movie change (QMenu::popup until the menu's first paint, aboutToShow
// building it), shuffle, sort by name and by location, a Down key press in the table (until
// the work it queued is done), deleting one row (each with the next
// address lookup, which pays for any index rebuild left to it), and heap bytes per entry
// (mallinfo2, in use) after filling, after the menu opened, and after Clear plus 50 ms of
// event loop.
// Then the keys as a user has them: a movie playing in the real picture, the playlist shown,
// openbox managing the window, Down, Up and Delete pressed through the window system's path
// (ShortcutOverride and KeyPress into the window), each timed until the events it queued, the
// repaint included, are done: the main thread's wall time and its CPU time, medians of 20.
// Each size runs in a process of its own so the memory figures do not mix. Needs a display:
//   xvfb-run -a -s "-screen 0 1280x800x24" build/bench/bench_playlist [--menu-limit=N] [--keys] [entries]
// --menu-limit skips the menu above that many entries (for code where it takes minutes);
// --keys with entries runs only the keys at that size; --no-keys leaves them out.
#include "player/QXWindowSizer.h"
#include "BenchPlayer.h"
#include "player/QXPlayerWindow.h"
#include "playlist/QXMovieTableView.h"
#include "playlist/QXPlaylistModel.h"
#include "engine/QXMovieView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QWindow>
#include <QMenu>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QTest>

#include <algorithm>
#include <ctime>

#include <clocale>
#include <cstdio>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

static double heapBytes()
{
    const struct mallinfo2 m = mallinfo2();
    return double(m.uordblks + m.hblkhd);
}

static void settle(int ms)
{
    QEventLoop loop;   // a running loop also carries out deleteLater
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Varied names (case, numbers, a few non-ASCII) in an order unlike their addresses'; the
// files exist (empty), as a folder's files would, so the icons are those of real files.
static QUrl entryURL(const QString &root, int i, bool makeFile = true)
{
    static const char *const words[] = {"Holiday", "beach", "Ärger", "movie", "Clip", "trip", "ZOO", "été"};
    const unsigned h = unsigned(i) * 2654435761u;
    if (h % 20 == 0)
        return QUrl(QStringLiteral("https://example.com/stream/%1/clip%2.mp4").arg(h % 97).arg(i));
    const QString name = QStringLiteral("%1 %2 part %3.%4")
                             .arg(QString::fromUtf8(words[h % 8]))
                             .arg((h >> 8) % 1000)
                             .arg(i)
                             .arg(h % 3 ? QStringLiteral("mp4") : QStringLiteral("mkv"));
    const QString folder = QStringLiteral("%1/Folder %2").arg(root).arg((h >> 4) % 50);
    const QString path = folder + QLatin1Char('/') + name;
    if (!makeFile)
        return QUrl::fromLocalFile(path);
    QDir().mkpath(folder);
    const int fd = ::open(QFile::encodeName(path).constData(), O_CREAT | O_WRONLY, 0644);
    if (fd >= 0)
        ::close(fd);
    return QUrl::fromLocalFile(path);
}

static bool makeMovie(const QString &path, const char *source = "testsrc2=size=64x48:rate=10:duration=1")
{
    return QProcess::execute(QStringLiteral("ffmpeg"),
                             {"-loglevel", "error", "-y", "-f", "lavfi", "-i", source, "-pix_fmt", "yuv420p", path}) == 0;
}

// Popup until the first paint of the menu, in ms.
static double openMenu(QMenu *menu)
{
    struct PaintWatch : QObject {
        bool painted = false;
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::Paint)
                painted = true;
            return false;
        }
    } watch;
    menu->installEventFilter(&watch);
    QElapsedTimer t;
    t.start();
    menu->popup(QPoint(300, 100));
    while (!watch.painted && t.elapsed() < 600000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const double ms = t.nsecsElapsed() / 1e6;
    menu->removeEventFilter(&watch);
    menu->hide();
    QCoreApplication::processEvents();
    return ms;
}

static void selectRow(QXMPController &c, int row)
{
    c.ui().playerHistoryList->selectionModel()->select(c.ui().playerHistoryList->model()->index(row, 0),
                                                  QItemSelectionModel::ClearAndSelect
                                                      | QItemSelectionModel::Rows);
}

static int selectedRow(const QXMPController &c)
{
    const QModelIndexList rows = c.ui().playerHistoryList->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

static double threadCpuMs()
{
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

static double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? -1 : v.at(v.size() / 2);
}

struct KeyCost
{
    double wall, cpu;
};

// Presses of key into the player window, each timed from the press until the events it
// queued are done (the repaint and its flush to the screen among them); between presses the
// movie plays on for a moment, as between a person's presses.
static KeyCost pressKeys(QXMPController &c, Qt::Key key, int presses)
{
    struct PaintCount : QObject {
        int paints = 0;
        bool eventFilter(QObject *, QEvent *e) override
        {
            paints += e->type() == QEvent::Paint;
            return false;
        }
    } watch;
    QWidget *rows = c.ui().playerHistoryList->viewport();
    rows->installEventFilter(&watch);
    QWindow *window = c.ui().playerWindow->windowHandle();
    QList<double> wall, cpu;
    int unpainted = 0;
    for (int k = 0; k < presses; ++k) {
        settle(40);
        watch.paints = 0;
        QElapsedTimer t;
        const double cpu0 = threadCpuMs();
        t.start();
        QTest::keyClick(window, key);
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        wall.append(t.nsecsElapsed() / 1e6);
        cpu.append(threadCpuMs() - cpu0);
        unpainted += watch.paints == 0;
    }
    rows->removeEventFilter(&watch);
    if (unpainted)
        fprintf(stderr, "%d presses of key %x were timed without the table's repaint\n", unpainted, key);
    return {median(wall), median(cpu)};
}

static int runKeys(int n)
{
    BenchScratch scratch;
    const QString movie = scratch.filePath("zz playing.mp4");
    if (!makeMovie(movie, "testsrc2=size=320x240:rate=25:duration=60")) {
        fprintf(stderr, "ffmpeg could not make the movie\n");
        return 1;
    }
    QXMPController c;
    c.applicationDidFinishLaunching();
    c.windowSizer()->showPlayerWindow();
    settle(200);
    {
        // The keys only read names: the entries need no files.
        const QString root = scratch.filePath("Movies");
        QList<QXMovieRepresentationRef> entries;
        entries.reserve(n);
        for (int i = 0; i < n; ++i)
            entries.append(QXMovieRepresentation::movieRepresentationWithURL(
                i == n / 2 ? QUrl::fromLocalFile(movie) : entryURL(root, i, false)));
        c.appendEntriesForTesting(entries);
    }
    c.chooseMovie(QUrl::fromLocalFile(movie), true, true, false);
    c.ui().playerWindow->activateWindow();
    settle(1500);
    if (!c.ui().playerView->isPlaying() || !c.ui().playerHistoryList->isVisible())
        fprintf(stderr, "the movie does not play or the playlist is hidden\n");

    constexpr int Presses = 20;
    const int from = n / 4;
    const struct { Qt::Key key; int expectedRow; int expectedCount; } runs[] = {
        {Qt::Key_Down, from + Presses, n},
        {Qt::Key_Up, from - Presses, n},
        {Qt::Key_Delete, from, n - Presses},
    };
    printf("%8d", n);
    for (const auto &run : runs) {
        selectRow(c, from);
        c.ui().playerHistoryList->scrollTo(c.ui().playlistModel->index(from, 0));
        settle(100);
        const KeyCost cost = pressKeys(c, run.key, Presses);
        if (selectedRow(c) != run.expectedRow || c.playlist().count() != run.expectedCount)
            fprintf(stderr, "key %x did not act as a user sees it: row %d of %d\n", run.key, selectedRow(c),
                    c.playlist().count());
        printf(" %11.2f %9.2f", cost.wall, cost.cpu);
    }
    printf("\n");
    fflush(stdout);
    return 0;
}

static int runOne(int n, int menuLimit)
{
    BenchScratch scratch;
    const QString movieA = scratch.filePath("zz current a.mp4");
    const QString movieB = scratch.filePath("zz current b.mp4");
    if (!makeMovie(movieA) || !makeMovie(movieB)) {
        fprintf(stderr, "ffmpeg could not make the movies\n");
        return 1;
    }
    QXSettings::standard().setBool(true, QXKeys::DoNotPlayOnOpen);
    QXMPController c;
    c.applicationDidFinishLaunching();
    c.windowSizer()->showPlayerWindow();
    settle(200);

    const QString root = scratch.filePath("Movies");
    for (int i = 0; i < n; ++i)
        entryURL(root, i);   // the files first, so the heap figures hold only entries
    const double heap0 = heapBytes();
    c.clearPlaylist();
    {
        QList<QXMovieRepresentationRef> entries;
        for (int i = 0; i < n; ++i) {
            QUrl u = entryURL(root, i);
            if (i == n / 2)
                u = QUrl::fromLocalFile(movieA);
            else if (i == n / 2 + 1)
                u = QUrl::fromLocalFile(movieB);
            entries.append(QXMovieRepresentation::movieRepresentationWithURL(u));
        }
        c.appendEntriesForTesting(entries);
    }
    c.playlist().rowOfURL(QUrl::fromLocalFile(movieA));   // the address index is part of the list
    settle(50);
    const double heapFilled = heapBytes();

    c.chooseMovie(QUrl::fromLocalFile(movieA), false, false, false);
    settle(50);
    const bool menu = n <= menuLimit;
    const double menuFirst = menu ? openMenu(c.ui().playlistMenu) : -1;
    const double heapMenu = heapBytes();
    c.chooseMovie(QUrl::fromLocalFile(movieB), false, false, false);
    settle(50);
    const double menuAgain = menu ? openMenu(c.ui().playlistMenu) : -1;

    // Each reorder with the lookup after it, which pays for any index rebuild it left.
    const QUrl last = c.playlist().entries().last()->URL();
    const auto reorder = [&c, &last](int tag) {
        QElapsedTimer t;
        t.start();
        c.sortPlaylist(tag);
        c.playlist().rowOfURL(last);
        return t.nsecsElapsed() / 1e6;
    };
    selectRow(c, n / 4);
    const double shuffle = reorder(0);
    const double byName = reorder(1);
    reorder(0);
    const double byLocation = reorder(2);

    // Rows away from the current entry, each followed by a lookup of the last entry.
    constexpr int Deletes = 5;
    QElapsedTimer t;
    t.start();
    for (int k = 0; k < Deletes; ++k) {
        c.tableViewDeleteObjectAtRow(n / 3 + k);
        c.playlist().rowOfURL(c.playlist().entries().last()->URL());
    }
    const double del = t.nsecsElapsed() / 1e6 / Deletes;

    c.clearPlaylist();
    settle(50);
    const double heapCleared = heapBytes();

    const auto perEntry = [n, heap0](double h) { return (h - heap0) / n; };
    printf("%8d %11.1f %11.1f %9.1f %9.1f %9.1f %9.3f %9.0f %9.0f %9.0f\n", n, menuFirst, menuAgain,
           shuffle, byName, byLocation, del, perEntry(heapFilled), perEntry(heapMenu), perEntry(heapCleared));
    fflush(stdout);
    return 0;
}

int main(int argc, char **argv)
{
    qputenv("VISTREL_VO", "null");
    qputenv("VISTREL_AO", "null");
    int menuLimit = 1 << 30;
    int entries = 0;
    bool keys = false, noKeys = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray a(argv[i]);
        if (a.startsWith("--menu-limit="))
            menuLimit = a.mid(13).toInt();
        else if (a == "--keys")
            keys = true;
        else if (a == "--no-keys")
            noKeys = true;
        else
            entries = a.toInt();
    }
    if (entries > 0 && keys) {
        qunsetenv("VISTREL_VO");   // the real picture, drawn as the user sees it
        QApplication app(argc, argv);
        return runKeys(entries);
    }
    if (entries > 0) {
        QApplication app(argc, argv);
        return runOne(entries, menuLimit);
    }
    QCoreApplication app(argc, argv);
    printf("times in ms (menu: -1 = skipped); memory in heap bytes per entry\n");
    printf("%8s %11s %11s %9s %9s %9s %9s %9s %9s %9s\n", "entries", "menu-first", "menu-again",
           "shuffle", "by-name", "by-loc", "delete", "mem", "mem+menu", "cleared");
    fflush(stdout);
    const auto runChild = [&argv](const QStringList &args) {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedChannels);
        p.start(QString::fromLocal8Bit(argv[0]), args);
        return p.waitForFinished(-1) && p.exitCode() == 0;
    };
    for (const int n : {1000, 10000, 50000, 200000})
        if (!runChild({QString::number(n), QStringLiteral("--menu-limit=%1").arg(menuLimit)}))
            return 1;
    if (noKeys)
        return 0;
    // The keys need a window manager, as a desktop has: openbox, unless one runs already.
    QProcess openbox;
    if (QProcess::execute(QStringLiteral("sh"), {"-c", "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q window"}) != 0) {
        openbox.start(QStringLiteral("openbox"), {});
        for (int tries = 0; tries < 100 && QProcess::execute(QStringLiteral("sh"),
                 {"-c", "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q window"}) != 0; ++tries)
            QThread::msleep(100);
    }
    printf("\nkeys, a movie playing, the playlist shown: ms of main-thread wall time and CPU time a press\n");
    printf("%8s %11s %9s %11s %9s %11s %9s\n", "entries", "down", "cpu", "up", "cpu", "delete-key", "cpu");
    fflush(stdout);
    bool ok = true;
    for (const int n : {1000, 50000, 200000})
        ok = ok && runChild({QString::number(n), QStringLiteral("--keys")});
    if (openbox.state() != QProcess::NotRunning) {
        openbox.terminate();
        openbox.waitForFinished(3000);
    }
    return ok ? 0 : 1;
}
