// Collecting movies from addresses, files and folders: nesting, link loops and chains,
// cancelling, odd files (pipes, dangling links, locked folders), system roots and kernel
// trees; and the order of names. (Names that are not UTF-8: the launch test walks them.)
#include "TestSupport.h"
#include "engine/QXFileNames.h"
#include "util/QXMovieCollection.h"

#include <QtTest>

#include <dirent.h>
#include <fcntl.h>
#include <functional>
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
    // The names a folder lists, in the order it lists them.
    static QList<QByteArray> listing(const QString &folder)
    {
        QList<QByteArray> names;
        if (DIR *dir = ::opendir(QXFileNames::encode(folder).constData())) {
            while (const dirent *e = ::readdir(dir))
                names << QByteArray(e->d_name);
            ::closedir(dir);
        }
        return names;
    }
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

    void stoppedWalkKeepsWhatItFound()
    {
        // One movie and one text in each of three folders; the walk is stopped as it enters
        // the n-th folder it meets. Unlike a cancel, a stop keeps the movies found before it,
        // and the count says how many files were looked at.
        for (const char *f : {"one", "two", "three"}) {
            put(QString("stop/%1/m.mp4").arg(f));
            testsupport::makeFile(root(QString("stop/%1").arg(f)), "t.txt", "text");
        }
        struct Case
        {
            int stopAt;          // folders entered, the top one included
            qsizetype movies;
            qint64 files;
        };
        for (const Case c : {Case{1, 0, 0}, Case{2, 0, 0}, Case{3, 1, 2}, Case{4, 2, 4}, Case{5, 3, 6}}) {
            QXWalkControl control;
            int entered = 0;
            QList<QUrl> into{QUrl("http://kept.example/first")};
            const bool any = QXAddMovieURLsFromPaths(into, {root("stop")}, QString(), false, [&](const QString &) {
                if (++entered == c.stopAt)
                    control.stop = true;
                return true;
            }, &control);
            QCOMPARE(into.size() - 1, c.movies);
            QCOMPARE(any, c.movies > 0);
            QCOMPARE(control.filesSeen.load(), c.files);
            QVERIFY(!QXWalkCancelled());
        }
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

    void madeTreesGiveTheSameMovies()
    {
        // Each tree is laid out under its own folder; what the walk finds is given relative to
        // it, and a relative "=>" path names the link that leads to a real file.
        const QByteArray text = "just some words\n";
        const auto link = [this](const QString &target, const QString &at) {
            QDir().mkpath(QFileInfo(root(at)).path());
            return QFile::link(target, root(at));
        };
        const auto file = [this](const QString &at, const QByteArray &bytes) {
            QDir().mkpath(QFileInfo(root(at)).path());
            return !testsupport::makeFile(QFileInfo(root(at)).path(), QFileInfo(root(at)).fileName(), bytes).isEmpty();
        };
        struct Tree
        {
            const char *name;
            std::function<bool()> make;
            QStringList found;
        };
        const Tree trees[] = {
            {"t-nested", [&] {
                 return !put("t-nested/a/b/c/deep.mp4").isEmpty() && !put("t-nested/a/top.mkv").isEmpty()
                     && !put("t-nested/a/b/mid.mov").isEmpty() && !put("t-nested/no extension").isEmpty()
                     && !put("t-nested/a/renamed.txt").isEmpty() && file("t-nested/notes.txt", text)
                     && file("t-nested/a/fake.mp4", text) && file("t-nested/a/b/empty.mp4", {})
                     && file("t-nested/draft", text) && QDir().mkpath(root("t-nested/a/void"));
             }, {"a/b/c/deep.mp4", "a/b/mid.mov", "a/top.mkv", "no extension"}},
            {"t-hidden", [&] {
                 return !put("t-hidden/.dot.mp4").isEmpty() && !put("t-hidden/.folder/in.mp4").isEmpty()
                     && !put("t-hidden/.folder/.deeper/.x.m4v").isEmpty() && !put("t-hidden/shown.mp4").isEmpty();
             }, {".dot.mp4", ".folder/.deeper/.x.m4v", ".folder/in.mp4", "shown.mp4"}},
            {"t-cased", [&] {
                 return !put("t-cased/A.MP4").isEmpty() && !put("t-cased/b.Mkv").isEmpty() && !put("t-cased/c.MoV").isEmpty()
                     && !put("t-cased/D.WEBM").isEmpty() && !put("t-cased/e.M4V").isEmpty() && !put("t-cased/f.TXT").isEmpty()
                     && !put("t-cased/g.JPG").isEmpty() && file("t-cased/h.Mp4", text);
             }, {"A.MP4", "D.WEBM", "b.Mkv", "c.MoV", "e.M4V"}},
            {"t-links", [&] {
                 return !put("t-elsewhere/far.mp4").isEmpty() && !put("t-links/real.mp4").isEmpty()
                     && link("real.mp4", "t-links/to-file.mp4") && link("real.mp4", "t-links/to-file.txt")
                     && link("../t-elsewhere", "t-links/to-folder") && link("nowhere.mp4", "t-links/dangling.mp4")
                     && link(".", "t-links/self") && link("../../t-links", "t-links/inner/back") && !put("t-links/inner/here.mp4").isEmpty();
             }, {"inner/here.mp4", "real.mp4", "to-file.mp4", "to-folder/far.mp4"}},
            {"t-odd", [&] {
                 const QByteArray raw = QFile::encodeName(put("t-odd/movie.mp4")).replace("/movie.mp4", "") + "/caf\xe9 \xff.mp4";
                 const QByteArray movie = testsupport::readFile(m_movie);
                 const int fd = ::open(raw.constData(), O_WRONLY | O_CREAT, 0600);
                 const bool written = fd >= 0 && ::write(fd, movie.constData(), size_t(movie.size())) == movie.size();
                 if (fd >= 0)
                     ::close(fd);
                 return written
                     && ::mkfifo(QFile::encodeName(root("t-odd/pipe.mp4")).constData(), 0600) == 0
                     && QDir().mkpath(root("t-odd/empty folder"));
             }, {"movie.mp4", QXFileNames::decode("caf\xe9 \xff.mp4")}},
            {"t-names", [&] {
                 bool ok = true;
                 for (const char *n : {"Clip 10.mp4", "clip 2.mp4", "Clip 02b.mp4", "\xc3\x84rger.mp4", "\xc3\xa4rger 1.mp4",
                                       "z.mp4", "A.mp4", "x 99999999999999999999.mp4", "x 100000000000000000000.mp4"})
                     ok = ok && !put(QString("t-names/") + QString::fromUtf8(n)).isEmpty();
                 return ok;
             }, {"A.mp4", "Clip 02b.mp4", "Clip 10.mp4", "clip 2.mp4", "x 100000000000000000000.mp4",
                 "x 99999999999999999999.mp4", "z.mp4", "\u00c4rger.mp4", "\u00e4rger 1.mp4"}},
        };
        for (const Tree &t : trees) {
            QVERIFY2(t.make(), t.name);
            QStringList expected;
            for (const QString &f : t.found)
                expected << root(QString(t.name) + '/' + f);
            QList<QUrl> into;
            QVERIFY2(QXAddMovieURLsFromPaths(into, {root(t.name)}, QString(), false), t.name);
            QStringList found;
            for (const QUrl &u : std::as_const(into))
                found << QXFileNames::localPath(u);
            // The walk goes down each folder where the listing names it: the movies of one folder
            // come in the listing's order, and those below a folder come together.
            for (qsizetype i = 1; i < found.size(); ++i) {
                const QString folder = QFileInfo(found[i]).path();
                if (QFileInfo(found[i - 1]).path() == folder) {
                    const QList<QByteArray> names = listing(folder);
                    QVERIFY2(names.indexOf(QXFileNames::encode(QFileInfo(found[i - 1]).fileName()))
                                 < names.indexOf(QXFileNames::encode(QFileInfo(found[i]).fileName())),
                             qPrintable(found[i]));
                }
            }
            for (const QString &f : std::as_const(found)) {
                const QString folder = QFileInfo(f).path() + '/';
                qsizetype first = -1, last = -1, count = 0;
                for (qsizetype i = 0; i < found.size(); ++i)
                    if (found[i].startsWith(folder)) {
                        first = first < 0 ? i : first;
                        last = i;
                        ++count;
                    }
                QVERIFY2(last - first + 1 == count, qPrintable(folder));
            }
            QCOMPARE(sorted(found), sorted(expected));
        }
        if (::geteuid() == 0)
            QSKIP("root reads folders whatever their mode");
        put("t-shut/open.mp4");
        put("t-shut/locked/inside.mp4");
        QVERIFY(QFile::setPermissions(root("t-shut/locked"), QFileDevice::Permissions()));
        QCOMPARE(walk({root("t-shut")}), QStringList{root("t-shut/open.mp4")});
        QFile::setPermissions(root("t-shut/locked"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
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
