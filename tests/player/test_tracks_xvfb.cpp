// Subtitles, sound tracks and chapters through the real window and the real engine, under a
// window manager: menus opened and items chosen by the pointer, keys pressed by xdotool, the
// drawn subtitles read from the screen.
#include "ControllerFixture.h"
#include "controls/QXSliders.h"
#include "engine/QXMovie.h"
#include "engine/QXMovieView.h"
#include "player/QXControlBar.h"
#include "player/QXPlayerWindow.h"
#include "player/QXTrackMenus.h"
#include "player/QXWindowSizer.h"

#include <QMenu>
#include <QMenuBar>
#include <QtTest>

namespace {

QString xdotool(const QStringList &arguments) { return testsupport::runTool("xdotool", arguments); }

QStringList xy(const QPoint &p) { return {QString::number(p.x()), QString::number(p.y())}; }

// A subtitle file of one line in large type at the picture's centre for the whole movie.
QByteArray assText(const QString &line)
{
    return "[Script Info]\nScriptType: v4.00+\nPlayResX: 320\nPlayResY: 240\n\n[V4+ Styles]\n"
           "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, BackColour, Bold, "
           "Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, Shadow, Alignment, "
           "MarginL, MarginR, MarginV, Encoding\n"
           "Style: Default,sans-serif,48,&H00FFFFFF,&H00FFFFFF,&H00000000,&H00000000,1,0,0,0,100,100,0,0,1,1,0,5,10,10,10,1\n\n"
           "[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n"
           "Dialogue: 0,0:00:00.00,0:00:12.00,Default,,0,0,0,,"
        + line.toUtf8() + "\n";
}

QByteArray srtText(const QString &line)
{
    return "1\n00:00:00,000 --> 00:00:12,000\n{\\an5}{\\fs60}{\\b1}" + line.toUtf8() + "\n";
}

// Near-white pixels of the picture: subtitles are drawn white on the movie's dark blue.
int whitePixels(const QXMPController &c, const QRect &part = {})
{
    const QImage picture = testsupport::grabOnScreen(c.ui().playerView);
    return testsupport::countPixels(picture, [](QRgb p) { return qRed(p) > 210 && qGreen(p) > 210 && qBlue(p) > 210; },
                                    part.isNull() ? picture.rect() : part);
}

// The upper left of the picture, where the short messages are drawn.
QRect messageArea(const QXMPController &c)
{
    const QSize s = c.ui().playerView->size();
    return QRect(0, 0, s.width() / 2, s.height() / 4);
}

int selectedId(QXMovie *movie, QXTrack::Type type)
{
    for (const QXTrack &t : movie->tracks())
        if (t.type == type && t.selected)
            return int(t.id);
    return 0;
}

} // namespace

class TestTracks : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    QProcess openbox;
    QString movie;   // two sound tracks (440 Hz, 1200 Hz), two subtitles, chapters at 0, 4, 8 s
    std::unique_ptr<QXMPController> c;

    QXMovie *current() const { return c->playlist().current() ? c->playlist().current()->openedMovie() : nullptr; }

    // Opens the movie, playing, in a window large enough for the picture and the slider.
    QXMovie *open(const QString &path)
    {
        testsupport::launchFreshController(c, dir.path());
        c->windowSizer()->showPlayerWindow();
        if (!QTest::qWaitForWindowExposed(c->ui().playerWindow) || !c->openMovies({QUrl::fromLocalFile(path)}, false))
            return nullptr;
        c->ui().playerWindow->move(100, 60);
        xdotool({"windowactivate", "--sync", QString::number(c->ui().playerWindow->winId())});
        return current();
    }

    // Opens the menu from the menu bar with the pointer and clicks the item titled so (its
    // entries are made as it opens).
    void choose(QMenu *menu, const QString &title)
    {
        QMenuBar *bar = c->ui().playerWindow->menuBar();
        xdotool(QStringList{"mousemove"} + xy(bar->mapToGlobal(bar->actionGeometry(menu->menuAction()).center())) + QStringList{"click", "1"});
        QVERIFY(QTest::qWaitFor([&] { return menu->isVisible(); }, 3000));
        QTest::qWait(200);
        QAction *item = itemTitled(menu, title);
        QVERIFY(item);
        xdotool(QStringList{"mousemove"} + xy(menu->mapToGlobal(menu->actionGeometry(item).center())) + QStringList{"click", "1"});
        VERIFY_SOON(!menu->isVisible(), 3000);
    }

    static QAction *itemTitled(QMenu *menu, const QString &title)
    {
        for (QAction *a : menu->actions())
            if (a->text() == title)
                return a;
        return nullptr;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        testsupport::useHome(dir.path());
        testsupport::makeFile(dir.path(), "short.ass", assText("II"));
        testsupport::makeFile(dir.path(), "long.ass", assText("WWWWWW"));
        testsupport::makeFile(dir.path(), "chapters.txt",
                              ";FFMETADATA1\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=4000\ntitle=Opening\n"
                              "[CHAPTER]\nTIMEBASE=1/1000\nSTART=4000\nEND=8000\ntitle=Middle\n"
                              "[CHAPTER]\nTIMEBASE=1/1000\nSTART=8000\nEND=12000\ntitle=End\n");
        const QString d = dir.path() + '/';
        movie = testsupport::ffmpeg(d + "tracks.mkv", {
            "-f", "lavfi", "-i", "color=c=0x203060:size=320x240:rate=25:duration=12",
            "-f", "lavfi", "-i", "sine=frequency=440:duration=12", "-f", "lavfi", "-i", "sine=frequency=1200:duration=12",
            "-i", d + "short.ass", "-i", d + "long.ass", "-i", d + "chapters.txt",
            "-map", "0:v", "-map", "1:a", "-map", "2:a", "-map", "3", "-map", "4", "-map_chapters", "5",
            "-c:v", "libx264", "-preset", "ultrafast", "-c:a", "aac", "-c:s", "copy",
            "-metadata:s:a:0", "language=eng", "-metadata:s:a:1", "language=fre", "-metadata:s:a:1", "title=Commentary",
            "-metadata:s:s:0", "language=eng", "-metadata:s:s:1", "language=ger"});
        QVERIFY(!movie.isEmpty());
        QVERIFY(testsupport::startWindowManager(openbox));
    }
    void cleanupTestCase()
    {
        c.reset();
        openbox.kill();
        openbox.waitForFinished();
    }

    void refusedWithoutAMovie()
    {
        testsupport::launchFreshController(c, dir.path());
        c->windowSizer()->showPlayerWindow();
        QVERIFY(QTest::qWaitForWindowExposed(c->ui().playerWindow));
        xdotool({"windowactivate", "--sync", QString::number(c->ui().playerWindow->winId())});
        for (const char *name : {"nextSubtitleItem", "nextAudioItem", "nextChapterItem", "addSubtitleItem"})
            QVERIFY(!c->ui().playerWindow->menuBar()->findChild<QAction *>(name)->isEnabled());
        xdotool({"key", "j", "numbersign", "x", "Next"});
        VERIFY2_SOON(c->beepCount() == 4, qPrintable(QString::number(c->beepCount())), 3000);
    }

    void subtitleAndAudioMenus()
    {
        QXMovie *m = open(movie);
        QVERIFY(m);
        QXTrackMenus *menus = c->trackMenus();
        VERIFY_SOON(selectedId(m, QXTrack::Type::Subtitle) == 1 && whitePixels(*c) > 100, 8000);
        const int shortText = whitePixels(*c);

        // Each menu lists both tracks, the one in use checked.
        emit menus->subtitlesMenu()->aboutToShow();
        QAction *eng = itemTitled(menus->subtitlesMenu(), "eng"), *ger = itemTitled(menus->subtitlesMenu(), "ger");
        QVERIFY(eng && ger);
        QVERIFY(eng->isChecked() && !ger->isChecked());
        emit menus->audioMenu()->aboutToShow();
        QAction *first = itemTitled(menus->audioMenu(), "eng (mono)");
        QAction *commentary = itemTitled(menus->audioMenu(), "fre – Commentary (mono)");
        QVERIFY2(first && commentary, qPrintable(menus->audioMenu()->actions().first()->text()));
        QVERIFY(first->isChecked() && !commentary->isChecked());

        // The second subtitle track, chosen from the menu, draws its longer text.
        choose(menus->subtitlesMenu(), "ger");
        VERIFY2_SOON(whitePixels(*c) > shortText * 2, qPrintable(QString("%1 %2").arg(whitePixels(*c)).arg(shortText)), 5000);
        QCOMPARE(selectedId(m, QXTrack::Type::Subtitle), 2);
        // "None" takes it away.
        choose(menus->subtitlesMenu(), "None");
        VERIFY_SOON(whitePixels(*c) < 20, 5000);
        // J comes round from none to the first; Shift+J goes back to none.
        xdotool({"key", "j"});
        VERIFY_SOON(selectedId(m, QXTrack::Type::Subtitle) == 1 && whitePixels(*c) > 100, 5000);
        xdotool({"key", "shift+j"});
        VERIFY_SOON(selectedId(m, QXTrack::Type::Subtitle) == 0, 5000);

        // "#" plays the other sound track.
        QCOMPARE(selectedId(m, QXTrack::Type::Audio), 1);
        xdotool({"key", "numbersign"});
        VERIFY_SOON(selectedId(m, QXTrack::Type::Audio) == 2, 5000);
        // The delay is said on the picture, once the sound track's name has gone, and kept by
        // the movie.
        VERIFY_SOON(whitePixels(*c, messageArea(*c)) < 10, 5000);
        const int before = whitePixels(*c, messageArea(*c));
        xdotool({"key", "x", "x", "z"});
        VERIFY_SOON(qFuzzyCompare(m->subtitleDelay() + 1, 1.1), 3000);
        VERIFY_SOON(whitePixels(*c, messageArea(*c)) > before + 20, 3000);
        QCOMPARE(c->beepCount(), 0);
    }

    void chaptersByKeyAndTicks()
    {
        QXMovie *m = open(movie);
        QVERIFY(m);
        VERIFY_SOON(m->chapters().size() == 3, 8000);
        VERIFY_SOON(c->ui().playerWindow->menuBar()->findChild<QAction *>("nextChapterItem")->isEnabled(), 3000);
        c->playPause();   // paused at the start: the slider's line stays left of the ticks
        m->setCurrentTime(QXTime::fromSeconds(0.5));
        xdotool({"key", "Next"});
        VERIFY2_SOON(qAbs(m->currentTime().seconds() - 4.0) <= 0.5, qPrintable(QString::number(m->currentTime().seconds())), 5000);
        xdotool({"key", "Next", "Next"});   // the last chapter, then none beyond: a beep
        VERIFY_SOON(qAbs(m->currentTime().seconds() - 8.0) <= 0.5, 5000);
        VERIFY_SOON(c->beepCount() == 1, 3000);
        xdotool({"key", "Prior"});   // early in a chapter: the one before
        VERIFY_SOON(qAbs(m->currentTime().seconds() - 4.0) <= 0.5, 5000);

        // The ticks at 4 and 8 s of 12 s on the slider as the screen shows it.
        m->setCurrentTime(QXTime::fromSeconds(0));
        QXWhiteSlider *slider = c->controlBar()->timeSlider();
        VERIFY_SOON(slider->marks() == (QList<double>{0, 4000, 8000}) && slider->value() < 200, 5000);
        QTest::qWait(300);
        const QImage shot = testsupport::grabOnScreen(slider);
        const QRect bar = QXSliderEffectiveBounds(QXSliderKind::Time, slider->rect()).adjusted(1, 1, -1, -1);
        const int foot = bar.bottom() - 1;
        for (const double at : {4.0, 8.0}) {
            const int x = bar.x() + int(std::floor(at * 1000 * bar.width() / slider->maxValue()));
            QVERIFY2(shot.pixel(x, foot) != shot.pixel(x + 2, foot), qPrintable(QString("tick at %1").arg(x)));
        }
    }

    void addedAndBesideTheMovie()
    {
        // A subtitle file named as the movie shows by itself.
        QDir(dir.path()).mkpath("beside");
        const QString plain = testsupport::ffmpeg(dir.filePath("beside/film.mkv"),
            {"-f", "lavfi", "-i", "color=c=0x203060:size=320x240:rate=25:duration=12", "-c:v", "libx264", "-preset", "ultrafast"});
        testsupport::makeFile(dir.filePath("beside"), "film.en.srt", srtText("WWWW"));
        QXMovie *m = open(plain);
        QVERIFY(m);
        VERIFY_SOON(whitePixels(*c) > 100, 8000);
        QCOMPARE(m->tracks().last().language, QString("en"));
        QVERIFY(m->tracks().last().external);
        xdotool({"key", "j"});   // off
        VERIFY_SOON(whitePixels(*c) < 20, 5000);

        // One dragged onto the picture joins the movie and shows; the playlist keeps its one entry.
        const QString dropped = testsupport::makeFile(dir.path(), "dropped.srt", srtText("MMMMMM"));
        testsupport::DragSource source;
        source.urls = {QUrl::fromLocalFile(dropped)};
        source.setGeometry(20, 600, 120, 100);
        source.show();
        QVERIFY(QTest::qWaitForWindowExposed(&source));
        QTest::qWait(400);
        const QPoint from = source.mapToGlobal(source.rect().center());
        const QPoint to = c->ui().playerView->mapToGlobal(c->ui().playerView->rect().center());
        QStringList args = QStringList{"mousemove"} + xy(from) + QStringList{"mousedown", "1", "sleep", "0.2"};
        for (int i = 1; i <= 6; ++i)
            args << "mousemove" << xy(from + (to - from) * i / 6) << "sleep" << "0.1";
        args << "sleep" << "0.3" << "mouseup" << "1";
        xdotool(args);
        VERIFY_SOON(m->tracks().size() == 3 && selectedId(m, QXTrack::Type::Subtitle) == 2, 5000);
        VERIFY_SOON(whitePixels(*c) > 100, 5000);
        QCOMPARE(testsupport::playlistNames(*c), QStringList{"film.mkv"});
        QCOMPARE(c->beepCount(), 0);
        // A movie without chapters: the chapter steps are greyed, and their key only beeps.
        QVERIFY(!c->ui().playerWindow->menuBar()->findChild<QAction *>("nextChapterItem")->isEnabled());
        source.hide();
        xdotool({"windowactivate", "--sync", QString::number(c->ui().playerWindow->winId())});
        xdotool({"key", "Next"});
        VERIFY_SOON(c->beepCount() == 1, 3000);
        // Listed as added in the menu.
        emit c->trackMenus()->subtitlesMenu()->aboutToShow();
        QVERIFY(itemTitled(c->trackMenus()->subtitlesMenu(), "dropped.srt (external)"));

        // Kept by the movie: shown again after another movie played.
        QVERIFY(c->openMovies({QUrl::fromLocalFile(movie)}, false));
        VERIFY_SOON(current() && current()->tracks().size() == 5, 8000);
        QVERIFY(c->chooseMovie(QUrl::fromLocalFile(plain), true, true, false));
        VERIFY2_SOON(current()->tracks().size() == 3 && selectedId(current(), QXTrack::Type::Subtitle) == 2,
                     qPrintable(QString::number(current()->tracks().size())), 8000);
        VERIFY_SOON(whitePixels(*c) > 100, 5000);
    }

    void hostileSubtitleFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("size");   // grown with zeros to this size
        QTest::addColumn<bool>("taken");
        QByteArray noise;
        for (int i = 0; i < 3000; ++i)
            noise.append(char(1 + (i * 7919) % 255));
        QTest::newRow("binary garbage") << noise << qint64(0) << false;
        QTest::newRow("50 MB") << QByteArray("1\n00:00:00,000 --> 00:00:12,000\nbig\n") << qint64(50) * 1024 * 1024 << false;
        QTest::newRow("invalid UTF-8") << QByteArray("1\n00:00:00,000 --> 00:00:12,000\n\xff\xfe\xc3(\xa0\xa1\n") << qint64(0) << true;
    }
    void hostileSubtitleFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, size);
        QFETCH(bool, taken);
        QXMovie *m = open(movie);
        QVERIFY(m);
        VERIFY_SOON(m->tracks().size() == 5 && m->currentTime().seconds() > 0.2, 8000);
        const QString path = testsupport::makeFile(dir.path(), "hostile.srt", bytes);
        if (size > 0)
            QVERIFY(QFile::resize(path, size));
        VERIFY_SOON(whitePixels(*c, messageArea(*c)) < 10, 5000);   // the last row's message gone
        const int before = whitePixels(*c, messageArea(*c));
        c->trackMenus()->addSubtitleFiles({path});
        // Said on the picture, and playback goes on.
        VERIFY_SOON(whitePixels(*c, messageArea(*c)) > before + 20, 5000);
        const double t = m->currentTime().seconds();
        VERIFY_SOON(m->currentTime().seconds() > t + 0.5, 5000);
        QCOMPARE(m->tracks().size(), taken ? 6 : 5);
    }

    void hundredSubtitleTracks()
    {
        const QString one = testsupport::makeFile(dir.path(), "one.srt", srtText("A"));
        QStringList args{"-f", "lavfi", "-i", "color=c=0x203060:size=160x120:rate=25:duration=4"};
        for (int i = 0; i < 100; ++i)
            args << "-i" << one;
        args << "-map" << "0:v";
        for (int i = 1; i <= 100; ++i)
            args << "-map" << QString::number(i);
        args << "-c:v" << "libx264" << "-preset" << "ultrafast" << "-c:s" << "srt";
        const QString many = testsupport::ffmpeg(dir.filePath("many.mkv"), args);
        QVERIFY(!many.isEmpty());
        QXMovie *m = open(many);
        QVERIFY(m);
        VERIFY_SOON(m->tracks().size() == 101, 8000);
        // Four submenus of 25, then None and the commands: a menu that fits the screen.
        QMenu *menu = c->trackMenus()->subtitlesMenu();
        emit menu->aboutToShow();
        QList<QMenu *> groups;
        for (QAction *a : menu->actions())
            if (a->menu())
                groups << a->menu();
        QCOMPARE(groups.size(), 4);
        QCOMPARE(groups.last()->actions().size(), 25);
        QCOMPARE(groups.last()->title(), QString("Tracks 76 to 100"));
        QVERIFY(menu->sizeHint().height() < c->ui().playerWindow->screen()->size().height());
        groups.last()->actions().last()->trigger();
        VERIFY_SOON(selectedId(m, QXTrack::Type::Subtitle) == 100, 5000);
    }
};

VISTREL_TEST_MAIN(TestTracks)
#include "test_tracks_xvfb.moc"
