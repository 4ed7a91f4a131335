// What the engine says about files before anything plays: which are movies, and what they hold.
#include "OnlineVideoServer.h"
#include "TestSupport.h"
#include "engine/QXMovie.h"
#include "engine/QXMovieProbe_p.h"

#include <QtTest>

#include <algorithm>

#include <libavutil/error.h>

#include <unistd.h>

using namespace testsupport;
using testsupport::OnlineVideoServer;
using namespace QXMovieProbeInternal;

Q_DECLARE_METATYPE(HeadVerdict)

static QString copyAs(const QString &from, const QString &name)
{
    const QString to = QDir(QFileInfo(from).path()).filePath(name);
    QFile::remove(to);
    return QFile::copy(from, to) ? to : QString();
}

class TestMovieProbe : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_clip;
    QString at(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase()
    {
        m_clip = makeVideo(m_dir.path(), "clip.mp4", 320, 240, 2.0);
        QVERIFY(!m_clip.isEmpty());
    }

    // Each container the signature check settles: it must say "movie" by itself, agree with
    // libavformat's own probe, and hold when the name says nothing; the movie made from it
    // has the displayed size (none without a picture) and the duration.
    void movies_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSizeF>("size");
        QTest::addColumn<double>("seconds");
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
            {"mp3 MPEG-2 rate", "low.mp3", {"-vn", "-c:a", "libmp3lame", "-ar", "16000", "-id3v2_version", "0"}},
            {"mp2 layer II", "tone.mp2", {"-vn", "-c:a", "mp2"}},
            {"ts", "clip.ts", {"-c:v", "mpeg2video", "-c:a", "mp2", "-f", "mpegts"}},
            {"m2ts", "clip.m2ts", {"-c:v", "mpeg2video", "-c:a", "mp2", "-f", "mpegts", "-mpegts_m2ts_mode", "1"}},
            {"mpg (MPEG-1 pack)", "clip.mpg", {"-c:v", "mpeg1video", "-c:a", "mp2", "-f", "mpeg"}},
            {"vob (MPEG-2 pack)", "clip.vob", {"-c:v", "mpeg2video", "-c:a", "ac3", "-f", "vob"}}};
        QStringList args{"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=25:duration=0.4",
                         "-f", "lavfi", "-i", "sine=frequency=440:duration=0.4"};
        for (qsizetype i = 0; i < outputs.size(); ++i)
            args += outputs[i].options + (i + 1 < outputs.size() ? QStringList{at(outputs[i].name)} : QStringList());
        QVERIFY(!ffmpeg(at(outputs.last().name), args).isEmpty());
        QTest::newRow("mp4 (ftyp isom)") << m_clip << QSizeF(320, 240) << 2.0;
        for (const Output &o : outputs)
            QTest::newRow(o.tag) << at(o.name) << (o.options.contains("-vn") ? QSizeF() : QSizeF(64, 48)) << 0.4;
        // A stretched sample aspect ratio widens the picture.
        QTest::newRow("anamorphic") << ffmpeg(at("wide.mkv"), {"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=25:duration=1",
                                                                "-vf", "setsar=3/2", "-c:v", "libx264", "-preset", "ultrafast"})
                                    << QSizeF(480, 240) << 1.0;
        // Cover art is stored as a video stream, and its tag pushes the first audio frame far
        // past the first kilobytes.
        const QString cover = ffmpeg(at("cover.png"), {"-f", "lavfi", "-i", "testsrc2=size=400x400", "-frames:v", "1"});
        QTest::newRow("mp3 with cover art") << ffmpeg(at("art.mp3"), {"-i", makeAudio(m_dir.path(), "plain.mp3", 1.0), "-i", cover, "-map", "0",
                                                                       "-map", "1", "-c", "copy", "-id3v2_version", "3", "-disposition:v", "attached_pic"})
                                            << QSizeF() << 1.0;
    }
    void movies()
    {
        QFETCH(QString, path);
        QFETCH(QSizeF, size);
        QVERIFY(QFileInfo(path).size() > 0);
        QCOMPARE(sniffFile(path), HeadVerdict::Movie);
        QVERIFY(contentProbeSaysMovie(path));
        for (const QString &p : {path, copyAs(path, QFileInfo(path).fileName() + ".dat")}) {
            QVERIFY2(QXMovie::canInitWithFile(p), qPrintable(p));
            std::unique_ptr<QXMovie> movie(QXMovie::movieWithURL(QUrl::fromLocalFile(p)));
            QVERIFY2(movie, qPrintable(p));
            QCOMPARE(movie->hasVideo(), !size.isEmpty());
            QCOMPARE(movie->naturalSize().isEmpty() ? QSizeF() : movie->naturalSize(), size);
            QFETCH(double, seconds);
            QVERIFY2(qAbs(movie->duration().seconds() - seconds) < 0.15, qPrintable(QString::number(movie->duration().seconds())));
            // Callers test "playable" right after making a local movie.
            QCOMPARE(movie->loadState(), long(QXMovieLoadStateComplete));
            QCOMPARE(movie->url().toLocalFile(), QFileInfo(p).absoluteFilePath());
        }
    }

    // No movie, and no reading past the end of what is there. The signature check says so
    // alone (libavformat agreeing, for whole files), leaves it to libavformat, or refuses a
    // container's header with nothing (or not even all of it) after, which libavformat alone
    // would take for a movie.
    void notMovies_data()
    {
        QTest::addColumn<QString>("path");
        // 'n' not a movie, 'p' a picture in a movie's box, 'c' a cut-off header, 'u' undecided
        QTest::addColumn<char>("sniff");
        const QString dir = m_dir.path();
        const QStringList stills{"jpg", "png", "gif", "webp"};
        QStringList args{"-f", "lavfi", "-i", "testsrc2=size=64x48", "-frames:v", "1"};
        for (const QString &kind : stills.mid(0, stills.size() - 1))
            args << at("still." + kind) << "-frames:v" << "1";
        QVERIFY(!ffmpeg(at("still." + stills.last()), args).isEmpty());
        for (const QString &kind : stills)
            QTest::newRow(qPrintable(kind + " named .bin")) << copyAs(at("still." + kind), "still-" + kind + ".bin") << 'n';
        QByteArray noise(64 * 1024, '\0');
        QRandomGenerator(1234).fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
        QFile program(QCoreApplication::applicationFilePath());
        QVERIFY(program.open(QIODevice::ReadOnly));
        QDir(dir).mkdir("folder.mp4");
        const QList<std::tuple<const char *, QString, char>> odd{
            {"text", makeFile(dir, "notes.txt", "Just some words.\nAnd more.\n"), 'u'},
            {"text named .mp4", makeFile(dir, "fake.mp4", "not a movie at all\n"), 'u'},
            {"text without name", makeFile(dir, "README", "plain words\n"), 'u'},
            {"random bytes", makeFile(dir, "noise.bin", noise), 'u'},
            // Sync bytes every 188 bytes, but not a packet header among them.
            {"Gs named .ts", makeFile(dir, "letters.ts", QByteArray(8192, 'G')), 'u'},
            // A picture in a movie's box, which libavformat alone takes for a movie.
            {"heif brand", makeFile(dir, "photo.bin", QByteArray("\0\0\0\x18" "ftypheic\0\0\0\0mif1heic", 24) + QByteArray(64, '\0')), 'p'},
            {"pdf", makeFile(dir, "doc.bin", "%PDF-1.4\n1 0 obj\n<<>>\nendobj\n%%EOF\n"), 'n'},
            {"zip", makeFile(dir, "archive.bin", QByteArray("PK\x03\x04\x14\0\0\0\0\0", 10) + QByteArray(40, '\0')), 'n'},
            {"elf", makeFile(dir, "program.bin", program.read(4096)), 'n'},
            {"empty", makeFile(dir, "empty.mp4", {}), 'n'}, {"missing", at("missing.mp4"), 'n'},
            {"folder", at("folder.mp4"), 'n'}, {"empty path", "", 'n'}};
        for (const auto &[tag, path, sniff] : odd)
            QTest::newRow(tag) << path << sniff;
        const QList<std::pair<const char *, QByteArray>> cut{
            {"ftyp, box cut short", QByteArray("\0\0\0\x18" "ftyp", 8)},
            {"ftyp box alone", QByteArray("\0\0\0\x18" "ftypisom\0\0\x02\0isomiso2", 24)},
            {"ftyp box too small", QByteArray("\0\0\0\x08" "ftyp", 8)},
            {"EBML magic", QByteArray("\x1a\x45\xdf\xa3", 4)},
            {"EBML header cut", QByteArray("\x1a\x45\xdf\xa3\xa3\x42\x86\x81\x01", 9)},
            {"RIFF alone", QByteArray("RIFF\x24\0\0", 7)},
            {"AVI header", QByteArray("RIFF\x24\0\0\0AVI LIST\x10\0\0\0hdrl", 24)},
            {"WAVE fmt", QByteArray("RIFF\x24\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x44\xac\0\0\x88\x58\x01\0\x02\0\x10\0", 36)},
            {"OggS", QByteArray("OggS\0\x02", 6)},
            {"FLV header", QByteArray("FLV\x01\x05\0\0\0\x09\0\0\0\0", 13)},
            {"fLaC", QByteArray("fLaC")},
            {"ID3 tag alone", QByteArray("ID3\x04\0\0\0\0\x07\x68", 10)}};
        for (const auto &[tag, bytes] : cut)
            QTest::newRow(tag) << makeFile(dir, QString("cut-%1.mp4").arg(tag).replace(' ', '-'), bytes) << 'c';
        if (geteuid() != 0) { // root reads files whatever their mode
            QVERIFY(QFile::copy(m_clip, at("locked.mp4")) && QFile::setPermissions(at("locked.mp4"), {}));
            QTest::newRow("unreadable") << at("locked.mp4") << 'n';
        }
    }
    void notMovies()
    {
        QFETCH(QString, path);
        QFETCH(char, sniff);
        QCOMPARE(sniffFile(path), sniff == 'u' ? HeadVerdict::Undecided : HeadVerdict::NotMovie);
        const bool libavSaysMovie = contentProbeSaysMovie(path);
        // Left open by the signature check, it is refused by libavformat's probe; refused by
        // the check alone, libavformat would say the same (a cut-off header and a picture in a
        // movie's box aside: the check is there for them).
        if (sniff == 'u' || sniff == 'n')
            QVERIFY(!libavSaysMovie);
        QVERIFY(!QXMovie::canInitWithFile(path));
        QVERIFY(!QXProbeMovieFile(path).canOpen);
        QVERIFY(!std::unique_ptr<QXMovie>(QXMovie::movieWithURL(QUrl::fromLocalFile(path))));
    }

    // The reason a failed opening shows: what the server did, not the error code that
    // libavformat happened to end with.
    void failureReasons()
    {
        using Trace = QXRedirectTrace;
        const struct
        {
            const char *tag;
            OpenFailure failure;   // error, network, timed out, answered, trace
            const char *reason;
        } cases[] = {
            {"redirect loop", {AVERROR(EIO), true, false, false, Trace::TooManyRedirects}, "too many redirects"},
            {"redirect to file:", {AVERROR(EINVAL), true, false, false, Trace::RedirectRefused}, "redirect refused"},
            {"bytes that are no HTTP", {AVERROR_EOF, true, false, false, Trace::NotHttp}, "not a movie"},
            {"closed before answering", {AVERROR_EOF, true, false, false, Trace::Unknown}, "the server closed the connection"},
            {"host not resolved", {AVERROR(EIO), true, false, false, Trace::Unknown}, "the server cannot be found"},
            {"endless body", {AVERROR_INVALIDDATA, true, true, true, Trace::Unknown}, "not a movie"},
            {"body too slow", {AVERROR_EXIT, true, true, true, Trace::Unknown}, "too slow: no movie within 5 seconds"},
            {"silent server", {AVERROR_EXIT, true, true, false, Trace::Unknown}, "no answer within 5 seconds"},
            {"socket time-out", {AVERROR(ETIMEDOUT), true, false, false, Trace::Unknown}, "no answer within 5 seconds"},
            {"slow file", {AVERROR_EXIT, false, true, false, Trace::Unknown}, "the file did not open in time"},
            {"answered 404", {AVERROR_HTTP_NOT_FOUND, true, false, false, Trace::Unknown}, "server answered 404"},
            {"answered 503", {AVERROR_HTTP_SERVER_ERROR, true, false, false, Trace::Unknown}, "server answered with an error (5xx)"},
            {"refused", {AVERROR(ECONNREFUSED), true, false, false, Trace::Unknown}, "connection refused"},
            {"answered, not a movie", {AVERROR_INVALIDDATA, true, false, true, Trace::Answered}, "not a movie"},
            {"file missing", {AVERROR(ENOENT), false, false, false, Trace::Unknown}, "the file is missing"},
            {"no container", {AVERROR_DEMUXER_NOT_FOUND, false, false, false, Trace::Unknown}, "not a movie"},
        };
        for (const auto &k : cases)
            QVERIFY2(failureReason(k.failure) == QLatin1String(k.reason), qPrintable(QString("%1: %2").arg(k.tag, failureReason(k.failure))));
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
            "x.m3u", "x.srt", QString::fromUtf8("Ünïcødé.MKV"), "",
            // Globs told apart by their literal start or end, by a class at the end, or by
            // a suffix too long to pack.
            "SConscript.mp4", "sconscript.x", "lib.SO.3", "x.tar.LZ4", "a.TAR.ZST", "CHANGELOG",
            "pom.xml", "Pom.XML", "film.ANIM7", "page.9", "x.mp4.longsuffix", "x.subtitles",
            QString::fromUtf8("clip.\u00c4"), QString::fromUtf8("README\u00df")};
        QHash<QString, QSet<bool>> verdictsBySuffix;
        for (int pass = 0; pass < 2; ++pass) {
            for (const QString &name : names) {
                const bool expected = nameSaysNoMovieUncached(name);
                QVERIFY2(nameSaysNoMovie(name) == expected, qPrintable(name));
                verdictsBySuffix[name.section(u'.', -1)].insert(expected);
            }
        }
        // The list only tests the cache if one suffix has names with both verdicts here.
        QVERIFY(std::any_of(verdictsBySuffix.cbegin(), verdictsBySuffix.cend(), [](const QSet<bool> &v) { return v.size() == 2; }));
    }

    // A web address is judged by its form, without the network.
    void webAddressesByForm()
    {
        // Pages are let through: their probe tells them as pages, and their video is sought.
        for (const char *yes : {"http://example.invalid/clip.mp4", "https://example.invalid/live",
                                "https://example.invalid/news/page.html", "http://example.invalid/view.php?id=3",
                                "https://example.invalid/Watch.ASPX"})
            QVERIFY2(QXMovie::canInitWithURL(QUrl(yes)), yes);
        for (const char *no : {"http://example.invalid/photo.jpg", "https://example.invalid/notes.txt",
                               "rtsp://example.invalid/page.html", "mailto:someone@example.invalid",
                               "http:///clip.mp4", ""})
            QVERIFY2(!QXMovie::canInitWithURL(QUrl(no)), no);
        QVERIFY(!QXMovie::movieWithURL(QUrl("gopher://example.invalid/clip.mp4")));
    }

    // A web address that answers with a page (whose video another program may find) is told
    // from one that answers with a movie or with anything else.
    void webPagesTellThemselves_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("canOpen");
        QTest::addColumn<bool>("isWebPage");
        QTest::newRow("html") << "text/html" << 200 << false << true;
        QTest::newRow("html with charset") << "Text/HTML; charset=utf-8" << 200 << false << true;
        QTest::newRow("xhtml") << "application/xhtml+xml" << 200 << false << true;
        QTest::newRow("movie") << "video/mp4" << 200 << true << false;
        QTest::newRow("movie said to be html") << "" << 200 << true << false;
        QTest::newRow("plain text") << "text/plain" << 200 << false << false;
        QTest::newRow("error page") << "text/html" << 404 << false << false;
    }
    void webPagesTellThemselves()
    {
        QFETCH(QString, type);
        QFETCH(int, status);
        QFETCH(bool, canOpen);
        QFETCH(bool, isWebPage);
        OnlineVideoServer server;
        QVERIFY(server.start(m_dir.path()));
        const bool movie = type.isEmpty() || type.startsWith("video/");
        QJsonObject answer{{"status", status}, {"type", type.isEmpty() ? "text/html" : type}};
        answer.insert(movie ? "file" : "body", movie ? m_clip : "<html><body>a page</body></html>");
        server.route("/x", answer);
        const QXMovieProbe probe = QXProbeMovieURL(QUrl(server.origin + "/x"));
        QCOMPARE(probe.canOpen, canOpen);
        QCOMPARE(probe.isWebPage, isWebPage);
    }
};

QTEST_GUILESS_MAIN(TestMovieProbe)
#include "test_movieprobe.moc"
