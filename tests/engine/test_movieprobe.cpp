// What the engine says about files before anything plays: which files are movies and what
// their probe reports.
#include "TestSupport.h"
#include "engine/QXMovie.h"
#include "engine/QXMovieProbe_p.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>

#include <unistd.h>

using namespace testsupport;
using QXMovieProbeInternal::HeadVerdict;

Q_DECLARE_METATYPE(HeadVerdict)

namespace {

QString copyAs(const QString &from, const QString &name)
{
    const QString to = QDir(QFileInfo(from).path()).filePath(name);
    QFile::remove(to);
    return QFile::copy(from, to) ? to : QString();
}

QByteArray headOf(const QString &path, int bytes)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.read(bytes) : QByteArray();
}

} // namespace

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

    // Each container the signature check settles: it must say "movie" by itself, agree
    // with libavformat's own probe, and hold when the name says nothing.
    void signatures_data()
    {
        QTest::addColumn<QString>("path");
        struct Output
        {
            const char *tag, *name;
            QStringList options;
        };
        // One ffmpeg run writes them all.
        const QList<Output> outputs{
            {"mov (ftyp qt)", "clip.mov", {"-c:v", "mpeg4", "-c:a", "aac"}},
            {"m4a (ftyp M4A)", "tone.m4a", {"-vn", "-c:a", "aac"}},
            {"mkv", "clip.mkv", {"-c:v", "mpeg4", "-c:a", "flac"}},
            {"webm", "clip.webm", {"-an", "-c:v", "libvpx", "-deadline", "realtime"}},
            {"avi", "clip.avi", {"-c:v", "mpeg4", "-c:a", "pcm_s16le"}},
            {"wav", "tone.wav", {"-vn"}},
            {"ogg", "tone.ogg", {"-vn", "-c:a", "libvorbis"}},
            {"flv", "clip.flv", {"-c:v", "flv", "-c:a", "libmp3lame"}},
            {"flac", "tone.flac", {"-vn"}},
            {"mp3 after ID3v2", "tagged-tone.mp3", {"-vn", "-c:a", "libmp3lame"}},
            {"mp3 without tag", "bare.mp3", {"-vn", "-c:a", "libmp3lame", "-id3v2_version", "0"}},
            {"mp3 MPEG-2 rate", "low.mp3",
             {"-vn", "-c:a", "libmp3lame", "-ar", "16000", "-id3v2_version", "0"}},
            {"mp2 layer II", "tone.mp2", {"-vn", "-c:a", "mp2"}},
            {"ts", "clip.ts", {"-c:v", "mpeg2video", "-c:a", "mp2", "-f", "mpegts"}},
            {"m2ts", "clip.m2ts",
             {"-c:v", "mpeg2video", "-c:a", "mp2", "-f", "mpegts", "-mpegts_m2ts_mode", "1"}},
            {"mpg (MPEG-1 pack)", "clip.mpg", {"-c:v", "mpeg1video", "-c:a", "mp2", "-f", "mpeg"}},
            {"vob (MPEG-2 pack)", "clip.vob", {"-c:v", "mpeg2video", "-c:a", "ac3", "-f", "vob"}}};
        const QDir dir(m_dir.path());
        QStringList args{"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=25:duration=0.4",
                         "-f", "lavfi", "-i", "sine=frequency=440:duration=0.4"};
        for (qsizetype i = 0; i < outputs.size(); ++i) {
            args += outputs[i].options;
            if (i + 1 < outputs.size())
                args << dir.filePath(outputs[i].name);
        }
        QVERIFY(!ffmpeg(dir.filePath(outputs.last().name), args).isEmpty());
        QTest::newRow("mp4 (ftyp isom)") << m_clip;
        for (const Output &o : outputs)
            QTest::newRow(o.tag) << dir.filePath(o.name);
    }

    void signatures()
    {
        QFETCH(QString, path);
        QCOMPARE(QXMovieProbeInternal::sniffFile(path), HeadVerdict::Movie);
        QVERIFY(QXMovieProbeInternal::contentProbeSaysMovie(path));
        QVERIFY(QXMovie::canInitWithFile(path));
        const QString renamed = copyAs(path, QFileInfo(path).fileName() + ".dat");
        QVERIFY(QXMovie::canInitWithFile(renamed));
        QVERIFY(QXProbeMovieFile(renamed).canOpen);
    }

    // Signatures of files that are no movie, under names that say nothing.
    void notMovieSignatures_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<HeadVerdict>("verdict");
        const QDir dir(m_dir.path());
        const QStringList kinds{"jpg", "png", "gif", "webp"};
        QStringList args{"-f", "lavfi", "-i", "testsrc2=size=64x48", "-frames:v", "1"};
        for (const QString &kind : kinds.mid(0, kinds.size() - 1))
            args << dir.filePath("still." + kind) << "-frames:v" << "1";
        QVERIFY(!ffmpeg(dir.filePath("still." + kinds.last()), args).isEmpty());
        for (const QString &kind : kinds)
            QTest::newRow(qPrintable(kind))
                << copyAs(dir.filePath("still." + kind), "still-" + kind + ".bin") << HeadVerdict::NotMovie;
        const QString path = m_dir.path();
        QTest::newRow("pdf") << makeFile(path, "doc.bin", "%PDF-1.4\n1 0 obj\n<<>>\nendobj\n%%EOF\n")
                             << HeadVerdict::NotMovie;
        QTest::newRow("zip") << makeFile(path, "archive.bin", QByteArray("PK\x03\x04\x14\0\0\0\0\0", 10)
                                                                + QByteArray(40, '\0'))
                             << HeadVerdict::NotMovie;
        QTest::newRow("elf") << makeFile(path, "program.bin", headOf(QCoreApplication::applicationFilePath(), 4096))
                             << HeadVerdict::NotMovie;
        // Sync bytes every 188 bytes, but not a packet header among them.
        QTest::newRow("Gs named .ts") << makeFile(path, "letters.ts", QByteArray(8192, 'G'))
                                      << HeadVerdict::Undecided;
        // An ftyp box with a picture's brand is left to libavformat.
        const QByteArray heif("\0\0\0\x18" "ftypheic\0\0\0\0mif1heic", 24);
        QTest::newRow("heif brand") << makeFile(path, "photo.bin", heif + QByteArray(64, '\0'))
                                    << HeadVerdict::Undecided;
    }

    void notMovieSignatures()
    {
        QFETCH(QString, path);
        QFETCH(HeadVerdict, verdict);
        QVERIFY(!path.isEmpty());
        QCOMPARE(QXMovieProbeInternal::sniffFile(path), verdict);
        const bool libavSaysMovie = QXMovieProbeInternal::contentProbeSaysMovie(path);
        if (verdict == HeadVerdict::NotMovie)
            QVERIFY(!libavSaysMovie);   // the shortcut says no more than the probe would
        QCOMPARE(QXMovie::canInitWithFile(path), libavSaysMovie);
        QVERIFY(!QXProbeMovieFile(path).canOpen);
    }

    // A container's header and nothing (or not even all of it) after: no movie, and no
    // reading past the end. libavformat alone would take some of these for movies.
    void truncatedHeaders_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ftyp, box cut short") << QByteArray("\0\0\0\x18" "ftyp", 8);
        QTest::newRow("ftyp box alone") << QByteArray("\0\0\0\x18" "ftypisom\0\0\x02\0isomiso2", 24);
        QTest::newRow("ftyp box too small") << QByteArray("\0\0\0\x08" "ftyp", 8);
        QTest::newRow("EBML magic") << QByteArray("\x1a\x45\xdf\xa3", 4);
        QTest::newRow("EBML header cut") << QByteArray("\x1a\x45\xdf\xa3\xa3\x42\x86\x81\x01", 9);
        QTest::newRow("RIFF alone") << QByteArray("RIFF\x24\0\0", 7);
        QTest::newRow("AVI header") << QByteArray("RIFF\x24\0\0\0AVI LIST\x10\0\0\0hdrl", 24);
        QTest::newRow("WAVE fmt") << QByteArray("RIFF\x24\0\0\0WAVEfmt \x10\0\0\0", 20)
                                         + QByteArray("\x01\0\x01\0\x44\xac\0\0\x88\x58\x01\0\x02\0\x10\0", 16);
        QTest::newRow("OggS") << QByteArray("OggS\0\x02", 6);
        QTest::newRow("FLV header") << QByteArray("FLV\x01\x05\0\0\0\x09\0\0\0\0", 13);
        QTest::newRow("fLaC") << QByteArray("fLaC");
        QTest::newRow("ID3 tag alone") << QByteArray("ID3\x04\0\0\0\0\x07\x68", 10);
    }

    void truncatedHeaders()
    {
        QFETCH(QByteArray, bytes);
        const QString path = makeFile(m_dir.path(), "cut.mp4", bytes);
        QCOMPARE(QXMovieProbeInternal::sniffFile(path), HeadVerdict::NotMovie);
        QVERIFY(!QXMovie::canInitWithFile(path));
        QVERIFY(!QXProbeMovieFile(path).canOpen);
        QVERIFY(!QXMovie::movieWithFile(path));
    }

    // The by-name verdict is cached per suffix; names that other globs match (whole names,
    // longer suffixes, patterns) must still get the database's own answer, whichever came
    // first with the same suffix.
    void nameVerdictCache()
    {
        const QStringList names{
            "lib.so.10", "take.10", "take.11", "lib.so.11",
            "a.7z.001", "part.001", "part.002", "a.7z.002",
            "notes.abw.CRASHED", "x.CRASHED",
            "clip.mp4", "Makefile.mp4", "README.mp4", "x.MP4", "clip.Mp4",
            "x.c", "x.C", "x.gs", "x.GS", "x.Z", "x.z", "a.tar.gz", "b.gz", "c.GZ",
            "001.vdr", "x.vdr", "film.anim1", "film.animj", "film.anim",
            "Makefile", "makefile", "Makefile.am", "README", "README.md", "core", "Core",
            "CMakeLists.txt", "meson.build", "winmail.dat", "movie.dat", "page.1", "x~",
            "clip.mp4~", ".mp4", ".hidden", "noext", "trailing.", "x.ts", "X.TS", "x.ogg",
            "x.m3u", "x.srt", QString::fromUtf8("Ünïcødé.MKV"), ""};
        QHash<QString, QSet<bool>> verdictsBySuffix;
        for (int pass = 0; pass < 2; ++pass) {
            for (const QString &name : names) {
                const bool expected = QXMovieProbeInternal::nameSaysNoMovieUncached(name);
                QVERIFY2(QXMovieProbeInternal::nameSaysNoMovie(name) == expected, qPrintable(name));
                verdictsBySuffix[name.section(u'.', -1)].insert(expected);
            }
        }
        // The list only tests the cache if one suffix has names with both verdicts here.
        QVERIFY(std::any_of(verdictsBySuffix.cbegin(), verdictsBySuffix.cend(),
                            [](const QSet<bool> &v) { return v.size() == 2; }));
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
