// The window's sizer on its own: magnification, the lock, zoom and the kept position, with a
// picture size the test chooses and a window laid out like the player's.
#include "app/QXSettings.h"
#include "engine/QXMovieView.h"
#include "player/QXControlBar.h"
#include "player/QXPlayerOverlay.h"
#include "player/QXPlayerWindow.h"
#include "player/QXWindowSizer.h"
#include "TestSupport.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QJsonObject>
#include <QSignalSpy>
#include <QtTest>

namespace {

struct Host : QXWindowSizerHost
{
    std::optional<QSizeF> picture;
    bool chosen = false, video = false, presenting = false;
    std::optional<QSizeF> currentPictureSize() const override { return picture; }
    bool hasCurrentMovie() const override { return chosen; }
    bool currentMovieHasVideo() const override { return video; }
    bool isPresenting() const override { return presenting; }
    bool controlBarTakesWindowRoom() const override { return true; }
    void open(QSizeF size)
    {
        picture = size;
        chosen = video = true;
    }
};

} // namespace

class TestWindowSizer : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    Host host;
    std::unique_ptr<QXPlayerWindow> window;
    QXControlBar *bar = nullptr;
    QXWindowSizer *sizer = nullptr;
    QList<QAction *> scaleItems;

    QSizeF area() const { return sizer->playerAreaSize(); }
    // The tags of the size items that are on.
    QList<int> checkedTags() const
    {
        QList<int> tags;
        for (QAction *a : scaleItems)
            if (a->isChecked())
                tags << a->data().toInt();
        return tags;
    }

private slots:
    void initTestCase() { QVERIFY(dir.isValid()); }

    void init()
    {
        // Each case finds the settings a fresh process finds.
        static int n = 0;
        testsupport::isolateSettings(dir.filePath(QString("config%1").arg(++n)));
        QXSettings::resetStandard();
        host = Host();
        // The player window's parts that are not the picture: the pane, its divider, the bar.
        window = std::make_unique<QXPlayerWindow>();
        auto *root = new QWidget(window.get());
        auto *row = new QHBoxLayout(root);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(0);
        window->playlistPane = new QWidget(root);
        window->playlistPane->setFixedWidth(200);
        window->playlistDivider = new QWidget(root);
        window->playlistDivider->setFixedWidth(1);
        window->playerArea = new QWidget(root);
        auto *column = new QVBoxLayout(window->playerArea);
        column->setContentsMargins(0, 0, 0, 0);
        auto *view = new QXMovieView(window->playerArea);
        column->addWidget(view, 1);
        // The static bar's room; the bar itself holds the lock (the overlay places it).
        column->addSpacing(QXOverlay::StaticHeight);
        bar = new QXControlBar(window->playerArea);
        bar->hide();
        bar->setAspectRatioLocked(true);   // as "Variable Aspect Ratio" is at first
        for (QWidget *part : {window->playlistPane, window->playlistDivider, window->playerArea})
            row->addWidget(part, part == window->playerArea);
        window->setCentralWidget(root);
        sizer = new QXWindowSizer(&host, window.get(), view, bar, window.get());
        scaleItems.clear();
        for (int tag : {5, 10, 20}) {
            auto *a = new QAction(window.get());
            a->setCheckable(true);
            a->setData(tag);
            scaleItems << a;
        }
        sizer->setMenuItems(scaleItems, new QAction(window.get()));
        sizer->resizePlayerWindowForSize(QXMovieView::defaultSize());
    }
    void cleanup() { window.reset(); }

    void scaleCommandsSizeThePicture()
    {
        QSignalSpy refused(sizer, &QXWindowSizer::refused);
        using Step = std::function<void(QXWindowSizer *, Host &)>;
        const struct { const char *step; Step act; float magnification; QSizeF area; QList<int> checked; int refusals; } steps[] = {
            {"double", [](QXWindowSizer *s, Host &h) { h.open({160, 120}); s->setScale(20); }, 2.0f, {320, 240}, {20}, 0},
            {"smaller", [](QXWindowSizer *s, Host &) { s->decreaseScale(); }, 1.5f, {240, 180}, {}, 0},
            {"larger", [](QXWindowSizer *s, Host &) { s->increaseScale(); }, 2.0f, {320, 240}, {20}, 0},
            // Half of 160 is narrower than the controls: grown to their width, proportions kept.
            {"half", [](QXWindowSizer *s, Host &) { s->setScale(5); }, 0.5f, {150, 112.5}, {5}, 0},
            {"while presenting", [](QXWindowSizer *s, Host &h) {
                 h.presenting = true;
                 s->setScale(20);
                 s->increaseScale();
                 s->decreaseScale();
             }, 0.5f, {150, 112.5}, {5}, 3},
            // Nothing chosen: the magnification waits for the next movie, the window stays.
            {"nothing chosen", [](QXWindowSizer *s, Host &h) { h = Host(); s->setScale(20); }, 2.0f, {150, 112.5}, {20}, 3},
            // Already grown to the controls' width, a smaller size would show the same: kept.
            {"grown", [](QXWindowSizer *s, Host &h) { h.open({100, 80}); s->setScale(10); }, 1.0f, {150, 120}, {10}, 3},
            {"no smaller", [](QXWindowSizer *s, Host &) { s->decreaseScale(); }, 1.0f, {150, 120}, {10}, 3},
        };
        for (const auto &s : steps) {
            s.act(sizer, host);
            QVERIFY2(sizer->magnification() == s.magnification, s.step);
            QVERIFY2(qAbs(area().width() - s.area.width()) < 1 && qAbs(area().height() - s.area.height()) < 1,
                     qPrintable(QString("%1: %2x%3").arg(s.step).arg(area().width()).arg(area().height())));
            QVERIFY2(checkedTags() == s.checked, s.step);
            QVERIFY2(refused.count() == s.refusals, s.step);
        }
    }

    void aResizeByTheUserSetsTheMagnification_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::newRow("free") << false;
        QTest::newRow("locked") << true;
    }
    void aResizeByTheUserSetsTheMagnification()
    {
        QFETCH(bool, locked);
        host.open({160, 120});
        sizer->resizePlayerWindowForCurrentMagnification();
        bar->setAspectRatioLocked(locked);
        const QSize chrome = window->size() - area().toSize();
        window->resize(chrome.width() + 200, window->height());
        sizer->windowDidResizeByUser(window->size());
        QCOMPARE(sizer->magnification(), 1.25f);
        QVERIFY(checkedTags().isEmpty());
        // Once the drag has come to rest, the lock gives the height its proportion.
        if (locked)
            VERIFY_SOON(area().height() == 150, 2000);
        else
            QTest::qWait(400);
        QCOMPARE(area(), QSizeF(200, locked ? 150 : 120));
    }

    void zoomGoesToTheScreenAndBack()
    {
        host.open({160, 120});
        sizer->resizePlayerWindowForCurrentMagnification();
        const QRectF before = sizer->playerWindowFrame();
        QVERIFY(!sizer->playerWindowIsZoomedWithAspectRatioLock(true));
        sizer->zoomPlayerWindow();
        QVERIFY(sizer->playerWindowIsZoomedWithAspectRatioLock(true));
        QVERIFY(sizer->playerWindowFrame().height() > before.height());
        QVERIFY(qAbs(area().width() / area().height() - 4.0 / 3) < 0.01);
        QCOMPARE(sizer->magnification(), float(area().width() / 160));
        sizer->zoomPlayerWindow();
        QCOMPARE(sizer->playerWindowFrame(), before);
        QCOMPARE(sizer->magnification(), 1.0f);
    }

    void aNewMovieTakesTheSizeItShouldHave()
    {
        host.open({160, 120});
        sizer->setScale(20);
        // The same picture size: the magnification stays, whatever the entry remembers.
        QVERIFY(sizer->rememberLeavingMovie(true));
        QVERIFY(!sizer->followNewMovie(true, {400, 300}));
        QCOMPARE(sizer->magnification(), 2.0f);
        QCOMPARE(area(), QSizeF(320, 240));
        // Another size: the size the entry remembers, when it may.
        QVERIFY(sizer->rememberLeavingMovie(true));
        host.open({200, 100});
        QVERIFY(sizer->followNewMovie(true, {300, 150}));
        QCOMPARE(sizer->magnification(), 1.5f);
        QCOMPARE(area(), QSizeF(300, 150));
        // Else actual size.
        QVERIFY(sizer->rememberLeavingMovie(true));
        host.open({240, 160});
        QVERIFY(!sizer->followNewMovie(false, {300, 150}));
        QCOMPARE(sizer->magnification(), 1.0f);
        QCOMPARE(area(), QSizeF(240, 160));
        // A zoomed window stays zoomed for the next picture.
        sizer->fitPlayerWindowToScreen();
        QVERIFY(sizer->rememberLeavingMovie(true));
        host.open({320, 180});
        sizer->followNewMovie(false, {});
        QVERIFY(sizer->playerWindowIsZoomedWithAspectRatioLock(true));
        // No picture open: nothing is remembered, and the next one starts from its own size.
        host.picture.reset();
        QVERIFY(!sizer->rememberLeavingMovie(true));
        host.open({320, 180});
        sizer->followNewMovie(false, {});
        QCOMPARE(area(), QSizeF(320, 180));
    }

    void theKeptPositionIsRestoredOnlyWhereReachable_data()
    {
        QTest::addColumn<QJsonObject>("stored");
        QTest::addColumn<bool>("moved");
        QTest::newRow("on the screen") << QJsonObject{{"x", 30}, {"y", 40}} << true;
        QTest::newRow("off every screen") << QJsonObject{{"x", 30000}, {"y", 40}} << false;
        QTest::newRow("absurd") << QJsonObject{{"x", 3e9}, {"y", 40}} << false;
        QTest::newRow("not numbers") << QJsonObject{{"x", "30"}, {"y", 40}} << false;
        QTest::newRow("missing") << QJsonObject{{"x", 30}} << false;
    }
    void theKeptPositionIsRestoredOnlyWhereReachable()
    {
        QFETCH(QJsonObject, stored);
        QFETCH(bool, moved);
        QXSettings::standard().setObject(stored, QXKeys::PlayerWindowPosition);
        const QPoint before = window->geometry().topLeft();
        sizer->restorePlayerWindowPosition();
        QCOMPARE(window->geometry().topLeft(), moved ? QPoint(30, 40) : before);
    }

    void theWindowTellsAndAsks()
    {
        QSignalSpy shown(window.get(), &QXPlayerWindow::visibilityChanged);
        QSignalSpy willShow(sizer, &QXWindowSizer::windowWillShow);
        sizer->showPlayerWindow();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCOMPARE(willShow.count(), 1);
        QVERIFY(shown.count() >= 1);
        // A move saved where it came to rest.
        window->move(60, 70);
        sizer->savePlayerWindowPosition();
        const QJsonObject saved = QXSettings::standard().objectForKey(QXKeys::PlayerWindowPosition).toObject();
        QCOMPARE(QPoint(saved.value("x").toInt(), saved.value("y").toInt()), window->geometry().topLeft());

        // Its owner may keep it open.
        bool allow = false;
        window->shouldClose = [&allow] { return allow; };
        QVERIFY(!window->close() && window->isVisible());
        allow = true;
        const int before = shown.count();
        QVERIFY(window->close() && !window->isVisible());
        QCOMPARE(shown.count(), before + 1);

        // The maximize button: the window is given back its normal state and asks for the zoom.
        QSignalSpy zoom(window.get(), &QXPlayerWindow::zoomRequested);
        window->showMaximized();
        VERIFY_SOON(zoom.count() == 1, 3000);
        QVERIFY(!window->isMaximized());
    }
};

VISTREL_TEST_MAIN(TestWindowSizer)
#include "test_window_sizer.moc"
