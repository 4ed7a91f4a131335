// Collecting movies from addresses, files and folders: nesting, link loops and chains,
// cancelling, odd files (pipes, dangling links, locked folders), system roots and kernel
// trees; and the order of names. (Names that are not UTF-8: the launch test walks them.)
#include "TestSupport.h"
#include "util/QXMovieCollection.h"

#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

static QStringList sorted(QStringList list) { list.sort(); return list; }

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
    // The files a walk collects, sorted, and the folders it enters; an answer that disagrees
    // with what was collected shows in the list.
    static QStringList walk(const QStringList &from, const QString &base = {}, QStringList *entered = nullptr)
    {
        QList<QUrl> into;
        const bool any = QXAddMovieURLsFromPaths(into, from, base, false, [&](const QString &folder) {
            if (entered)
                *entered << folder;
            return true;
        });
        QStringList found;
        for (const QUrl &u : into)
            found << u.toLocalFile();
        return sorted(found) + (any == into.isEmpty() ? QStringList{"<wrong answer>"} : QStringList());
    }

private slots:
    void initTestCase()
    {
        m_movie = testsupport::makeVideo(m_dir.path(), "source.mp4", 64, 48, 0.2, false);
        QVERIFY(!m_movie.isEmpty());
    }
    void cleanup() { QXRequestWalkCancel(false); }

    void foldersFilesAndAddresses()
    {
        const QString a = put("plain/clip.mp4"), b = put("plain/inner/deeper.mp4");
        const QString text = testsupport::makeFile(root("plain"), "notes.txt", "not a movie");
        QCOMPARE(walk({root("plain")}), sorted({a, b}));
        // Names joined to the base path; empty names skipped; no movie, nothing.
        QCOMPARE(walk({"", "clip.mp4", "notes.txt"}, root("plain")), QStringList{a});
        QCOMPARE(walk({text, root("gone.mp4"), ""}), QStringList());
        // Appended in order after what is there, files and web pages alike.
        const QList<QUrl> kept{QUrl("http://kept.example/first")}, page{QUrl("http://www.youtube.com/watch?v=abc")};
        QList<QUrl> into = kept;
        QVERIFY(QXAddMovieURLs(into, {QUrl::fromLocalFile(root("plain/inner")), page.first(), QUrl::fromLocalFile(text), QUrl()}, false));
        QCOMPARE(into, kept + QList<QUrl>{QUrl::fromLocalFile(b)} + page);
        QVERIFY(!QXAddMovieURLs(into, {QUrl::fromLocalFile(text), QUrl()}, false));
    }

    void linksEnterEachFolderOnce()
    {
        // loop/a/b/up -> ../.. (loop itself) and loop/self -> . lead back into folders already
        // entered: those links are cut, every movie comes once.
        const QString m0 = put("loop/m0.mp4"), m1 = put("loop/a/m1.mp4"), m2 = put("loop/a/b/m2.mp4");
        QVERIFY(QFile::link("../..", root("loop/a/b/up")) && QFile::link(".", root("loop/self")));
        QCOMPARE(walk({root("loop")}), sorted({m0, m1, m2}));
        // Starting inside the loop, the link leads up and around once, then is cut.
        QCOMPARE(walk({root("loop/a/b")}), sorted({m2, root("loop/a/b/up/m0.mp4"), root("loop/a/b/up/a/m1.mp4")}));

        // c0 -> c1 -> ... -> c39, each by two links: 2^40 ways down, 40 folders, each entered
        // once (by whichever link comes first).
        constexpr int Length = 40;
        for (int i = 0; i < Length; ++i) {
            QVERIFY(QDir().mkpath(root(QString("chain/c%1").arg(i))));
            for (const char *name : {"a", "b"})
                QVERIFY(i + 1 == Length || QFile::link(QString("../c%1").arg(i + 1), root(QString("chain/c%1/").arg(i) + name)));
        }
        put(QString("chain/c%1/end.mp4").arg(Length - 1));
        QStringList entered;
        const QStringList found = walk({root("chain/c0")}, {}, &entered); // ends at all: the test's time-out
        QCOMPARE(entered.size(), Length);
        QVERIFY2(found.size() == 1 && found.first().endsWith("/end.mp4"), qPrintable(found.join(", ")));
    }

    void cancelledWalkStopsAndCollectsNothing()
    {
        for (const char *movie : {"one/a", "two/b", "three/c"})
            put(QString("cancel/%1.mp4").arg(movie));
        const QList<QUrl> kept{QUrl("http://kept.example/first")};
        QList<QUrl> into = kept;
        QStringList entered;
        // Cancelled while entering the third folder, one movie in: nothing past it, nothing appended.
        QVERIFY(!QXAddMovieURLsFromPaths(into, {root("cancel")}, QString(), false, [&](const QString &f) {
            entered << f;
            if (entered.size() == 3)
                QXRequestWalkCancel();
            return true;
        }));
        QVERIFY(QXWalkCancelled());
        QCOMPARE(entered.size(), 3);
        QCOMPARE(into, kept);
        // While the cancel stands, folders give nothing; what is named on its own still goes in.
        QVERIFY(QXAddMovieURLs(into, {QUrl::fromLocalFile(root("cancel")), QUrl("http://h/x.mp4")}, false));
        QCOMPARE(into, kept + QList<QUrl>{QUrl("http://h/x.mp4")});
        QXRequestWalkCancel(false);
        QCOMPARE(walk({root("cancel")}).size(), 3);
    }

    void oddEntries()
    {
        const QString a = put("odd/real.mp4");
        QVERIFY(QFile::link("missing.mp4", root("odd/dangling.mp4")));
        QVERIFY(::mkfifo(QFile::encodeName(root("odd/pipe.mp4")).constData(), 0600) == 0);
        QVERIFY(QFile::link(a, root("odd/linked.mp4")) && QFile::copy(m_movie, root("odd/.hidden-real.mp4")));
        // No hang on the pipe.
        QCOMPARE(walk({root("odd")}), sorted({a, root("odd/linked.mp4"), root("odd/.hidden-real.mp4")}));
        if (::geteuid() == 0)
            QSKIP("root reads folders whatever their mode");
        put("odd/locked/inside.mp4");
        QVERIFY(QFile::setPermissions(root("odd/locked"), QFileDevice::Permissions()));
        QCOMPARE(walk({root("odd/locked")}), QStringList());
        QFile::setPermissions(root("odd/locked"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    void systemFoldersAreSkipped()
    {
        // Walk "/" one level deep: every folder the walk would enter is recorded, only "/"
        // itself is listed.
        QStringList entered;
        QList<QUrl> into;
        QXAddMovieURLsFromPaths(into, {"/"}, QString(), false, [&](const QString &folder) {
            entered << folder;
            return folder == "/";
        });
        QVERIFY(entered.contains("/") && entered.contains("/usr")); // the walk does reach ordinary folders
        for (const char *p : {"/dev", "/var", "/proc", "/sys", "/etc", "/tmp", "/run", "/opt"})
            QVERIFY2(!entered.contains(p), p);
        // Named directly below a root, or reached through a link, the kernel and device trees
        // are still refused; folders under /tmp are walked.
        QTemporaryDir underTmp("/tmp/vistrel-walk-XXXXXX");
        QVERIFY(QDir().mkpath(underTmp.filePath("inner")) && QFile::copy(m_movie, underTmp.filePath("inner/t.mp4")));
        QVERIFY(QDir().mkpath(root("sys")));
        QVERIFY(QFile::link("/proc/self", root("sys/proc-self")) && QFile::link("/dev", root("sys/dev")));
        QVERIFY(QFile::link(underTmp.path(), root("sys/tmp")));
        QStringList below;
        QCOMPARE(walk({"/dev/", "/proc/self", "/sys/kernel", root("sys")}, {}, &below), QStringList{root("sys/tmp/inner/t.mp4")});
        QCOMPARE(below, (QStringList{root("sys"), root("sys/tmp"), root("sys/tmp/inner")}));
        QStringList network;
        QCOMPARE(walk({"Network", "dev"}, "/", &network), QStringList());
        QVERIFY(network.isEmpty());
    }

    void order()
    {
        // Each pair in order; case and leading zeros do not count, long digit runs do not overflow.
        const std::pair<const char *, const char *> before[] = {
            {"file:///m/movie 2.mov", "file:///m/movie 10.mov"}, {"a.mov", "B2.mov"}, {"B2.mov", "b10.mov"},
            {"x", "x1"}, {"m99999999999999999999", "m100000000000000000000"}};
        for (const auto &[a, b] : before)
            QVERIFY2(QXCompareNames(a, b) < 0 && QXCompareNames(b, a) > 0, a);
        QCOMPARE(QXCompareNames("ABC", "abc"), 0);
        QCOMPARE(QXCompareNames("m007", "m7"), 0);
    }
};

QTEST_MAIN(TestCollection)
#include "test_collection.moc"
