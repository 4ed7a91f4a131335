// The control bar on its own: what it shows for a state, how it folds, and what it tells.
#include "controls/QXButtons.h"
#include "controls/QXSliders.h"
#include "player/QXControlBar.h"
#include "player/QXMenuValidation.h"
#include "player/QXTimeFormat.h"

#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QtTest>

using QXOverlay::Parts;

class TestControlBar : public QObject
{
    Q_OBJECT
    std::unique_ptr<QXControlBar> bar;

    QXContextButton *rotate() const { return qobject_cast<QXContextButton *>(bar->rotateButton()); }

private slots:
    void init()
    {
        bar = std::make_unique<QXControlBar>();
        bar->resize(480, QXOverlay::BarHeight);
        bar->show();
        QVERIFY(QTest::qWaitForWindowExposed(bar.get()));
    }
    void cleanup() { bar.reset(); }

    void theStateEnablesEachControlByItsRule()
    {
        QXControlState audio;
        audio.count = 1;
        audio.hasCurrentEntry = audio.isPlayable = true;
        QXControlState picture = audio;
        picture.hasVideo = picture.movieWindowVisible = true;
        QXControlState presenting = picture;
        presenting.isPresenting = true;
        const struct { const char *name; QXControlState state; bool play, time, rotate, lock, present; } rows[] = {
            {"empty", {}, false, false, false, false, false},
            {"sound only", audio, true, true, false, false, false},
            {"picture", picture, true, true, true, true, true},
            {"presenting", presenting, true, true, true, false, true}};
        for (const auto &r : rows) {
            bar->setState(r.state);
            QCOMPARE(bar->playPauseSwitch()->isEnabled(), r.play);
            for (QWidget *w : {static_cast<QWidget *>(bar->timeSlider()), static_cast<QWidget *>(bar->timeWindBackwardButton()),
                               static_cast<QWidget *>(bar->timeWindForwardButton())})
                QVERIFY2(w->isEnabled() == r.time, r.name);
            QVERIFY2(bar->rotateButton()->isEnabled() == r.rotate, r.name);
            QVERIFY2(bar->aspectRatioLockSwitch()->isEnabled() == r.lock, r.name);
            QVERIFY2(bar->presentationSwitch()->isEnabled() == r.present, r.name);
        }
    }

    // Folding hides the parts in order; the rotate button is the chevron while folded and
    // takes the turn the setting names when it unfolds.
    void foldsByParts()
    {
        const struct { Parts parts; bool counterclockwise; bool buttons, remaining, time; const char *rotateImage; } rows[] = {
            {{}, false, true, true, true, "QXRotateClockwise"},
            {{true, false, false}, false, false, true, true, "QXTPChevron"},
            {{true, true, false}, true, false, false, true, "QXTPChevron"},
            {{true, true, true}, true, false, false, false, "QXTPChevron"},
            {{}, true, true, true, true, "QXRotateCounterclockwise"}};
        for (const auto &r : rows) {
            bar->setRotateCounterclockwise(r.counterclockwise);
            bar->setParts(r.parts);
            QCOMPARE(bar->parts(), r.parts);
            QCOMPARE(bar->presentationSwitch()->isVisible(), r.buttons);
            QCOMPARE(bar->aspectRatioLockSwitch()->isVisible(), r.buttons);
            QCOMPARE(bar->timeRemainderField()->isVisible(), r.remaining);
            QCOMPARE(bar->timeField()->isVisible(), r.time);
            QCOMPARE(rotate()->imageName(), QString(r.rotateImage));
            QCOMPARE(rotate()->hasPrimaryMenu(), !r.buttons);
            QCOMPARE(rotate()->toolTip().isEmpty(), !r.buttons);
        }
    }

    // The chevron's menu offers the folded commands with their switches' marks, and holds the
    // bar while it is open.
    void theChevronMenuActsThroughTheSwitches()
    {
        bar->setAspectRatioLocked(true);
        bar->setPresenting(false);
        bar->setParts({true, true, true});
        QSignalSpy rotated(bar.get(), &QXControlBar::rotateClicked);
        QSignalSpy locked(bar.get(), &QXControlBar::aspectRatioLockClicked);
        QSignalSpy presented(bar.get(), &QXControlBar::presentationClicked);
        QTest::mousePress(bar->rotateButton(), Qt::LeftButton, {}, QPoint(3, 3));
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QVERIFY(bar->isHeld());
        const QList<QAction *> items = menu->actions();
        QCOMPARE(items.size(), 3);
        QVERIFY(items[1]->isChecked() && !items[2]->isChecked());
        items[0]->trigger();
        items[1]->trigger();
        items[2]->trigger();
        QCOMPARE(rotated.count(), 1);
        QCOMPARE(locked.count(), 1);
        QCOMPARE(presented.count(), 1);
        QVERIFY(!bar->isAspectRatioLocked());   // the switch flipped as a click flips it
        menu->close();
        QVERIFY(!bar->isHeld());
    }

    void timeFieldsAndTheHeldSlider()
    {
        QCOMPARE(QXFormatTime(3725), QString("01:02:05"));
        QCOMPARE(QXFormatTime(360000), QString("100:00:00"));
        bar->setTime(30, 90);
        QCOMPARE(bar->timeField()->text(), QString("00:00:30"));
        QCOMPARE(bar->timeRemainderField()->text(), QString("00:01:00"));
        bar->setTimeRange(1000);
        bar->setTimeLine(1000, 400);
        QCOMPARE(bar->timeSlider()->value(), 400.0);
        // The user's hold wins over the playback's updates.
        bar->timeSlider()->setSliderDown(true);
        QVERIFY(bar->isHeld());
        bar->setTimeLine(1000, 500);
        QCOMPARE(bar->timeSlider()->value(), 400.0);
        bar->timeSlider()->setSliderDown(false);
        bar->clearTime();
        QCOMPARE(bar->timeSlider()->value(), 0.0);
        QCOMPARE(bar->timeRemainderField()->text(), QString("00:00:00"));
    }
};

QTEST_MAIN(TestControlBar)
#include "test_control_bar.moc"
