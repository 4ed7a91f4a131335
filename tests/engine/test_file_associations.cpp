// The types the desktop entry claims are types the player opens: each one's names are accepted
// by the movie probe, playlists are left to the programs that read them, and files of the
// less common suffixes, made by ffmpeg, really open.
#include "engine/QXMovie.h"
#include "engine/QXMovieProbe_p.h"
#include "TestSupport.h"

#include <QMimeDatabase>
#include <QtTest>

namespace {

// Names desktops send that have no name pattern in the shared MIME database, with the suffix
// each stands for.
const QHash<QString, QString> namesWithoutPattern{{"video/mkv", "mkv"}, {"audio/webm", "weba"}};

QStringList declaredTypes()
{
    const QByteArray entry = testsupport::readFile(testsupport::supportFile("../../resources/vistrel.desktop"));
    for (const QByteArray &line : entry.split('\n'))
        if (line.startsWith("MimeType="))
            return QString::fromUtf8(line.mid(9)).split(';', Qt::SkipEmptyParts);
    return {};
}

} // namespace

class TestFileAssociations : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void everyTypeIsOneThePlayerOpens()
    {
        const QStringList types = declaredTypes();
        QVERIFY2(types.size() > 100, qPrintable(QString::number(types.size())));
        QCOMPARE(QSet<QString>(types.begin(), types.end()).size(), types.size());
        const QMimeDatabase db;
        QStringList refused;
        for (const QString &name : types) {
            if (name.startsWith("x-scheme-handler/"))
                continue;
            QStringList suffixes{namesWithoutPattern.value(name)};
            if (suffixes.first().isEmpty()) {
                const QMimeType type = db.mimeTypeForName(name);
                if (!type.isValid()) {
                    refused << name + " (unknown)";
                    continue;
                }
                suffixes = type.suffixes();
            }
            const bool accepted = std::any_of(suffixes.begin(), suffixes.end(), [](const QString &s) {
                return !QXMovieProbeInternal::nameSaysNoMovie("movie." + s);
            });
            if (!accepted)
                refused << name + " (" + suffixes.join(' ') + ")";
        }
        QVERIFY2(refused.isEmpty(), qPrintable(refused.join(", ")));
    }

    // Playlists are text the player does not read as a movie: claiming them would make the
    // desktop offer it for files it turns away.
    void playlistsAndOwnSchemes()
    {
        const QStringList types = declaredTypes();
        for (const char *playlist : {"audio/x-mpegurl", "audio/mpegurl", "application/vnd.apple.mpegurl",
                                     "audio/x-scpls", "application/xspf+xml", "audio/x-ms-asx",
                                     "video/vnd.mpegurl", "application/vnd.ms-wpl", "audio/x-iriver-pla"})
            QVERIFY2(!types.contains(playlist), playlist);
        for (const char *scheme : {"x-scheme-handler/vistrelx", "x-scheme-handler/vistrelxs"})
            QVERIFY2(types.contains(scheme), scheme);
        // Desktops match the exact string, so both spellings of the common containers are there.
        for (const char *alias : {"video/x-matroska", "video/mkv", "video/x-msvideo", "video/avi", "audio/mpeg",
                                  "audio/mp3", "audio/x-wav", "audio/wav", "audio/flac", "audio/x-flac"})
            QVERIFY2(types.contains(alias), alias);
    }

    // Suffixes mpv plays that are easy to miss: a file of each opens by name and content.
    void lessCommonSuffixesOpen_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("encoding");
        QTest::addColumn<bool>("video");
        const QStringList picture{"-c:v", "mpeg2video"};
        QTest::newRow("opus") << "a.opus" << QStringList{"-c:a", "libopus"} << false;
        QTest::newRow("weba") << "a.weba" << QStringList{"-c:a", "libopus", "-f", "webm"} << false;
        QTest::newRow("mka") << "a.mka" << QStringList{"-c:a", "flac"} << false;
        QTest::newRow("oga") << "a.oga" << QStringList{"-c:a", "flac", "-f", "ogg"} << false;
        QTest::newRow("wv") << "a.wv" << QStringList{"-c:a", "wavpack"} << false;
        QTest::newRow("tta") << "a.tta" << QStringList{"-c:a", "tta"} << false;
        QTest::newRow("spx") << "a.spx" << QStringList{"-c:a", "libspeex", "-ar", "16000", "-f", "ogg"} << false;
        QTest::newRow("m2ts") << "v.m2ts" << picture + QStringList{"-f", "mpegts"} << true;
        QTest::newRow("mts") << "v.mts" << picture + QStringList{"-f", "mpegts"} << true;
        QTest::newRow("ogv") << "v.ogv" << QStringList{"-c:v", "libtheora"} << true;
        QTest::newRow("wtv") << "v.wtv" << picture + QStringList{"-f", "wtv"} << true;
        QTest::newRow("3gp") << "v.3gp" << QStringList{"-c:v", "libx264", "-pix_fmt", "yuv420p"} << true;
        QTest::newRow("wmv") << "v.wmv" << QStringList{"-c:v", "wmv2"} << true;
        QTest::newRow("dv") << "v.dv" << QStringList{"-c:v", "dvvideo", "-s", "720x576", "-r", "25", "-pix_fmt", "yuv420p"} << true;
    }
    void lessCommonSuffixesOpen()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, encoding);
        QFETCH(bool, video);
        const QString source = video ? "testsrc2=size=320x240:rate=25:duration=1" : "sine=frequency=440:duration=1";
        const QString path = testsupport::ffmpeg(dir.filePath(name), QStringList{"-f", "lavfi", "-i", source} + encoding);
        QVERIFY2(!path.isEmpty(), "ffmpeg made no file");
        QVERIFY(!QXMovieProbeInternal::nameSaysNoMovie(name));
        const QXMovieProbe probe = QXProbeMovieFile(path);
        QVERIFY2(probe.canOpen, qPrintable(probe.failure));
        QCOMPARE(probe.hasVideo, video);
        QCOMPARE(probe.hasAudio, !video);
    }
};

QTEST_GUILESS_MAIN(TestFileAssociations)
#include "test_file_associations.moc"
