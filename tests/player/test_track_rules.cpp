// Tracks and chapters as the player's lists give them, the steps the keys take through them,
// how the menus name them, and which files count as subtitles.
#include "engine/QXMovieTracks.h"
#include "player/QXTrackMenus.h"
#include "playlist/QXPlaylistDrop.h"

#include <QtTest>

namespace {

QVariantMap track(qlonglong id, const char *type, bool selected = false, const QVariantMap &more = {})
{
    QVariantMap m = more;
    m.insert("id", id);
    m.insert("type", QString::fromLatin1(type));
    m.insert("selected", selected);
    return m;
}

QXTrack sub(qint64 id, bool selected = false)
{
    QXTrack t;
    t.id = id;
    t.type = QXTrack::Type::Subtitle;
    t.selected = selected;
    return t;
}

QXTrack audio(qint64 id, bool selected = false)
{
    QXTrack t = sub(id, selected);
    t.type = QXTrack::Type::Audio;
    return t;
}

} // namespace

class TestTrackRules : public QObject
{
    Q_OBJECT
private slots:
    void tracksFromThePlayersList()
    {
        const QVariantList list{
            track(1, "video", true),
            track(1, "audio", true, {{"lang", "eng"}, {"demux-channel-count", 6}}),
            track(2, "audio", false, {{"lang", "fre"}, {"title", "Commentary"}, {"audio-channels", 2}}),
            track(1, "sub", false, {{"external", true}, {"external-filename", "/films/a b.en.srt"}}),
            track(2, "sub", true, {{"title", "Signs"}}),
            QVariantMap{{"type", "sub"}},   // no id
            track(0, "sub"),                // no track has 0
            QVariant("not a map"),
        };
        const QList<QXTrack> tracks = QXParseTrackList(list);
        QCOMPARE(tracks.size(), 5);
        QCOMPARE(tracks[1].channels, 6);
        QCOMPARE(tracks[1].language, QString("eng"));
        QCOMPARE(tracks[2].channels, 2);   // the older key
        QCOMPARE(tracks[2].title, QString("Commentary"));
        QVERIFY(tracks[3].external && !tracks[3].selected);
        QCOMPARE(tracks[3].title, QString("a b.en.srt"));   // an added file by its name
        QVERIFY(tracks[4].selected && !tracks[4].external);
        QCOMPARE(tracks[4].type, QXTrack::Type::Subtitle);
        QVERIFY(QXParseTrackList(QVariant()).isEmpty());
        QVERIFY(QXParseTrackList(QVariantMap{{"id", 1}}).isEmpty());
    }

    void chaptersFromThePlayersList()
    {
        const QVariantList list{QVariantMap{{"title", "End"}, {"time", 8.0}},
                                QVariantMap{{"title", "Opening"}, {"time", 0.0}},
                                QVariantMap{{"title", "No time"}},
                                QVariantMap{{"time", 4.5}}};
        const QList<QXChapter> chapters = QXParseChapterList(list);
        QCOMPARE(chapters, (QList<QXChapter>{{"Opening", 0.0}, {"", 4.5}, {"End", 8.0}}));
    }

    void chapterSteps_data()
    {
        QTest::addColumn<double>("time");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("target");
        // Chapters at 0, 4 and 8 s.
        QTest::newRow("next from the first") << 1.0 << 1 << 1;
        QTest::newRow("next from a seek landed just short") << 3.98 << 1 << 2;
        QTest::newRow("next from the last") << 9.0 << 1 << -1;
        QTest::newRow("back early in a chapter: the one before") << 5.0 << -1 << 0;
        QTest::newRow("back later in a chapter: its start") << 7.5 << -1 << 1;
        QTest::newRow("back at the very start") << 0.5 << -1 << -1;
        QTest::newRow("back late in the first: its start") << 3.5 << -1 << 0;
    }
    void chapterSteps()
    {
        QFETCH(double, time);
        QFETCH(int, step);
        QFETCH(int, target);
        const QList<QXChapter> chapters{{"a", 0}, {"b", 4}, {"c", 8}};
        QCOMPARE(QXChapterStepTarget(chapters, time, step), target);
        QCOMPARE(QXChapterStepTarget({}, time, step), -1);
    }

    void trackSteps_data()
    {
        QTest::addColumn<QList<QXTrack>>("tracks");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("step");
        QTest::addColumn<qint64>("id");
        const QList<QXTrack> twoSubs{audio(1, true), sub(1, true), sub(2)};
        QTest::newRow("subtitle forward") << twoSubs << int(QXTrack::Type::Subtitle) << 1 << qint64(2);
        QTest::newRow("subtitle back passes none") << twoSubs << int(QXTrack::Type::Subtitle) << -1 << qint64(0);
        QTest::newRow("from the last subtitle to none")
            << QList<QXTrack>{sub(1), sub(2, true)} << int(QXTrack::Type::Subtitle) << 1 << qint64(0);
        QTest::newRow("from none to the first")
            << QList<QXTrack>{sub(1), sub(2)} << int(QXTrack::Type::Subtitle) << 1 << qint64(1);
        QTest::newRow("from none back to the last")
            << QList<QXTrack>{sub(1), sub(2)} << int(QXTrack::Type::Subtitle) << -1 << qint64(2);
        QTest::newRow("audio wraps without none")
            << QList<QXTrack>{audio(1), audio(2, true)} << int(QXTrack::Type::Audio) << 1 << qint64(1);
        QTest::newRow("one audio track stays") << QList<QXTrack>{audio(1, true)} << int(QXTrack::Type::Audio) << 1 << qint64(1);
        QTest::newRow("no subtitles") << QList<QXTrack>{audio(1, true)} << int(QXTrack::Type::Subtitle) << 1 << qint64(-1);
    }
    void trackSteps()
    {
        QFETCH(QList<QXTrack>, tracks);
        QFETCH(int, type);
        QFETCH(int, step);
        QFETCH(qint64, id);
        QCOMPARE(QXNextTrackId(tracks, QXTrack::Type(type), step), id);
    }

    void menuTitles_data()
    {
        QTest::addColumn<QXTrack>("track");
        QTest::addColumn<QString>("title");
        QXTrack t = audio(3);
        QTest::newRow("nothing said") << t << "Track 3";
        t.language = "fre";
        t.title = "Director & Cast";
        t.channels = 6;
        QTest::newRow("audio with all") << t << "fre – Director && Cast (5.1)";
        t.channels = 3;
        QTest::newRow("odd channels") << t << "fre – Director && Cast (3 channels)";
        QXTrack s = sub(2);
        s.external = true;
        s.title = "film.en.srt";
        QTest::newRow("added file") << s << "film.en.srt (external)";
    }
    void menuTitles()
    {
        QFETCH(QXTrack, track);
        QFETCH(QString, title);
        QCOMPARE(QXTrackMenuTitle(track), title);
    }

    void subtitleFileChecks_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<bool>("guessed");
        const QByteArray srt("1\n00:00:00,000 --> 00:00:02,000\nGr\xc3\xbc\xc3\x9f" "e\n");
        QTest::newRow("UTF-8 text") << qint64(srt.size()) << srt << false << false;
        QTest::newRow("Latin-1 text") << qint64(12) << QByteArray("Gr\xfc\xdf" "e\n1 --> 2") << false << true;
        QTest::newRow("UTF-16 with its mark") << qint64(6) << QByteArray("\xff\xfe" "1\0\n\0", 6) << false << false;
        QTest::newRow("binary") << qint64(5) << QByteArray("\x7f" "ELF\0", 5) << true << false;
        QTest::newRow("empty") << qint64(0) << QByteArray() << true << false;
        QTest::newRow("too large") << QXSubtitleFileLimit + 1 << QByteArray("1\n") << true << false;
    }
    void subtitleFileChecks()
    {
        QFETCH(qint64, size);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, refused);
        QFETCH(bool, guessed);
        QCOMPARE(!QXSubtitleFileProblem(size, bytes).isEmpty(), refused);
        if (!refused)
            QCOMPARE(QXSubtitleTextIsGuessed(bytes), guessed);
    }

    void subtitleFilesLeaveTheMovies()
    {
        QList<QUrl> urls{QUrl::fromLocalFile("/m/film.mkv"), QUrl::fromLocalFile("/m/film.en.SRT"),
                         QUrl::fromLocalFile("/m/a.ass"), QUrl("http://host/a.srt"), QUrl::fromLocalFile("/m/.srt"),
                         QUrl::fromLocalFile("/m/b.vtt"), QUrl::fromLocalFile("/m/c.sub"), QUrl::fromLocalFile("/m/d.ssa"),
                         QUrl::fromLocalFile("/m/srt")};
        const QStringList taken = QXTakeSubtitleFiles(urls);
        QCOMPARE(taken, (QStringList{"/m/film.en.SRT", "/m/a.ass", "/m/b.vtt", "/m/c.sub", "/m/d.ssa"}));
        QCOMPARE(urls, (QList<QUrl>{QUrl::fromLocalFile("/m/film.mkv"), QUrl("http://host/a.srt"),
                                    QUrl::fromLocalFile("/m/.srt"), QUrl::fromLocalFile("/m/srt")}));
    }
};

QTEST_GUILESS_MAIN(TestTrackRules)
#include "test_track_rules.moc"
