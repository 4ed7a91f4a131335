// Collecting movies from addresses, files and folders: nesting, loops, roots, odd files.
#include "TestSupport.h"
#include "engine/QXFileNames.h"
#include "engine/QXMovie.h"
#include "util/QXMovieCollection.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

static const bool engineEnvironment = [] {
    qputenv("VISTREL_AO", "null");
    return true;
}();

namespace {

QStringList paths(const QList<QUrl> &urls)
{
    QStringList out;
    for (const QUrl &u : urls)
        out << u.toLocalFile();
    return out;
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

} // namespace

class TestCollection : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_movie; // one tiny movie, copied wherever one is needed

    QString put(const QString &relative)
    {
        const QString path = m_dir.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        return QFile::copy(m_movie, path) ? path : QString();
    }
    QString root(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_movie = testsupport::makeVideo(m_dir.path(), "source.mp4", 64, 48, 0.2, false);
        QVERIFY(!m_movie.isEmpty());
    }

    void folderWithNestedFolder()
    {
        const QString a = put("plain/clip.mp4");
        const QString b = put("plain/inner/deeper.mp4");
        testsupport::makeFile(root("plain"), "notes.txt", "not a movie");
        QList<QUrl> into{QUrl("http://kept.example/first")};
        QVERIFY(QXAddMovieURLsFromPaths(into, {root("plain")}, QString(), false));
        QCOMPARE(into.size(), 3);
        QCOMPARE(into.first(), QUrl("http://kept.example/first")); // appended, never replaced
        QCOMPARE(sorted(paths(into.mid(1))), sorted({a, b}));

        // Names joined to the base path; empty names skipped; a text file alone gives nothing.
        QList<QUrl> joined;
        QVERIFY(QXAddMovieURLsFromPaths(joined, {"", "clip.mp4", "notes.txt"}, root("plain"), true));
        QCOMPARE(paths(joined), QStringList{a});
        QList<QUrl> none;
        QVERIFY(!QXAddMovieURLsFromPaths(none, {root("plain/notes.txt"), root("gone.mp4"), ""},
                                         QString(), false));
        QVERIFY(none.isEmpty());
    }

    void addresses()
    {
        const QString a = put("addr/one.mp4");
        const QString text = testsupport::makeFile(root("addr"), "words.txt", "x");
        QList<QUrl> into;
        QVERIFY(QXAddMovieURLs(into, {QUrl::fromLocalFile(root("addr")),
                                      QUrl("http://www.youtube.com/watch?v=abc"),
                                      QUrl::fromLocalFile(text)}, false));
        QCOMPARE(into, (QList<QUrl>{QUrl::fromLocalFile(a), QUrl("http://www.youtube.com/watch?v=abc")}));
        QList<QUrl> none;
        QVERIFY(!QXAddMovieURLs(none, {QUrl::fromLocalFile(text), QUrl()}, false));
        QVERIFY(none.isEmpty());
    }

    void linkLoopsEnd()
    {
        // loop/a/b/up -> ../.. (loop itself) and loop/self -> . lead back into folders already
        // entered: those links are cut, every movie comes once.
        const QString m0 = put("loop/m0.mp4");
        const QString m1 = put("loop/a/m1.mp4");
        const QString m2 = put("loop/a/b/m2.mp4");
        QVERIFY(QFile::link("../..", root("loop/a/b/up")));
        QVERIFY(QFile::link(".", root("loop/self")));
        QList<QUrl> into;
        QVERIFY(QXAddMovieURLsFromPaths(into, {root("loop")}, QString(), false));
        QCOMPARE(sorted(paths(into)), sorted({m0, m1, m2}));

        // Starting inside the loop, the link leads up and around once, then is cut.
        QList<QUrl> inside;
        QVERIFY(QXAddMovieURLsFromPaths(inside, {root("loop/a/b")}, QString(), false));
        QCOMPARE(sorted(paths(inside)),
                 sorted({m2, root("loop/a/b/up/m0.mp4"), root("loop/a/b/up/a/m1.mp4")}));
    }

    void doublyLinkedChainIsLinear()
    {
        // c0 -> c1 -> ... -> c39, each by two links: 2^40 ways down, 40 folders, each entered
        // once (by whichever link comes first).
        constexpr int Length = 40;
        for (int i = 0; i < Length; ++i) {
            const QString folder = root(QString("chain/c%1").arg(i));
            QVERIFY(QDir().mkpath(folder));
            if (i + 1 < Length)
                for (const char *name : {"a", "b"})
                    QVERIFY(QFile::link(QString("../c%1").arg(i + 1), folder + "/" + name));
        }
        put(QString("chain/c%1/end.mp4").arg(Length - 1));
        QElapsedTimer clock;
        clock.start();
        QStringList entered;
        QList<QUrl> into;
        QVERIFY(QXAddMovieURLsFromPaths(into, {root("chain/c0")}, QString(), false,
                                        [&](const QString &folder) { entered << folder; return true; }));
        QVERIFY2(clock.elapsed() < 20000, "the walk did not end in time");
        QCOMPARE(entered.size(), Length);
        QCOMPARE(into.size(), 1);
        QCOMPARE(into.first().fileName(), QString("end.mp4"));
    }

    void cancelledWalkStopsAndCollectsNothing()
    {
        put("cancel/one/a.mp4");
        put("cancel/two/b.mp4");
        put("cancel/three/c.mp4");
        const QList<QUrl> kept{QUrl("http://kept.example/first")};
        QList<QUrl> into = kept;
        QStringList entered;
        // Cancelled while entering the second folder: nothing past it, nothing appended.
        QVERIFY(!QXAddMovieURLsFromPaths(into, {root("cancel")}, QString(), false, [&](const QString &f) {
            entered << f;
            if (entered.size() == 2)
                QXRequestWalkCancel();
            return true;
        }));
        QVERIFY(QXWalkCancelled());
        QCOMPARE(entered.size(), 2);
        QCOMPARE(into, kept);
        // While the cancel stands, folders give nothing; what is named on its own still goes in.
        QVERIFY(QXAddMovieURLs(into, {QUrl::fromLocalFile(root("cancel")), QUrl("http://h/x.mp4")}, false));
        QCOMPARE(into, kept + QList<QUrl>{QUrl("http://h/x.mp4")});
        QXRequestWalkCancel(false);
        into = kept;
        QVERIFY(QXAddMovieURLs(into, {QUrl::fromLocalFile(root("cancel"))}, false));
        QCOMPARE(into.size(), 4);
    }

    void namesThatAreNotUtf8()
    {
        // Listed by their bytes and opened by them, not dropped or mangled.
        put("raw/plain.mp4");
        const QByteArray rawName = QFile::encodeName(root("raw")) + "/clip\xff\xfe.mp4";
        QVERIFY(::rename(QFile::encodeName(root("raw/plain.mp4")).constData(), rawName.constData()) == 0);
        QList<QUrl> into;
        QVERIFY(QXAddMovieURLsFromPaths(into, {root("raw")}, QString(), false));
        QCOMPARE(into.size(), 1);
        QCOMPARE(into.first(), QXFileNames::fileURL(QXFileNames::decode(rawName)));
        QVERIFY(into.first().toEncoded().endsWith("/clip%FF%FE.mp4"));
        std::unique_ptr<QXMovie> movie(QXMovie::movieWithURL(into.first()));
        QVERIFY(movie);
        QCOMPARE(movie->naturalSize(), QSizeF(64, 48));
    }

    void oddEntries()
    {
        const QString a = put("odd/real.mp4");
        QVERIFY(QFile::link("missing.mp4", root("odd/dangling.mp4")));
        QVERIFY(::mkfifo(QFile::encodeName(root("odd/pipe.mp4")).constData(), 0600) == 0);
        QVERIFY(QFile::link(a, root("odd/linked.mp4")));
        QVERIFY(QFile::copy(m_movie, root("odd/.hidden-real.mp4")));
        QList<QUrl> into;
        QVERIFY(QXAddMovieURLsFromPaths(into, {root("odd")}, QString(), false)); // no hang on the pipe
        QCOMPARE(sorted(paths(into)), sorted({a, root("odd/linked.mp4"), root("odd/.hidden-real.mp4")}));

        if (::geteuid() == 0)
            QSKIP("root reads folders whatever their mode");
        put("odd/locked/inside.mp4");
        QVERIFY(QFile::setPermissions(root("odd/locked"), QFileDevice::Permissions()));
        QList<QUrl> locked;
        QVERIFY(!QXAddMovieURLsFromPaths(locked, {root("odd/locked")}, QString(), false));
        QFile::setPermissions(root("odd/locked"), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                      | QFileDevice::ExeOwner);
    }

    void rootWalkSkipsSystemFolders()
    {
        // Walk "/" one level deep: every folder the walk would enter is recorded, only "/"
        // itself is listed.
        QStringList entered;
        QList<QUrl> into;
        QXAddMovieURLsFromPaths(into, {"/"}, QString(), false, [&](const QString &folder) {
            entered << folder;
            return folder == "/";
        });
        QVERIFY(entered.contains("/"));
        QVERIFY(entered.contains("/usr")); // the walk does reach ordinary folders
        for (const char *p : {"/dev", "/var", "/proc", "/sys", "/etc", "/tmp", "/run", "/opt"})
            QVERIFY2(!entered.contains(p), p);
        // Named directly below a root, or reached through a link, the kernel and device trees
        // are still refused; folders under /tmp are walked.
        QTemporaryDir underTmp("/tmp/vistrel-walk-XXXXXX");
        QVERIFY(underTmp.isValid());
        const QString tmpMovie = underTmp.filePath("inner/t.mp4");
        QVERIFY(QDir().mkpath(underTmp.filePath("inner")) && QFile::copy(m_movie, tmpMovie));
        QVERIFY(QDir().mkpath(root("sys")));
        QVERIFY(QFile::link("/proc/self", root("sys/proc-self")));
        QVERIFY(QFile::link("/dev", root("sys/dev")));
        QVERIFY(QFile::link(underTmp.path(), root("sys/tmp")));
        QStringList below;
        QList<QUrl> found;
        QXAddMovieURLsFromPaths(found, {"/dev/", "/proc/self", "/sys/kernel", root("sys")}, QString(),
                                false, [&](const QString &folder) { below << folder; return true; });
        QCOMPARE(below, (QStringList{root("sys"), root("sys/tmp"), root("sys/tmp/inner")}));
        QCOMPARE(paths(found), QStringList{root("sys/tmp/inner/t.mp4")});
        QStringList network;
        QXAddMovieURLsFromPaths(into, {"Network", "dev"}, "/", false, [&](const QString &folder) {
            network << folder;
            return false;
        });
        QVERIFY(network.isEmpty());
    }

    void order()
    {
        QVERIFY(QXCompareNames("file:///m/movie 2.mov", "file:///m/movie 10.mov") < 0);
        QVERIFY(QXCompareNames("a.mov", "B2.mov") < 0);
        QVERIFY(QXCompareNames("B2.mov", "b10.mov") < 0);
        QCOMPARE(QXCompareNames("ABC", "abc"), 0);
        QVERIFY(QXCompareNames("x", "x1") < 0);
        QCOMPARE(QXCompareNames("m007", "m7"), 0);   // leading zeros do not count
        QVERIFY(QXCompareNames("m99999999999999999999", "m100000000000000000000") < 0);   // no overflow
        QStringList names{"b10.mov", "B2.mov", "a.mov"};
        std::sort(names.begin(), names.end(),
                  [](const QString &x, const QString &y) { return QXCompareNames(x, y) < 0; });
        QCOMPARE(names, (QStringList{"a.mov", "B2.mov", "b10.mov"}));
    }
};

QTEST_MAIN(TestCollection)
#include "test_collection.moc"
