// The playlist table's drop, drag, payload, divider and open-panel rules, without a window.
#include "controls/QXTarvelShiftButton.h"
#include "playlist/QXOpenPanel.h"
#include "playlist/QXPasteboard.h"
#include "playlist/QXPlaylistDrop.h"
#include "TestSupport.h"

#include <QFile>
#include <QJsonValue>
#include <QMimeData>
#include <QtTest>

#include <cmath>
#include <limits>

using Op = QXDropOperation;

using testsupport::RawMimeData;

class TestDropRules : public QObject
{
    Q_OBJECT
private slots:
    void dropTargets()
    {
        // Rows 20 high: outer quarters between rows, middle half on; below the last row after it.
        const struct { int row; double offset; int count; QXDropTarget want; } cases[] = {
            {2, 0, 6, {2, Op::Above}},   {2, 4.9, 6, {2, Op::Above}}, {2, 5, 6, {2, Op::On}},
            {2, 14.9, 6, {2, Op::On}},   {2, 15, 6, {3, Op::Above}},  {5, 19, 6, {6, Op::Above}},
            {-1, 0, 6, {6, Op::Above}},  {-1, 0, 0, {0, Op::Above}},
        };
        for (const auto &k : cases)
            QCOMPARE(QXDropTargetAt(k.row, k.offset, 20, k.count), k.want);
    }

    void moveSources()
    {
        const struct { int payload; bool own; int count, entry, target, want; } cases[] = {
            {2, true, 6, 2, 1, 2},    // row 2 into the gap above row 1
            {0, true, 6, 0, 2, 0},    // row 0 below row 1
            {2, true, 6, 2, 2, -1},   // the gaps next to itself are no move
            {2, true, 6, 2, 3, -1},
            {2, false, 6, 2, 0, -1},  // another table's row
            {-1, true, 6, 2, 0, -1},  // no payload (under 4 bytes)
            {7, true, 6, 2, 0, -1},   // out of range
            {2, true, 6, 4, 0, 4},    // the list changed: the held entry's row moves
            {2, true, 6, -1, 0, -1},  // the held entry has gone
        };
        for (const auto &k : cases)
            QCOMPARE(QXMoveSourceRow(k.payload, k.own, k.count, k.entry, k.target), k.want);
        QCOMPARE(QXMovedRowDestination(2, 1), 1);
        QCOMPARE(QXMovedRowDestination(0, 2), 1);
    }

    void validation()
    {
        const struct { Op op; int source; bool offers, empty; QXDragOperation want; } cases[] = {
            {Op::Above, 2, false, false, QXDragOperationMove}, {Op::On, 2, false, false, QXDragOperationNone},
            {Op::Above, -1, false, false, QXDragOperationNone}, {Op::Above, -1, true, false, QXDragOperationCopy},
            {Op::On, -1, true, false, QXDragOperationNone},     {Op::On, -1, true, true, QXDragOperationCopy},
        };
        for (const auto &k : cases)
            QCOMPARE(QXValidateDrop(k.op, k.source, k.offers, k.empty), k.want);
        QCOMPARE(QXDropInsertionIndex({0, Op::On}, true), 0);
        QCOMPARE(QXDropInsertionIndex({3, Op::On}, false), -1);
    }

    void dropPlans()
    {
        const QList<QByteArray> six{"a", "b", "c", "d", "e", "f"};
        const struct { QList<QByteArray> incoming; int at; QList<int> removed; int insertAt; } cases[] = {
            {{"x", "y"}, 4, {}, 4},
            {{"b", "y"}, 4, {1}, 3},        // listed above: it leaves, the rest land one higher
            {{"f", "y"}, 4, {5}, 4},        // listed below: no change to the spot
            {{"a", "b", "e"}, 2, {0, 1, 4}, 0},
        };
        for (const auto &k : cases) {
            const QXDropPlan plan = QXPlanDrop(six, k.incoming, k.at);
            QCOMPARE(plan.removedRows, k.removed);
            QCOMPARE(plan.insertAt, k.insertAt);
        }
    }

    void payloads()
    {
        // The row travels under the private type as a native 32-bit integer.
        const QString rowType = "application/x-org.vistrel.player.QXMovieListPlayerPasteboardType";
        QCOMPARE(QXPasteboard::internalMoviePasteboardType(), rowType);
        QMimeData row;
        QXPasteboard::setTableRow(&row, 4);
        QCOMPARE(row.formats(), QStringList{rowType});
        const qint32 four = 4;
        QCOMPARE(row.data(rowType), QByteArray(reinterpret_cast<const char *>(&four), sizeof four));
        QCOMPARE(QXPasteboard::tableRow(&row), 4);
        QMimeData shortRow, none;
        shortRow.setData(QXPasteboard::internalMoviePasteboardType(), QByteArray("\x01\x00\x00", 3));
        QCOMPARE(QXPasteboard::tableRow(&shortRow), -1);
        QCOMPARE(QXPasteboard::tableRow(&none), -1);

        RawMimeData mixed;
        mixed.raw.insert("text/uri-list", "# comment\r\nfile:///tmp/a%20b.mp4\r\nhttp://h/x.mp4\r\nfile:///tmp/c.mp4\r\n");
        QCOMPARE(QXPasteboard::filenames(&mixed), (QStringList{"/tmp/a b.mp4", "/tmp/c.mp4"}));
        QCOMPARE(QXPasteboard::url(&mixed), QUrl("http://h/x.mp4"));
        RawMimeData moz;   // browsers: UTF-16, address then title
        const QString text = QStringLiteral("http://h/y.mp4\nA title");
        moz.raw.insert("text/x-moz-url", QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2));
        QCOMPARE(QXPasteboard::url(&moz), QUrl("http://h/y.mp4"));
        QVERIFY(QXPasteboard::filenames(&moz).isEmpty());
        RawMimeData bad;
        bad.raw.insert("text/uri-list", "http://h/a b.mp4\n");
        QVERIFY(QXPasteboard::hasURL(&bad));
        QVERIFY(QXPasteboard::url(&bad).isEmpty());
    }

    void addressLines()
    {
        const struct { QString text; QStringList want; } cases[] = {
            {"http://b/2.mp4\n\nhttp://a/1.mp4", {"http://b/2.mp4", "http://a/1.mp4"}},
            {" http://a/1.mp4\nhttp://a/2.mp4", {"http://a/2.mp4"}},   // a leading blank makes none
            {"http://a/1.mp4\r\nhttp://a/2.mp4\r\n", {}},              // the CR stays on its line
            {"http://a/\xe9.mp4\nhttp://a/%zz\nhttp://a/a%20b.mp4\nhttp://a/<x>", {"http://a/a%20b.mp4"}},
            {"", {}},
        };
        for (const auto &k : cases) {
            QStringList got;
            for (const QUrl &u : QXURLsFromLines(k.text))
                got << u.toString(QUrl::FullyEncoded);
            QCOMPARE(got, k.want);
        }
    }

    void tiling()
    {
        // start left 200 at x 0, right view at 201, window 800; screen 1280 wide.
        const struct { double d, minimum, max; double left, windowWidth; } cases[] = {
            {50, 100, 1280, 250, 850},   {-150, 100, 1280, 100, 700},   // the minimum stops it
            {-150, 200, 1280, 200, 800}, {1000, 100, 1280, 680, 1280},  // never past the screen
            {1000, 100, 0, 1200, 1800},  {-10, 300, 1280, 300, 900},    // a minimum above the start widens
        };
        for (const auto &k : cases) {
            const QXTarvelTiling t = QXTarvelTile(200, 201, 800, k.d, k.minimum, k.max);
            QCOMPARE(t.leftWidth, k.left);
            QCOMPARE(t.windowWidth, k.windowWidth);
            QCOMPARE(t.rightX, 201 + t.applied);
            QCOMPARE(t.applied, k.left - 200);
        }
        // Only the total counts: steps from the same start end where one step does.
        QCOMPARE(QXTarvelTile(200, 201, 800, -30 + 80 - 20, 100, 1280).leftWidth,
                 QXTarvelTile(200, 201, 800, 30, 100, 1280).leftWidth);

        const struct { QJsonValue stored; double want; } stored[] = {
            {300.0, 300}, {60.0, 60}, {"abc", -1}, {1e9, 1e9}, {0.0, -1}, {-5.0, -1}, {QJsonValue(), -1},
            {std::numeric_limits<double>::infinity(), -1},
        };
        for (const auto &k : stored)
            QCOMPARE(QXTarvelStoredWidth(k.stored), k.want);
    }

    void openPanelFilter()
    {
        QTemporaryDir dir;
        const QString movie = testsupport::makeVideo(dir.path(), "clip.mp4", 64, 48, 1.0, false);
        testsupport::makeFile(dir.path(), "notes.txt", "hello\n");
        testsupport::makeFile(dir.path(), "fake.mp4", "plain text, not a movie\n");
        QDir(dir.path()).mkdir("folder");
        QFile::link(movie, dir.filePath("link"));
        QFile::link(dir.filePath("missing.mp4"), dir.filePath("broken.mp4"));
        const struct { QString path; bool shown; } cases[] = {
            {dir.filePath("folder"), true}, {movie, true},  {dir.filePath("link"), true},
            {dir.filePath("notes.txt"), false}, {dir.filePath("broken.mp4"), false}, {dir.filePath("fake.mp4"), false},
            {"/proc", false}, {"/proc/self", false}, {dir.filePath("nothing"), false},
        };
        for (const auto &k : cases)
            QVERIFY2(QXOpenPanelShouldShowFilename(k.path) == k.shown, qPrintable(k.path));
    }
};

QTEST_MAIN(TestDropRules)
#include "test_drop_rules.moc"
