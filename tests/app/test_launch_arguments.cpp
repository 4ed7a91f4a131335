// Command-line parsing, the hand-over message, and the own-scheme address rewrite.
#include "app/QXLaunchArguments.h"
#include "engine/QXFileNames.h"

#include <QtTest>

class TestLaunchArguments : public QObject
{
    Q_OBJECT
private slots:
    void parsesFilesAddressesAndOptions()
    {
        const QXLaunchArguments a = QXParseLaunchArguments(
            {"clip.mp4", "../x/y.mov", "/abs/z.mkv", "vistrelx://host/m.mp4", "https://h/s.m3u8", "VistrelXS://h/n.mp4",
             "file:///tmp/f.mp4", "--", "-dash.mp4"},
            "/home/u/movies");
        QCOMPARE(a.files, QStringList({"/home/u/movies/clip.mp4", "/home/u/x/y.mov", "/abs/z.mkv",
                                       "/tmp/f.mp4", "/home/u/movies/-dash.mp4"}));
        QCOMPARE(a.ownAddresses, QStringList({"vistrelx://host/m.mp4", "VistrelXS://h/n.mp4"}));
        QCOMPARE(a.webAddresses, QStringList({"https://h/s.m3u8"}));
        QVERIFY(!a.help && !a.version && a.error.isEmpty()); // options: helpAndVersionNeedNoDisplay
        // A name with a colon but no scheme is a file.
        QCOMPARE(QXParseLaunchArguments({"a:b.mp4"}, "/m").files, QStringList({"/m/a:b.mp4"}));
        // Bytes that are not UTF-8, named or in a file address, are kept.
        const QString dir = QXFileNames::decode("/m\xfe"), raw = QXFileNames::decode("r\xff.mp4");
        QCOMPARE(QXParseLaunchArguments({raw, "file:///m%FE/r%FF.mp4"}, dir).files,
                 QStringList({dir + "/" + raw, dir + "/" + raw}));
    }

    void messageRoundTripKeepsAwkwardNames()
    {
        QXLaunchArguments a;
        a.files = {"/tmp/with\nnewline.mp4", "/tmp/tab\there.mov", "/tmp/ünï cödé.mkv",
                   QXFileNames::decode("/tmp/not utf-8 \xff\xc3(.mp4")};
        a.ownAddresses = {"vistrelx://h/a b"};
        a.webAddresses = {"http://h/x?y=1&z=2"};
        const QXLaunchArguments b = QXLaunchArguments::fromMessage(a.toMessage());
        QCOMPARE(b.files, a.files);
        QCOMPARE(b.ownAddresses, a.ownAddresses);
        QCOMPARE(b.webAddresses, a.webAddresses);
        QVERIFY(QXLaunchArguments::fromMessage(QByteArray()).isEmpty());
        // Garbage and relative paths from a foreign client are ignored.
        QVERIFY(QXLaunchArguments::fromMessage("junk\nfile\trelative.mp4\n\t\n").isEmpty());
    }

    void ownSchemeBecomesHttp()
    {
        QCOMPARE(QXURLHandlerAddress("vistrelx://host/movie.mp4"), QUrl("http://host/movie.mp4"));
        QCOMPARE(QXURLHandlerAddress("vistrelxs://host/m.mp4"), QUrl("https://host/m.mp4"));
        QVERIFY(QXURLHandlerAddress("vistrel").isEmpty());   // shorter than eight characters
        QVERIFY(QXURLHandlerAddress("vistrelx:").isEmpty()); // "http" alone is no address
        QVERIFY(QXURLHandlerAddress("vistrelx://").isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestLaunchArguments)
#include "test_launch_arguments.moc"
