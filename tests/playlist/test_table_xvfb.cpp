// The playlist table in the player window: drops, marks, the drawn rows, panels and the divider.
#include "controls/QXImages.h"
#include "controls/QXPlaylistImages.h"
#include "controls/QXPoof.h"
#include "controls/QXTarvelShiftButton.h"
#include "engine/QXMovieView.h"
#include "player/QXPlayerWindow.h"
#include "playlist/QXMovieCell.h"
#include "playlist/QXOpenPanel.h"
#include "playlist/QXPasteboard.h"
#include "playlist/QXPlaylistModel.h"
#include "ControllerFixture.h"

#include <algorithm>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QHeaderView>
#include <QScreen>
#include <QTreeView>
#include <QtTest>

using testsupport::RawMimeData;
using testsupport::countPixels;

class TestTable : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<QXMPController> c;

    QString movie(const QString &name, const QString &folder = {})
    {
        return testsupport::makeVideo(folder.isEmpty() ? dir.path() : folder, name, 64, 48, 1.0, false);
    }
    QStringList names() const { return testsupport::playlistNames(*c); }
    QXMovieTableView *table() const { return c->ui().playerHistoryList; }
    // A fresh player holding the given settings, its window shown.
    void launch(const QJsonObject &stored = {})
    {
        testsupport::launchFreshController(c, dir.path(), stored);
        c->ui().playerWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(c->ui().playerWindow));
    }
    // Six entries m1 … m6, listed only; row 2 selected.
    void six()
    {
        launch();
        QList<QUrl> urls;
        for (int i = 1; i <= 6; ++i)
            urls << QUrl::fromLocalFile(movie(QStringLiteral("m%1.mp4").arg(i)));
        QVERIFY(c->openMovies(urls, false));
        c->chooseNoMovie();
        testsupport::selectRow(*c, 2);
    }
    // A point on row r: its top quarter (between r - 1 and r) or its middle (on it); r = count
    // is the space below the last row.
    QPoint at(int row, bool on) const
    {
        const int n = table()->model()->rowCount();
        if (row >= n)
            return QPoint(40, n * 20 + 5);
        return QPoint(40, table()->rowViewportPosition(row) + (on ? 10 : 2));
    }
    // Enter, move and drop on the table (or another widget) as the window system delivers
    // them, nothing after a refused entry; whether the drop was taken.
    bool drop(QMimeData *data, const QPoint &p, QWidget *on = nullptr)
    {
        on = on ? on : table()->viewport();
        QDragEnterEvent enter(p, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(on, &enter);
        if (!enter.isAccepted())
            return false;
        QDragMoveEvent move(p, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(on, &move);
        QDropEvent dropped(p, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(on, &dropped);
        return dropped.isAccepted();
    }
    static RawMimeData *files(const QStringList &paths)
    {
        auto *d = new RawMimeData;
        QByteArray list;
        for (const QString &p : paths)
            list += QUrl::fromLocalFile(p).toEncoded() + "\r\n";
        d->raw.insert("text/uri-list", list);
        return d;
    }

private slots:
    void initTestCase() { QVERIFY(dir.isValid()); }

    void dropsOfFilesAndAddresses()
    {
        const QString x = movie("x.mp4"), y = movie("y.mp4");
        const QString emptyFolder = dir.filePath("empty");
        QDir(dir.path()).mkpath("empty/sub");
        testsupport::makeFile(emptyFolder + "/sub", "notes.txt", "text");
        const QString m2 = dir.filePath("m2.mp4");
        struct Case {
            const char *name;
            QStringList paths;
            QByteArray address;   // a text/uri-list address when no paths
            int row;
            bool on;
            bool taken;
            QStringList after;
        };
        const QStringList unchanged{"m1.mp4", "m2.mp4", "m3.mp4", "m4.mp4", "m5.mp4", "m6.mp4"};
        const Case cases[] = {
            {"two above row 4", {y, x}, {}, 4, false, true,
             {"m1.mp4", "m2.mp4", "m3.mp4", "m4.mp4", "x.mp4", "y.mp4", "m5.mp4", "m6.mp4"}},
            {"one listed above", {y, m2}, {}, 4, false, true,
             {"m1.mp4", "m3.mp4", "m4.mp4", "m2.mp4", "y.mp4", "m5.mp4", "m6.mp4"}},
            {"below the last row", {x}, {}, 6, false, true, unchanged + QStringList{"x.mp4"}},
            {"on a row", {x}, {}, 3, true, false, unchanged},
            {"a folder without movies", {emptyFolder}, {}, 1, false, false, unchanged},
            {"an invalid address", {}, "http://host/a b.mp4", 1, false, false, unchanged},
            {"a pseudo-protocol", {}, "concat:/etc/passwd", 1, false, false, unchanged},
        };
        for (const Case &k : cases) {
            six();
            const auto selected = c->playlist().entries().at(2);
            std::unique_ptr<RawMimeData> data(files(k.paths));
            if (k.paths.isEmpty())
                data->raw.insert("text/uri-list", k.address + "\r\n");
            QVERIFY2(drop(data.get(), at(k.row, k.on)) == k.taken, k.name);
            QVERIFY2(names() == k.after, qPrintable(QString(k.name) + ": " + names().join(' ')));
            QVERIFY2(c->playlist().entries().at(testsupport::selectedRow(*c)) == selected, k.name);   // the selection stays
            QVERIFY2(!c->playlist().current(), k.name);                          // nothing plays
            QVERIFY(!table()->isShowingDropIndicator());
        }
        // Into an empty table anywhere, on a row's spot included.
        testsupport::launchFreshController(c, dir.path());
        std::unique_ptr<RawMimeData> data(files({y, x}));
        QVERIFY(drop(data.get(), QPoint(40, 10)));
        QCOMPARE(names(), (QStringList{"x.mp4", "y.mp4"}));
        QVERIFY(!c->playlist().current());
    }

    void dropFeedback()
    {
        six();
        std::unique_ptr<RawMimeData> data(files({movie("x.mp4")}));
        QWidget *vp = table()->viewport();
        QDragEnterEvent enter(at(3, false), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(vp, &enter);
        QVERIFY(enter.isAccepted());
        QVERIFY(table()->isShowingDropIndicator());
        QCOMPARE(table()->shownDropTarget(), (QXDropTarget{3, QXDropOperation::Above}));
        QDragMoveEvent onRow(at(3, true), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(vp, &onRow);
        QVERIFY(!onRow.isAccepted());
        QVERIFY(!table()->isShowingDropIndicator());   // refused: nothing shown
        QDragLeaveEvent leave;
        QApplication::sendEvent(vp, &leave);
        // A payload from elsewhere that claims to be a row is no row, and no file either.
        RawMimeData forged;
        forged.raw.insert(QXPasteboard::internalMoviePasteboardType(), QByteArray("\x01\x00\x00\x00", 4));
        QVERIFY(!drop(&forged, at(1, false)));
        QCOMPARE(names().size(), 6);
    }

    void drawnTableAndMarks()
    {
        six();
        QVERIFY(c->chooseMovie(c->playlist().entries().at(3)->URL(), false, false, false));
        c->ui().playlistModel->reloadData();   // a reset keeps the columns
        testsupport::selectRow(*c, 1);
        QCOMPARE(table()->columnWidth(QXMovieCell::NameColumn), table()->viewport()->width() - 20);
        c->ui().playerWindow->resize(c->ui().playerWindow->width(), 400);
        QWidget *vp = table()->viewport();
        VERIFY_SOON(vp->height() > 6 * 20 + 20 && vp->isVisible(), 5000);
        const auto grab = [vp] { return vp->grab().toImage().convertToFormat(QImage::Format_RGB32); };
        const QImage img = grab();
        const int w = img.width();
        const QRgb ground = QXMovieCell::sourceListBackgroundColor().rgb();
        const QRgb selection = QXMovieCell::sourceListInactiveSelectionColor().rgb();
        QCOMPARE(img.pixel(w / 2, 6 * 20 + 10), ground);          // below the rows
        for (const int x : {0, 10, w / 2, w - 1}) {                  // edge to edge
            QCOMPARE(img.pixel(x, 20 + 1), selection);
            QCOMPARE(img.pixel(x, 20 + 19), selection);
        }
        // White text with a darker shadow one below, on the selected row only.
        const auto white = [](QRgb p) { return p == qRgb(255, 255, 255); };
        const auto dark = [](QRgb p) { return qGray(p) < 110; };
        const QRect text(20, 20, w - 40, 20);
        QVERIFY(countPixels(img, white, text) > 20);
        QVERIFY(countPixels(img, [&](QRgb p) { return qGray(p) < qGray(selection) - 30; }, text) > 20);
        QCOMPARE(countPixels(img, white, text.translated(0, 20)), 0);
        // The mark: 15 from the right, its bottom 3 above the row's; dark, then inverted, and
        // nothing of it above its place.
        const auto mark = [w](int row) { return QRect(w - 15, row * 20 + 5, 12, 12); };
        QVERIFY(countPixels(img, dark, mark(3)) > 10);
        QCOMPARE(countPixels(img, white, mark(3)), 0);
        QCOMPARE(countPixels(img, dark, mark(2)), 0);
        QCOMPARE(countPixels(img, dark, QRect(w - 15, 60, 15, 5)), 0);
        // The same fill while another window is active.
        QWidget other;
        other.resize(100, 100);
        other.show();
        other.activateWindow();
        VERIFY_SOON(other.isActiveWindow(), 5000);
        QVERIFY(!c->ui().playerWindow->isActiveWindow());
        const QImage inactive = grab();
        for (const int x : {0, w / 2, w - 1})
            QCOMPARE(inactive.pixel(x, 20 + 10), selection);
        testsupport::selectRow(*c, 3);
        const QImage sel = grab();
        QVERIFY(countPixels(sel, white, mark(3)) > 10);
        QCOMPARE(countPixels(sel, dark, mark(3)), 0);

        // The current address listed twice: only the first row carries the mark.
        c->appendEntriesForTesting({c->playlist().at(3)});
        c->playlist().entries().at(5)->setDownloadingOnlineFlashMovie(true);
        const struct { int row; bool playing, loading; } cases[] = {
            {3, true, false}, {6, false, false}, {5, false, true}, {0, false, false}};
        for (const auto &k : cases) {
            const QXMovieCell::State s = QXMovieCell::cellState(&c->playlist(), k.row, false);
            QCOMPARE(s.isPlaying, k.playing);
            QCOMPARE(s.isLoading, k.loading);
        }
        // Downloading and current: the loading mark only.
        c->playlist().entries().at(3)->setDownloadingOnlineFlashMovie(true);
        const QXMovieCell::State s = QXMovieCell::cellState(&c->playlist(), 3, true);
        QVERIFY(s.isLoading && !s.isPlaying);
    }

    void puff()
    {
        // Five frames in order, centred on the point, cut to its shape (no compositor under
        // Xvfb), taking no input; gone after about a quarter of a second.
        QPointer<QXPoofWindow> w = QXPoofWindow::showAnimationEffect(QPoint(300, 200));
        QVERIFY(w);
        QList<int> frames;
        connect(w, &QXPoofWindow::framePainted, this, [&](int f) { frames << f; });
        QCOMPARE(w->geometry().topLeft() + QPoint(QXPoofSize / 2, QXPoofSize / 2), QPoint(300, 200));
        QVERIFY(w->windowFlags() & Qt::WindowTransparentForInput);
        QVERIFY(!w->mask().isEmpty() && w->mask() != QRegion(w->rect()));
        QElapsedTimer clock;
        clock.start();
        VERIFY_SOON(!w, 2000);
        QVERIFY(clock.elapsed() < 1000);
        // In order to the last; a busy machine may paint two steps as one.
        QVERIFY2(frames.size() >= 3 && frames.first() == 1 && frames.last() == 5
                     && std::is_sorted(frames.begin(), frames.end())
                     && std::adjacent_find(frames.begin(), frames.end()) == frames.end(),
                 qPrintable(QString("%1 frames, last %2").arg(frames.size()).arg(frames.value(frames.size() - 1))));
        // The images at both scales, each from its own drawing.
        for (const char *name : {"QXTableButtonPlaying", "QXTableButtonLoadingInverted", "QXPoof3", "QXTarvelShiftGrip",
                                 "QXDisappearingItemCursor"}) {
            const QIcon icon = QXNamedImage(QLatin1String(name));
            QVERIFY2(!icon.isNull(), name);
            const QSize size = icon.availableSizes().first();
            QCOMPARE(icon.pixmap(size, 2.0).size(), size * 2);
        }
        QVERIFY(QXNamedImage("QXPoof6").isNull());
    }

    void addressPanel()
    {
        launch();
        c->ui().playerWindow->activateWindow();
        VERIFY_SOON(c->ui().playerWindow->isActiveWindow(), 5000);
        // Ctrl+L from the window.
        QTest::keyClick(c->ui().playerWindow, Qt::Key_L, Qt::ControlModifier);
        QXAddressPanel *panel = nullptr;
        VERIFY_SOON((panel = c->ui().playerWindow->findChild<QXAddressPanel *>()) && panel->isVisible(), 5000);
        QVERIFY(!panel->isModal());
        VERIFY_SOON(panel->isActiveWindow(), 5000);
        QCOMPARE(QApplication::focusWidget(), panel->openURLTextView);
        QVERIFY(qAbs(panel->frameGeometry().center().x() - c->ui().playerWindow->frameGeometry().center().x()) <= 2);
        // OK on nothing: closes and beeps.
        int beeps = c->beepCount();
        QTest::mouseClick(panel->openURLOKButton, Qt::LeftButton);
        QVERIFY(!panel->isVisible());
        QCOMPARE(c->beepCount(), beeps + 1);
        // Reopened empty; Escape and the Cancel button close it without a beep or an entry.
        for (const bool escape : {true, false}) {
            c->openURL();
            VERIFY_SOON(panel->isVisible(), 5000);
            QTest::keyClicks(panel->openURLTextView, "http://x/");
            if (escape)
                QTest::keyClick(panel->openURLTextView, Qt::Key_Escape);
            else
                QTest::mouseClick(panel->cancelButton, Qt::LeftButton);
            QVERIFY2(!panel->isVisible(), escape ? "Escape" : "Cancel");
        }
        QCOMPARE(c->playlist().count(), 0);
        c->openURL();
        QCOMPARE(panel->openURLTextView->toPlainText(), QString());
        QCOMPARE(c->beepCount(), beeps + 1);
        // Ctrl+Return opens the address: listed at once, whatever the server does later.
        const QUrl address("http://127.0.0.1:9/movie.mp4");
        QTest::keyClicks(panel->openURLTextView, address.toString());
        QTest::keyClick(panel->openURLTextView, Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(!panel->isVisible());
        QCOMPARE(c->playlist().count(), 1);
        QCOMPARE(c->playlist().entries().first()->URL(), address);
    }

    void dropsOnThePicture()
    {
        launch();
        QDir(dir.path()).mkpath("pictured/deeper");
        const QString b = movie("b 10.mp4", dir.filePath("pictured"));
        movie("a 2.mp4", dir.filePath("pictured/deeper"));
        testsupport::makeFile(dir.filePath("pictured"), "readme.txt", "text");
        const auto dropOn = [this](QMimeData *data) { return drop(data, c->ui().playerView->rect().center(), c->ui().playerView); };
        // A row of the table is no file: refused.
        RawMimeData row;
        row.raw.insert(QXPasteboard::internalMoviePasteboardType(), QByteArray(4, '\0'));
        QVERIFY(!dropOn(&row));
        // A folder opens its movies, walked and sorted, the first chosen.
        std::unique_ptr<RawMimeData> folder(files({dir.filePath("pictured")}));
        QVERIFY(dropOn(folder.get()));
        // (by address: ".../b 10.mp4" before ".../deeper/a 2.mp4")
        QTRY_COMPARE(names(), (QStringList{"b 10.mp4", "a 2.mp4"}));
        QVERIFY(c->playlist().current());
        QCOMPARE(c->playlist().current()->path(), b);
        // An address that makes none: a beep, nothing changes.
        const int beeps = c->beepCount();
        RawMimeData bad;
        bad.raw.insert("text/uri-list", "http://host/a b.mp4\r\n");
        QVERIFY(dropOn(&bad));
        QTRY_COMPARE(c->beepCount(), beeps + 1);
        QVERIFY2(names().size() == 2, qPrintable(names().join('|')));
    }

    void openPanel()
    {
        launch();
        const QString mixed = dir.filePath("mixed");
        QDir(mixed).mkpath("sub/deep");
        movie("clip.mp4", mixed);
        movie("a.mp4", mixed + "/sub/deep");
        movie("z 2.mp4", mixed + "/sub");
        movie("z 10.mp4", mixed + "/sub");
        testsupport::makeFile(mixed, "notes.txt", "text");
        QFile::link(mixed + "/clip.mp4", mixed + "/link.mp4");
        QStringList shown;
        QString title, filter;
        // Lists what the panel shows in the mixed folder, then chooses the folder "sub".
        const auto choose = [&](const QString &folder, const QString &pick) {
            QTimer::singleShot(0, this, [&, folder, pick] {
                QFileDialog *panel = nullptr;
                QTRY_VERIFY((panel = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())));
                title = panel->windowTitle();
                if (auto *types = panel->findChild<QComboBox *>("fileTypeCombo"))
                    filter = types->currentText();
                if (!folder.isEmpty())
                    panel->setDirectory(folder);
                auto *tree = panel->findChild<QTreeView *>("treeView");
                auto *list = panel->findChild<QAbstractItemView *>("listView");
                QAbstractItemView *view = tree && tree->isVisible() ? static_cast<QAbstractItemView *>(tree) : list;
                VERIFY_SOON(view->model()->rowCount(view->rootIndex()) > 0, 5000);
                QTest::qWait(300);   // the model lists the folder in the background
                shown.clear();
                for (int r = 0; r < view->model()->rowCount(view->rootIndex()); ++r) {
                    const QModelIndex i = view->model()->index(r, 0, view->rootIndex());
                    shown << i.data().toString();
                    if (shown.last() == pick)
                        view->selectionModel()->select(i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
                }
                QMetaObject::invokeMethod(panel, "accept");
            });
            c->openDocument();
        };
        choose(mixed, "sub");
        QCOMPARE(title, QString("Open"));
        QCOMPARE(filter, QString("Movies and Folders"));   // named for what it shows
        shown.sort();
        QCOMPARE(shown, (QStringList{"clip.mp4", "link.mp4", "sub"}));
        // The folder chosen opens what is inside, recursively and sorted.
        QCOMPARE(names(), (QStringList{"a.mp4", "z 2.mp4", "z 10.mp4"}));
        // The panel opens where it was left, and a file can be chosen there.
        choose(QString(), "clip.mp4");
        QCOMPARE(names().last(), QString("clip.mp4"));
    }

    void keysOnALongList()
    {
        // Keys pressed into the player window as the window system delivers them; the table's
        // rows follow entries that leave or arrive anywhere, to the last row.
        constexpr int N = 3000;
        const auto longList = [this] {
            launch();
            QList<QXMovieRepresentationRef> entries;
            for (int i = 0; i < N; ++i)
                entries << QXMovieRepresentation::movieRepresentationWithURL(
                    QUrl::fromLocalFile(dir.filePath(QString("e%1.mp4").arg(i, 4, 10, QChar('0')))));
            c->appendEntriesForTesting(entries);
        };
        const auto press = [this](Qt::Key key, int times) {
            for (int k = 0; k < times; ++k)
                QTest::keyClick(c->ui().playerWindow->windowHandle(), key);
            QCoreApplication::processEvents();
        };
        // The rows as drawn: as many as entries, the selection in view, the last entry at the
        // bottom once scrolled there.
        const auto checkRows = [this](const char *name) {
            const int n = c->playlist().count();
            QVERIFY2(table()->verticalHeader()->count() == n, name);
            const int selected = testsupport::selectedRow(*c);
            if (selected >= 0) {
                const QRect r = table()->visualRect(table()->model()->index(selected, 1));
                QVERIFY2(table()->viewport()->rect().contains(r), name);
                QVERIFY2(table()->model()->index(selected, 1).data().toString() == c->playlist().at(selected)->displayName(),
                         name);
            }
            table()->scrollToBottom();
            QCoreApplication::processEvents();
            const int y = table()->rowViewportPosition(n - 1);
            QVERIFY2(y >= 0 && y + 20 <= table()->viewport()->height(), name);
            QVERIFY2(table()->rowAt(y + 20) == -1, name);   // no row below the last
        };
        struct Case {
            const char *name;
            int from;
            Qt::Key key;
            int times;
            int selected;       // -1: none
            int count;
            const char *first;  // the first entry's name afterwards
        };
        const Case cases[] = {
            {"down in the middle", 1500, Qt::Key_Down, 3, 1503, N, "e0000.mp4"},
            {"down at the last row", N - 1, Qt::Key_Down, 2, N - 1, N, "e0000.mp4"},
            {"up at the first row", 0, Qt::Key_Up, 2, 0, N, "e0000.mp4"},
            {"up to the top", 3, Qt::Key_Up, 5, 0, N, "e0000.mp4"},
            {"delete the first row", 0, Qt::Key_Delete, 2, 0, N - 2, "e0002.mp4"},
            {"delete in the middle", 1500, Qt::Key_Delete, 3, 1500, N - 3, "e0000.mp4"},
            {"delete the last row", N - 1, Qt::Key_Delete, 1, -1, N - 1, "e0000.mp4"},
            {"backspace at the end", N - 1, Qt::Key_Backspace, 3, N - 4, N - 3, "e0000.mp4"},
        };
        for (const Case &k : cases) {
            longList();
            testsupport::selectRow(*c, k.from);
            table()->scrollTo(table()->model()->index(k.from, 0));
            press(k.key, k.times);
            QVERIFY2(testsupport::selectedRow(*c) == k.selected,
                     qPrintable(QString("%1: row %2").arg(k.name).arg(testsupport::selectedRow(*c))));
            QVERIFY2(c->playlist().count() == k.count, k.name);
            QVERIFY2(names().first() == k.first, k.name);
            checkRows(k.name);
        }
        // Entries that arrive: at the end, and dropped in the middle.
        longList();
        c->appendEntriesForTesting({QXMovieRepresentation::movieRepresentationWithURL(QUrl::fromLocalFile(dir.filePath("late.mp4")))});
        checkRows("appended");
        table()->scrollToTop();
        std::unique_ptr<RawMimeData> data(files({movie("x.mp4")}));
        QVERIFY(drop(data.get(), at(5, false)));
        QCOMPARE(names().at(5), QString("x.mp4"));
        QCOMPARE(c->playlist().count(), N + 2);
        checkRows("dropped");

        // With nothing current the picture names the selected entry, and follows Down.
        table()->scrollToTop();
        testsupport::selectRow(*c, 0);
        QVERIFY(!c->playlist().current());
        QCOMPARE(c->selectionMessage(), QString("\"e0000.mp4\"\nDouble-click to open"));
        QTest::qWait(100);
        const QImage before = testsupport::grabOnScreen(c->ui().playerView);
        press(Qt::Key_Down, 1);
        QCOMPARE(c->selectionMessage(), QString("\"e0001.mp4\"\nDouble-click to open"));
        VERIFY_SOON(testsupport::grabOnScreen(c->ui().playerView) != before, 3000);
    }

    void divider()
    {
        const QString key = QXKeys::DividerWidthFormat.arg(QXKeys::PlaylistDividerName);
        launch();
        auto *grip = c->ui().playerWindow->findChild<QXTarvelShiftButton *>();
        QVERIFY(grip);
        QWidget *pane = c->ui().playerWindow->playlistPane;
        const struct { QList<int> moves; int pane; } drags[] = {
            {{-40, -20}, 140},    // only the total counts
            {{-300}, 100},        // the minimum stops it
            {{120, -20}, 200},
        };
        // Every size the movie area takes on the way: it never changes.
        QList<QSize> areaSizes;
        struct SizeWatch : QObject
        {
            QList<QSize> *sizes;
            bool eventFilter(QObject *o, QEvent *e) override
            {
                if (e->type() == QEvent::Resize || e->type() == QEvent::Paint)
                    sizes->append(static_cast<QWidget *>(o)->size());
                return false;
            }
        } watch;
        watch.sizes = &areaSizes;
        c->ui().playerWindow->playerArea->installEventFilter(&watch);
        for (const auto &k : drags) {
            const int startPane = pane->width(), startWindow = c->ui().playerWindow->width();
            const QSize area = c->ui().playerWindow->playerArea->size();
            areaSizes.clear();
            const QPoint start = grip->rect().center();
            QTest::mousePress(grip, Qt::LeftButton, Qt::NoModifier, start);
            // Each move is in window coordinates from the press, wherever the grip is now.
            const QPoint pressInWindow = grip->mapTo(c->ui().playerWindow, start);
            QPoint to = pressInWindow;
            for (const int m : k.moves) {
                to += QPoint(m, 0);
                QMouseEvent move(QEvent::MouseMove, grip->mapFrom(c->ui().playerWindow, to), c->ui().playerWindow->mapToGlobal(to),
                                 Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(grip, &move);
                QTest::qWait(30);   // a pointer's pace: the window manager's answers come in between
            }
            QTest::mouseRelease(grip, Qt::LeftButton, Qt::NoModifier, grip->mapFrom(c->ui().playerWindow, to));
            QCOMPARE(pane->width(), k.pane);
            QTRY_COMPARE_WITH_TIMEOUT(c->ui().playerWindow->width(), startWindow + k.pane - startPane, 3000);   // by the amount applied
            QTRY_COMPARE(c->ui().playerWindow->playerArea->size(), area);   // the movie keeps its size
            QTest::qWait(100);
            QCOMPARE(QSet<QSize>(areaSizes.begin(), areaSizes.end()), (QSet<QSize>{area}));
            QCOMPARE(QXSettings::standard().doubleForKey(key), double(k.pane));
        }
        c->ui().playerWindow->playerArea->removeEventFilter(&watch);
        // A double click clicks the visibility switch.
        QTest::mouseDClick(grip, Qt::LeftButton);
        VERIFY_SOON(!pane->isVisible(), 5000);
        QVERIFY(QXSettings::standard().boolForKey(QXKeys::HidePlaylist));
        QVERIFY(!grip->isVisible());
        // Without a toggler a double click starts a drag like a press.
        c->togglePlaylistVisibility();
        VERIFY_SOON(pane->isVisible(), 5000);
        grip->visibilityTogglerControl = nullptr;
        QTest::mouseDClick(grip, Qt::LeftButton);
        QVERIFY(pane->isVisible());

        // Stored widths at launch.
        const int screen = c->ui().playerWindow->screen()->availableGeometry().width();
        const struct { QJsonValue stored; int pane; } launches[] = {
            {300.0, 300}, {60.0, 100}, {"abc", 200}, {1e9, -1}};
        for (const auto &k : launches) {
            launch({{key, k.stored}});
            pane = c->ui().playerWindow->playlistPane;
            if (k.pane > 0)
                QTRY_COMPARE(pane->width(), k.pane);
            else
                VERIFY2_SOON(pane->width() > 200 && c->ui().playerWindow->frameGeometry().width() <= screen,
                             qPrintable(QString("%1 %2").arg(pane->width()).arg(c->ui().playerWindow->frameGeometry().width())), 5000);
        }
    }
};

VISTREL_TEST_MAIN(TestTable)
#include "test_table_xvfb.moc"
