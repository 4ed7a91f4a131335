// What the engine says about files before anything plays: which files are movies and what
// their probe reports.
#include "TestSupport.h"
#include "engine/QXMovie.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

#include <unistd.h>

using namespace testsupport;

class TestMovieProbe : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_clip;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_clip = makeVideo(m_dir.path(), "clip.mp4", 320, 240, 2.0);
        QVERIFY(!m_clip.isEmpty());
    }

    void realClip()
    {
        QVERIFY(QXMovie::canInitWithFile(m_clip));
        std::unique_ptr<QXMovie> movie(QXMovie::movieWithFile(m_clip));
        QVERIFY(movie);
        QVERIFY(movie->hasVideo());
        QCOMPARE(movie->naturalSize(), QSizeF(320, 240));
        QVERIFY(!movie->duration().isIndefinite());
        QVERIFY(qAbs(movie->duration().seconds() - 2.0) < 0.1);
        // Callers test "playable" right after making a local movie.
        QCOMPARE(movie->loadState(), long(QXMovieLoadStateComplete));
        QVERIFY(movie->url().isLocalFile());
        QCOMPARE(movie->url().toLocalFile(), QFileInfo(m_clip).absoluteFilePath());
        QCOMPARE(movie->maxLoadedTime(), movie->duration().seconds());
        QCOMPARE(movie->angle(), 0);
        QVERIFY(!movie->isAttached());
        QCOMPARE(movie->rate(), 0.0f);

        std::unique_ptr<QXMovie> viaUrl(QXMovie::movieWithURL(QUrl::fromLocalFile(m_clip)));
        QVERIFY(viaUrl);
        QCOMPARE(viaUrl->naturalSize(), QSizeF(320, 240));
    }

    // The size is the displayed one: a stretched sample aspect ratio widens the picture.
    void anamorphicSize()
    {
        const QString path = ffmpeg(QDir(m_dir.path()).filePath("wide.mkv"),
                                    {"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=25:duration=1",
                                     "-vf", "setsar=3/2", "-c:v", "libx264", "-preset", "ultrafast"});
        QVERIFY(!path.isEmpty());
        const QXMovieProbe probe = QXProbeMovieFile(path);
        QVERIFY(probe.canOpen);
        QCOMPARE(probe.naturalSize, QSizeF(480, 240));
    }

    void soundOnly_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("wav") << "tone.wav";
        QTest::newRow("mp3") << "tone.mp3";
        QTest::newRow("m4a") << "tone.m4a";
    }

    void soundOnly()
    {
        QFETCH(QString, name);
        const QString path = makeAudio(m_dir.path(), name, 1.0);
        QVERIFY(!path.isEmpty());
        QVERIFY(QXMovie::canInitWithFile(path));
        std::unique_ptr<QXMovie> movie(QXMovie::movieWithFile(path));
        QVERIFY(movie);
        QVERIFY(!movie->hasVideo());
        QVERIFY(movie->naturalSize().isEmpty());
        QVERIFY(qAbs(movie->duration().seconds() - 1.0) < 0.1);
    }

    // Cover art is stored as a video stream, and a large tag pushes the first audio frame far
    // past the first kilobytes.
    void soundWithCoverArt()
    {
        const QString cover = ffmpeg(QDir(m_dir.path()).filePath("cover.png"),
                                     {"-f", "lavfi", "-i", "testsrc2=size=400x400", "-frames:v", "1"});
        const QString tone = makeAudio(m_dir.path(), "plain.mp3", 1.0);
        QVERIFY(!cover.isEmpty() && !tone.isEmpty());
        const QString path = ffmpeg(QDir(m_dir.path()).filePath("tagged.mp3"),
                                    {"-i", tone, "-i", cover, "-map", "0", "-map", "1", "-c", "copy",
                                     "-id3v2_version", "3", "-disposition:v", "attached_pic"});
        QVERIFY(!path.isEmpty());
        QVERIFY(QFileInfo(path).size() > 20000);
        QVERIFY(QXMovie::canInitWithFile(path));
        std::unique_ptr<QXMovie> movie(QXMovie::movieWithFile(path));
        QVERIFY(movie);
        QVERIFY(!movie->hasVideo());
    }

    void rejected_data()
    {
        QTest::addColumn<QString>("path");
        const QString dir = m_dir.path();
        const QString jpeg = ffmpeg(QDir(dir).filePath("photo.jpg"),
                                    {"-f", "lavfi", "-i", "testsrc2=size=320x240", "-frames:v", "1"});
        QVERIFY(!jpeg.isEmpty());
        QFile::copy(jpeg, QDir(dir).filePath("photo.bin"));
        QByteArray noise(64 * 1024, '\0');
        QRandomGenerator rng(1234);
        rng.fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
        QDir(dir).mkdir("folder.mp4");

        QTest::newRow("jpeg") << jpeg;
        QTest::newRow("jpeg named .bin") << QDir(dir).filePath("photo.bin");
        QTest::newRow("text") << makeFile(dir, "notes.txt", "Just some words.\nAnd more.\n");
        QTest::newRow("text named .mp4") << makeFile(dir, "fake.mp4", "not a movie at all\n");
        QTest::newRow("text without name") << makeFile(dir, "README", "plain words\n");
        QTest::newRow("random bytes") << makeFile(dir, "noise.bin", noise);
        QTest::newRow("empty") << makeFile(dir, "empty.mp4", QByteArray());
        QTest::newRow("missing") << QDir(dir).filePath("missing.mp4");
        QTest::newRow("directory") << QDir(dir).filePath("folder.mp4");
        QTest::newRow("empty path") << QString();
    }

    void rejected()
    {
        QFETCH(QString, path);
        QVERIFY(!QXMovie::canInitWithFile(path));
        QVERIFY(!QXProbeMovieFile(path).canOpen);
        QVERIFY(!QXMovie::movieWithFile(path));
        QVERIFY(!QXMovie::movieWithURL(QUrl::fromLocalFile(path)));
    }

    void unreadableRejected()
    {
        if (geteuid() == 0)
            QSKIP("root reads files whatever their mode");
        const QString path = QDir(m_dir.path()).filePath("locked.mp4");
        QVERIFY(QFile::copy(m_clip, path));
        QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
        QVERIFY(!QXMovie::canInitWithFile(path));
        QVERIFY(!QXMovie::movieWithFile(path));
    }

    // The content decides, not the name.
    void movieWithUnusualName()
    {
        const QString path = QDir(m_dir.path()).filePath("movie.dat");
        QVERIFY(QFile::copy(m_clip, path));
        QVERIFY(QXMovie::canInitWithFile(path));
        std::unique_ptr<QXMovie> movie(QXMovie::movieWithFile(path));
        QVERIFY(movie);
        QCOMPARE(movie->naturalSize(), QSizeF(320, 240));

        const QString transport = ffmpeg(QDir(m_dir.path()).filePath("broadcast.ts"),
                                         {"-i", m_clip, "-c", "copy"});
        QVERIFY(!transport.isEmpty());
        QVERIFY(QXMovie::canInitWithFile(transport));   // ".ts" also names Qt translations
        QVERIFY(qAbs(QXProbeMovieFile(transport).duration - 2.0) < 0.2);
    }

    // A web address is judged without the network.
    void webAddressesByForm()
    {
        QVERIFY(QXMovie::canInitWithURL(QUrl("http://example.invalid/clip.mp4")));
        QVERIFY(QXMovie::canInitWithURL(QUrl("https://example.invalid/live")));
        QVERIFY(!QXMovie::canInitWithURL(QUrl("http://example.invalid/page.html")));
        QVERIFY(!QXMovie::canInitWithURL(QUrl("http://example.invalid/photo.jpg")));
        QVERIFY(!QXMovie::canInitWithURL(QUrl("mailto:someone@example.invalid")));
        QVERIFY(!QXMovie::canInitWithURL(QUrl("http:///clip.mp4")));
        QVERIFY(!QXMovie::canInitWithURL(QUrl()));
        QVERIFY(QXMovie::canInitWithURL(QUrl::fromLocalFile(m_clip)));
        QVERIFY(!QXMovie::movieWithURL(QUrl("gopher://example.invalid/clip.mp4")));
    }
};

QTEST_GUILESS_MAIN(TestMovieProbe)
#include "test_movieprobe.moc"
