// Files, folders and addresses dragged by the real pointer (xdotool) from another window onto
// the player's picture, under a real window manager, with the picture in a native window of
// its own and painted by the view.
#include "player/QXWindowSizer.h"
#include "engine/QXMovieView.h"
#include "player/QXPlayerWindow.h"
#include "ControllerFixture.h"

#include <QProcess>
#include <QtTest>

class TestPictureDrop : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    QProcess openbox, server;
    QString base;
    std::unique_ptr<QXMPController> c;

    static QStringList xy(const QPoint &p) { return {QString::number(p.x()), QString::number(p.y())}; }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        qputenv("HOME", QFile::encodeName(dir.path()));
        QVERIFY(QDir(dir.path()).mkpath("folder/inner"));
        for (const QString &name : {"clip.mp4", "folder/b 10.mp4", "folder/inner/b 2.mp4"})
            QVERIFY(!testsupport::makeVideo(dir.path(), name, 64, 48, 1.0, false).isEmpty());
        base = testsupport::startServer(server, {testsupport::supportFile("test_http_server.py"), dir.path()});
        QVERIFY(!base.isEmpty());
        QVERIFY(testsupport::startWindowManager(openbox));
    }
    void cleanupTestCase()
    {
        c.reset();
        qunsetenv("VISTREL_VIEW");
        for (QProcess *p : {&openbox, &server}) {
            p->kill();
            p->waitForFinished();
        }
    }

    void dropsOpenOnThePicture_data()
    {
        QTest::addColumn<QString>("view");
        QTest::addColumn<QString>("dropped");   // under the test folder, or an address's path
        QTest::addColumn<QStringList>("listed");
        for (const QString view : {"native", "image"}) {
            QTest::addRow("file, %s", qPrintable(view)) << view << "clip.mp4" << QStringList{"clip.mp4"};
            QTest::addRow("folder, %s", qPrintable(view)) << view << "folder" << QStringList{"b 10.mp4", "b 2.mp4"};   // by path, walked
            QTest::addRow("address, %s", qPrintable(view)) << view << "/plain/clip.mp4"
                                                          << QStringList{base + "/plain/clip.mp4"};
        }
    }
    void dropsOpenOnThePicture()
    {
        QFETCH(QString, view);
        QFETCH(QString, dropped);
        QFETCH(QStringList, listed);
        qputenv("VISTREL_VIEW", view.toLatin1());
        testsupport::launchFreshController(c, dir.path());
        QCOMPARE(c->ui().playerView->drawsInNativeWindow(), view == "native");
        c->windowSizer()->showPlayerWindow();
        QVERIFY(QTest::qWaitForWindowExposed(c->ui().playerWindow));
        c->ui().playerWindow->move(420, 60);

        testsupport::DragSource source;
        source.urls = {dropped.startsWith('/') ? QUrl(base + dropped) : QUrl::fromLocalFile(dir.filePath(dropped))};
        source.setGeometry(40, 560, 160, 120);
        source.show();
        QVERIFY(QTest::qWaitForWindowExposed(&source));
        QTest::qWait(400);   // both placed by the window manager
        const QRect picture(c->ui().playerView->mapToGlobal(QPoint(0, 0)), c->ui().playerView->size());
        const QPoint from = source.mapToGlobal(source.rect().center());
        QVERIFY(!picture.contains(from) && !source.geometry().intersects(picture));

        QStringList args = QStringList{"mousemove"} + xy(from) + QStringList{"mousedown", "1", "sleep", "0.2"};
        for (int i = 1; i <= 6; ++i)
            args << "mousemove" << xy(from + (picture.center() - from) * i / 6) << "sleep" << "0.1";
        args << "sleep" << "0.3" << "mouseup" << "1";
        QProcess xdotool;
        xdotool.start("xdotool", args);
        VERIFY_SOON(xdotool.state() == QProcess::NotRunning, 15000);

        // The source learns the player copied the item, and the item opens.
        QCOMPARE(source.result, Qt::CopyAction);
        VERIFY2_SOON(testsupport::playlistNames(*c) == listed,
                     qPrintable(testsupport::playlistNames(*c).join(", ")), 8000);
        QVERIFY(c->playlist().current());
        QCOMPARE(c->playlist().current()->displayName(), listed.first());
        QCOMPARE(c->beepCount(), 0);
    }
};

VISTREL_TEST_MAIN(TestPictureDrop)
#include "test_picture_drop_xvfb.moc"
