// Row drags with the real pointer (xdotool, through XTest) under a real window manager.
#include "engine/QXMovieView.h"
#include "player/QXPlayerWindow.h"
#include "ControllerFixture.h"

#include <QApplication>
#include <QJsonDocument>
#include <QJsonArray>
#include <QProcess>
#include <QtTest>

class TestTableDrag : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<QXMPController> c;
    QProcess openbox;
    bool offTableCursor = false;

    QStringList names() const { return testsupport::playlistNames(*c); }
    QXMovieTableView *table() const { return c->ui().playerHistoryList; }
    QPoint rowCentre(int row) const
    {
        return table()->viewport()->mapToGlobal(QPoint(60, table()->rowViewportPosition(row) + 10));
    }
    static QStringList xy(const QPoint &p) { return {QString::number(p.x()), QString::number(p.y())}; }

    // Presses on `from`, moves through `path` in steps, then runs `before` (keys) and lets go.
    // Runs while the event loop turns, as a user's drag does; whether the puff showed.
    bool drag(const QPoint &from, const QList<QPoint> &path, const QStringList &before = {})
    {
        QStringList args = QStringList{"mousemove"} + xy(from) + QStringList{"mousedown", "1", "sleep", "0.2"};
        QPoint last = from;
        for (const QPoint &to : path) {
            for (int i = 1; i <= 4; ++i)
                args << "mousemove" << xy(last + (to - last) * i / 4) << "sleep" << "0.08";
            last = to;
        }
        args << "sleep" << "0.3" << before << "mouseup" << "1";
        QProcess xdotool;
        xdotool.start("xdotool", args);
        bool puff = false;
        offTableCursor = false;
        // The drag runs its own event loop: a timer looks while it runs.
        QTimer look;
        look.setInterval(10);
        connect(&look, &QTimer::timeout, this, [&] {
            // Off the table the drag shows our own cursor, and the table knows it.
            const QCursor *cursor = QGuiApplication::overrideCursor();
            offTableCursor = offTableCursor
                             || (table()->isDisappearingItemCursorSet() && cursor && !cursor->pixmap().isNull());
        });
        look.start();
        const auto lookForPuff = [&] {
            for (QWidget *w : QApplication::topLevelWidgets())
                puff = puff || (w->objectName() == "QXPoofWindow" && w->isVisible());
        };
        const bool done = QTest::qWaitFor([&] {
            lookForPuff();
            return xdotool.state() == QProcess::NotRunning;
        }, 15000);
        // The puff plays for about a quarter of a second after the release.
        static_cast<void>(QTest::qWaitFor([&] { lookForPuff(); return puff; }, 500));
        return done && puff;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(testsupport::startWindowManager(openbox));
    }
    void cleanupTestCase()
    {
        c.reset();
        openbox.kill();
        openbox.waitForFinished();
    }

    void init()
    {
        testsupport::launchFreshController(c, dir.path());
        QXSettings::standard().setBool(true, QXKeys::DoNotForgetPlaylistOnQuit);
        QList<QUrl> urls;
        for (int i = 1; i <= 6; ++i)
            urls << QUrl::fromLocalFile(testsupport::makeVideo(dir.path(), QStringLiteral("m%1.mp4").arg(i), 64, 48, 1.0, false));
        QVERIFY(c->openMovies(urls, false));
        c->pause();
        c->ui().playerWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(c->ui().playerWindow));
        c->ui().playerWindow->resize(640, 400);
        c->ui().playerWindow->activateWindow();
        VERIFY_SOON(c->ui().playerWindow->isActiveWindow(), 5000);
        QTest::qWait(300);
    }

    void clickAndDoubleClick()
    {
        // A click selects and the picture's message follows; a double click opens.
        c->chooseNoMovie();
        const QPoint row3 = table()->viewport()->mapFromGlobal(rowCentre(3));
        QTest::mouseClick(table()->viewport(), Qt::LeftButton, Qt::NoModifier, row3);
        QTRY_COMPARE(c->selectionMessage(), QString("\"m4.mp4\"\nDouble-click to open"));
        QVERIFY(!c->playlist().current());
        QTest::mouseDClick(table()->viewport(), Qt::LeftButton, Qt::NoModifier, row3);
        VERIFY_SOON(c->playlist().current() == c->playlist().entries().at(3), 5000);
        QCOMPARE(c->ui().playerHistoryList->focusPolicy(), Qt::NoFocus);
    }

    void reorder()
    {
        // Row 4 into the gap above row 1.
        const QPoint gap = table()->viewport()->mapToGlobal(QPoint(60, table()->rowViewportPosition(1) + 2));
        QVERIFY(!drag(rowCentre(4), {rowCentre(3), gap}));
        QCOMPARE(names(), (QStringList{"m1.mp4", "m5.mp4", "m2.mp4", "m3.mp4", "m4.mp4", "m6.mp4"}));
        QVERIFY(!offTableCursor);
    }

    void dragOutOverThePicture()
    {
        const QPoint picture = c->ui().playerView->mapToGlobal(c->ui().playerView->rect().center());
        QVERIFY(drag(rowCentre(2), {rowCentre(2) + QPoint(0, 30), picture}));
        QCOMPARE(names(), (QStringList{"m1.mp4", "m2.mp4", "m4.mp4", "m5.mp4", "m6.mp4"}));
        QVERIFY(offTableCursor);
        c->applicationShouldTerminate();
        const QJsonArray saved = QXSettings::standard().storedPlaylist();
        QCOMPARE(saved.size(), 5);
        QVERIFY(!QJsonDocument(saved).toJson().contains("m3.mp4"));
    }

    void escapeCancels()
    {
        const QPoint picture = c->ui().playerView->mapToGlobal(c->ui().playerView->rect().center());
        QVERIFY(!drag(rowCentre(1), {rowCentre(1) + QPoint(0, 30), picture}, {"key", "Escape", "sleep", "0.2"}));
        QCOMPARE(names(), (QStringList{"m1.mp4", "m2.mp4", "m3.mp4", "m4.mp4", "m5.mp4", "m6.mp4"}));
    }
};

VISTREL_TEST_MAIN(TestTableDrag)
#include "test_table_drag_xvfb.moc"
