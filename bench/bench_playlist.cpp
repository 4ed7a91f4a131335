// The playlist at 1,000 to 200,000 entries: opening the Playlist > Movies menu the first time
// and again after a movie change (QMenu::popup until the menu's first paint, aboutToShow
// building it), shuffle, sort by name and by location, a Down key press in the table (until
// the work it queued is done), deleting one row (each with the next
// address lookup, which pays for any index rebuild left to it), and heap bytes per entry
// (mallinfo2, in use) after filling, after the menu opened, and after Clear plus 50 ms of
// event loop.
// Each size runs in a process of its own so the memory figures do not mix. Needs a display:
//   xvfb-run -a -s "-screen 0 1280x800x24" build/bench/bench_playlist [--menu-limit=N] [entries]
// --menu-limit skips the menu above that many entries (for code where it takes minutes).
#include "player/QXWindowSizer.h"
#include "BenchPlayer.h"
#include "player/QXPlayerWindow.h"
#include "playlist/QXMovieTableView.h"
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
#include <QTimer>

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
static QUrl entryURL(const QString &root, int i)
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
    QDir().mkpath(folder);
    const int fd = ::open(QFile::encodeName(path).constData(), O_CREAT | O_WRONLY, 0644);
    if (fd >= 0)
        ::close(fd);
    return QUrl::fromLocalFile(path);
}

static bool makeMovie(const QString &path)
{
    return QProcess::execute(QStringLiteral("ffmpeg"),
                             {"-loglevel", "error", "-y", "-f", "lavfi", "-i",
                              "testsrc2=size=64x48:rate=10:duration=1", "-pix_fmt", "yuv420p", path}) == 0;
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

    // Down in the table, delivered to the window as the window system delivers a key press,
    // until the work it queued (the repaint included) is done.
    c.ui().playerWindow->activateWindow();
    settle(100);
    selectRow(c, n / 4);
    settle(50);
    constexpr int Downs = 20;
    QElapsedTimer keys;
    keys.start();
    for (int k = 0; k < Downs; ++k) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QCoreApplication::sendEvent(c.ui().playerWindow->windowHandle(), &press);
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents();
    }
    const double down = keys.nsecsElapsed() / 1e6 / Downs;
    if (selectedRow(c) != n / 4 + Downs)
        fprintf(stderr, "Down did not reach the table: row %d\n", selectedRow(c));

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
    printf("%8d %11.1f %11.1f %9.1f %9.1f %9.1f %9.3f %9.2f %9.0f %9.0f %9.0f\n", n, menuFirst, menuAgain,
           shuffle, byName, byLocation, del, down, perEntry(heapFilled), perEntry(heapMenu), perEntry(heapCleared));
    fflush(stdout);
    return 0;
}

int main(int argc, char **argv)
{
    qputenv("VISTREL_VO", "null");
    qputenv("VISTREL_AO", "null");
    int menuLimit = 1 << 30;
    int entries = 0;
    for (int i = 1; i < argc; ++i) {
        const QByteArray a(argv[i]);
        if (a.startsWith("--menu-limit="))
            menuLimit = a.mid(13).toInt();
        else
            entries = a.toInt();
    }
    if (entries > 0) {
        QApplication app(argc, argv);
        return runOne(entries, menuLimit);
    }
    QCoreApplication app(argc, argv);
    printf("times in ms (menu: -1 = skipped); memory in heap bytes per entry\n");
    printf("%8s %11s %11s %9s %9s %9s %9s %9s %9s %9s %9s\n", "entries", "menu-first", "menu-again",
           "shuffle", "by-name", "by-loc", "delete", "down", "mem", "mem+menu", "cleared");
    fflush(stdout);
    for (const int n : {1000, 10000, 50000, 200000}) {
        QStringList args{QString::number(n), QStringLiteral("--menu-limit=%1").arg(menuLimit)};
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedChannels);
        p.start(QString::fromLocal8Bit(argv[0]), args);
        if (!p.waitForFinished(-1) || p.exitCode() != 0)
            return 1;
    }
    return 0;
}
