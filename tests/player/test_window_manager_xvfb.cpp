// The player window's sizes, zoom, drags and presentation under a real window manager (openbox).
#include "engine/QXMovieView.h"
#include "player/QXControlBar.h"
#include "player/QXPlayerWindow.h"
#include "player/QXWindowSizer.h"
#include "ControllerFixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QProcess>
#include <QScreen>
#include <QtTest>

class TestWindowManager : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    QProcess openbox;
    std::unique_ptr<QXMPController> c;

    QUrl movie(int width, int height)
    {
        return QUrl::fromLocalFile(testsupport::makeVideo(dir.path(), QString("m%1x%2.mp4").arg(width).arg(height),
                                                          width, height, 20.0, false));
    }
    QRect frame() const { return c->ui().playerWindow->frameGeometry(); }
    QRect available() const { return c->ui().playerWindow->screen()->availableGeometry(); }
    double areaAspect() const { return c->windowSizer()->playerAreaSize().width() / c->windowSizer()->playerAreaSize().height(); }
    // Settled: the window manager has answered the last configure request.
    void settle() { QTest::qWait(400); }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        qputenv("HOME", QFile::encodeName(dir.path()));
        QVERIFY(testsupport::startWindowManager(openbox));
    }
    void cleanupTestCase()
    {
        c.reset();
        openbox.kill();
        openbox.waitForFinished();
    }
    void init() { testsupport::launchFreshController(c, dir.path()); }

    void largeMoviesOpenFittedToTheScreen_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("scaleTag");
        QTest::addColumn<bool>("turned");
        QTest::newRow("720p with the pane") << QSize(1280, 720) << 10 << false;
        QTest::newRow("portrait") << QSize(200, 800) << 10 << false;
        QTest::newRow("double size") << QSize(640, 480) << 20 << false;
        QTest::newRow("tall, turned") << QSize(480, 640) << 10 << true;
    }
    void largeMoviesOpenFittedToTheScreen()
    {
        QFETCH(QSize, size);
        QFETCH(int, scaleTag);
        QFETCH(bool, turned);
        QVERIFY(c->openMovies({movie(size.width(), size.height())}, false));
        c->windowSizer()->setScale(scaleTag);
        if (turned)
            c->rotateByAngle(90);
        const QSize shown = turned ? size.transposed() : size;
        // Once the window manager has framed and placed it (a loaded machine takes a while).
        VERIFY2_SOON(available().contains(frame()),
                     qPrintable(QString("%1,%2 %3x%4").arg(frame().x()).arg(frame().y())
                                    .arg(frame().width()).arg(frame().height())), 8000);
        QVERIFY(qAbs(areaAspect() - double(shown.width()) / shown.height()) < 0.01);
        // The magnification follows what the window shows.
        QVERIFY(qAbs(c->windowSizer()->magnification() - c->windowSizer()->playerAreaSize().width() / shown.width()) < 0.01);

        // Presentation and back keeps it there.
        c->presentation()->togglePresentation();
        QVERIFY(c->presentation()->isPresenting());
        c->presentation()->togglePresentation();
        VERIFY_SOON(available().contains(frame()), 8000);
    }

    void veryTallAndWideMoviesStayOnTheScreen_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("pane");
        QTest::newRow("very tall") << QSize(200, 3000) << false;
        QTest::newRow("very tall with the pane") << QSize(200, 3000) << true;
        QTest::newRow("very wide with the pane") << QSize(4000, 100) << true;
    }
    void veryTallAndWideMoviesStayOnTheScreen()
    {
        // Too tall or wide to keep its proportions at the window's least size: fitted as a 4K
        // movie is, and the window may not be held larger than the screen by its minimum.
        QFETCH(QSize, size);
        QFETCH(bool, pane);
        if (!pane)
            c->togglePlaylistVisibility();
        const QString name = QString("x%1x%2.mp4").arg(size.width()).arg(size.height());
        QVERIFY(c->openMovies({QUrl::fromLocalFile(testsupport::makeVideo(dir.path(), name, size.width(), size.height(),
                                                                          2.0, false))}, false));
        VERIFY_SOON(available().contains(frame()), 8000);
        settle();   // and stays there once the window manager has answered
        QVERIFY2(available().contains(frame()), qPrintable(QString("%1x%2, least %3x%4").arg(frame().width())
                                                               .arg(frame().height()).arg(c->ui().playerWindow->minimumWidth())
                                                               .arg(c->ui().playerWindow->minimumHeight())));
        QVERIFY(frame().height() == available().height() || frame().width() == available().width());
        const QSize decorations = frame().size() - c->ui().playerWindow->size();
        QVERIFY(c->ui().playerWindow->minimumWidth() + decorations.width() <= available().width());
        QVERIFY(c->ui().playerWindow->minimumHeight() + decorations.height() <= available().height());
        const QRect bar(c->controlBar()->playPauseSwitch()->mapToGlobal(QPoint(0, 0)), c->controlBar()->playPauseSwitch()->size());
        QVERIFY(c->controlBar()->playPauseSwitch()->isVisible() && available().contains(bar));
        QDir().mkpath("/tmp/vistrel-shots");   // for a person to look at
        c->ui().playerWindow->screen()->grabWindow(0).save(QString("/tmp/vistrel-shots/%1.png").arg(QTest::currentDataTag()));
    }

    void narrowMoviesKeepTheirProportions()
    {
        // Narrower than the controls: the picture grows with the window, never squeezed.
        QVERIFY(c->openMovies({movie(100, 80)}, false));
        settle();
        QVERIFY(qAbs(areaAspect() - 1.25) < 0.01);
        QVERIFY(c->ui().playerWindow->width() >= c->ui().playerWindow->minimumWidth());
        c->windowSizer()->resizePlayerWindowForSize(QSizeF(40, 32));
        QVERIFY(qAbs(areaAspect() - 1.25) < 0.01);
        // Hiding the pane leaves the player area as it was.
        const QSizeF area = c->windowSizer()->playerAreaSize();
        c->togglePlaylistVisibility();
        settle();
        QCOMPARE(c->windowSizer()->playerAreaSize(), area);
        c->togglePlaylistVisibility();
        settle();
        QCOMPARE(c->windowSizer()->playerAreaSize(), area);
    }

    void maximizeZoomsAndDragsKeepProportions()
    {
        QVERIFY(c->openMovies({movie(640, 360)}, false));
        settle();
        const QRect before = frame();
        // The maximize button: the proportional zoom frame, not a fill; again: back.
        c->ui().playerWindow->showMaximized();
        VERIFY_SOON(!c->ui().playerWindow->isMaximized(), 5000);
        // Once the zoom has landed (a loaded machine takes its time).
        VERIFY2_SOON(frame().width() == available().width() || frame().height() == available().height(),
                     qPrintable(QString("%1,%2 %3x%4").arg(frame().x()).arg(frame().y())
                                    .arg(frame().width()).arg(frame().height())), 8000);
        VERIFY_SOON(available().contains(frame()), 5000);
        VERIFY_SOON(qAbs(areaAspect() - 16.0 / 9) < 0.01, 5000);
        c->ui().playerWindow->showMaximized();
        VERIFY_SOON(!c->ui().playerWindow->isMaximized(), 5000);
        QTRY_COMPARE(frame(), before);

        // A drag on the frame's corner: the window manager keeps the proportions all along,
        // and what Qt lays out is what the X server has.
        // On a loaded machine the window manager may miss the press on its grip: drag again.
        for (int attempt = 0; attempt < 3 && frame().width() >= before.width(); ++attempt) {
            const QPoint corner = frame().bottomRight() - QPoint(2, 2);
            const auto to = [&corner](int step) {
                return QStringList{"mousemove", QString::number(corner.x() - 30 * step),
                                   QString::number(corner.y() - 5 * step), "sleep", "0.3"};
            };
            QStringList drag = to(0) + QStringList{"mousedown", "1", "sleep", "0.3"};
            for (int step = 1; step <= 6; ++step)
                drag += to(step);
            testsupport::runTool("xdotool", drag + QStringList{"mouseup", "1"});
            (void)QTest::qWaitFor([&] { return frame().width() < before.width(); }, 2500);
        }
        QVERIFY2(frame().width() < before.width(), "the drag did not resize the window");
        settle();
        QVERIFY2(qAbs(c->windowSizer()->playerAreaSize().height() - c->windowSizer()->playerAreaSize().width() * 9 / 16) <= 1.0,
                 qPrintable(QString("%1x%2").arg(c->windowSizer()->playerAreaSize().width()).arg(c->windowSizer()->playerAreaSize().height())));
        const QString info = testsupport::runTool("xwininfo", {"-id", QString::number(c->ui().playerWindow->winId())});
        QVERIFY(info.contains(QString("Width: %1").arg(c->ui().playerWindow->width())));
        QVERIFY(info.contains(QString("Height: %1").arg(c->ui().playerWindow->height())));
    }

    void presentationClosedByTheWindowManager()
    {
        QVERIFY(c->openMovies({movie(320, 240)}, false));
        c->presentation()->togglePresentation();
        QVERIFY(c->presentation()->isPresenting());
        // Active in the window manager's eyes too, or its key closes the window below.
        const QString presentation = QString::number(c->presentation()->window()->winId());
        VERIFY_SOON(c->presentation()->window()->isActiveWindow()
                        && testsupport::runTool("xdotool", {"getactivewindow"}) == presentation, 5000);
        testsupport::runTool("xdotool", {"key", "--clearmodifiers", "alt+F4"});
        VERIFY_SOON(!c->presentation()->isPresenting(), 5000);
        QVERIFY(c->ui().playerWindow->isVisible());
        QVERIFY(!c->ui().presentationMenuItem->isChecked());
    }

    void rotatedFilesShowTurned()
    {
        // A phone video's track header turns the picture a quarter (its display matrix): sized
        // with its sides swapped and drawn unstretched.
        const QString plain = testsupport::makeVideo(dir.path(), "upright.mp4", 320, 240, 5.0, false);
        const QString path = testsupport::ffmpeg(dir.filePath("phone.mp4"), {"-i", plain, "-c", "copy", "-metadata:s:v:0", "rotate=90"});
        QVERIFY(!path.isEmpty());
        QVERIFY(c->openMovies({QUrl::fromLocalFile(path)}, false));
        QCOMPARE(c->windowSizer()->playerAreaSize(), QSizeF(240, 320));
        VERIFY_SOON(c->ui().playerView->framesDrawn() > 3, 5000);
        const QImage picture = c->ui().playerView->grabFramebuffer();
        // The test picture's colour bars run across the screen once turned: colours change
        // down a column, hardly along a row.
        const auto jumps = [&picture](QPoint from, QPoint step) {
            int n = 0;
            for (int i = 1; i < 200; ++i) {
                const QColor a = picture.pixelColor(from + step * (i - 1)), b = picture.pixelColor(from + step * i);
                n += qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue()) > 150;
            }
            return n;
        };
        const int alongRow = jumps({20, 250}, {1, 0}), downColumn = jumps({60, 60}, {0, 1});
        QVERIFY2(downColumn > alongRow, qPrintable(QString("%1 %2").arg(downColumn).arg(alongRow)));
    }
};

VISTREL_TEST_MAIN(TestWindowManager)
#include "test_window_manager_xvfb.moc"
