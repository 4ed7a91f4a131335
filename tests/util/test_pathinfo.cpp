// Path tests (system and network roots, folders), link resolution, path strings and substrings,
// and icons.
#include "TestSupport.h"
#include "engine/QXFileNames.h"
#include "util/QXPathInfo.h"

#include <QBuffer>
#include <QImage>
#include <QtTest>

#include <atomic>
#include <functional>
#include <future>
#include <thread>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace QXPathInfo;

// A function of one string, an input and the answer (nullptr: a null string).
struct StringCase
{
    std::function<QString(const QString &)> f;
    const char *in, *out;
};
static void checkStrings(const char *what, std::initializer_list<StringCase> cases)
{
    for (const StringCase &c : cases) {
        const QString got = c.f(c.in), want = c.out ? QString(c.out) : QString();
        QVERIFY2(got == want && got.isNull() == want.isNull(), qPrintable(QString("%1(%2): %3").arg(what, c.in, got)));
    }
}

class TestPathInfo : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_home;

    QString at(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase() { m_home = QDir::homePath(); }
    void cleanup() { qputenv("HOME", QFile::encodeName(m_home)); }

    void substrings()
    {
        // First occurrence, case-sensitive, literal; not found: null, or the string itself.
        const auto before = [](bool self) { return [self](const QString &s) { return substringBefore(s.section('|', 0, 0), s.section('|', 1), self); }; };
        const auto after = [](bool self) { return [self](const QString &s) { return substringAfter(s.section('|', 0, 0), s.section('|', 1), self); }; };
        const auto between = [](bool self) { return [self](const QString &s) { return substringBetween(s.section('|', 0, 0), s.section('|', 1, 1), s.section('|', 2), self); }; };
        checkStrings("substring", {{before(false), "x.y.z|.", "x"}, {before(true), "abc|", "abc"}, {before(false), "abc|", nullptr},
                                   {after(false), "x.y.z|.", "y.z"}, {after(false), "abc|B", nullptr}, {after(false), "a(b|(", "b"},
                                   {after(false), "abc|c", ""}, {between(false), "a=1&b|a=|&", "1"}, {between(true), "a=1&b|a=|#", "1&b"},
                                   {between(false), "a=1&b|a=|#", nullptr}, {between(false), "a=1&b|z=|&", nullptr}, {between(true), "a=1&b|z=|&", "a=1"}});
        // Cut to whole characters within a byte count: "é" is 2 bytes, "😀" 4 (two UTF-16 units).
        const auto cut = [](const QString &s) { return truncatedToUtf8Bytes(s.section('|', 0, 0), s.section('|', 1).toInt()); };
        checkStrings("truncatedToUtf8Bytes", {{cut, "abc|3", "abc"}, {cut, "abcd|3", "abc"}, {cut, "aé|2", "a"}, {cut, "aé|3", "aé"},
                                              {cut, "a\xF0\x9F\x98\x80|4", "a"}, {cut, "a\xF0\x9F\x98\x80|5", "a\xF0\x9F\x98\x80"}, {cut, "é|0", ""}});
    }

    void systemAndNetworkRoots()
    {
        // Taboo roots as whole names; kernel and device trees by prefix (/tmp, /var, /opt and
        // /run only as a whole); the network root with or without its slashes.
        const struct { bool (*test)(const QString &); QStringList yes, no; } cases[] = {
            {isTabooSystemPath, {"/automount", "/Desktop Folder", "/dev", "/etc", "/mach", "/mach.sym", "/mach_kernel", "/opt", "/tmp", "/var", "/proc", "/sys", "/run", "/snap"},
             {"/dev/", "/dev/null", "/var/log", "/Dev", "dev", "/proc/1", "/sys/", "//dev", "/tmp/x", "/", ""}},
            {isKernelTreePath, {"/proc", "/proc/self", "/sys/", "/dev", "/dev/shm/x"},
             {"/procx", "/device", "/tmp/x", "/run/media/u", "/var/x", "/opt/x", "proc", "/home/proc", "/"}},
            {isNetworkPath, {"Network", "Network/", "/Network", "/Network/"}, {"/Network/Servers", "network", "//Network", "Network//"}}};
        for (const auto &c : cases) {
            for (const QString &p : c.yes)
                QVERIFY2(c.test(p), qPrintable(p));
            for (const QString &p : c.no)
                QVERIFY2(!c.test(p), qPrintable(p));
        }
    }

    void pathStrings()
    {
        const auto append = [](const QString &s) { return stringByAppendingPathComponent(s.section('|', 0, 0), s.section('|', 1)); };
        checkStrings("append", {{append, "/|dev", "/dev"}, {append, "/a//|/b/", "/a/b"}, {append, "|x", "x"}, {append, "a/|", "a"}, {append, "/a|../x", "/a/../x"}});
        checkStrings("deleting last", {{stringByDeletingLastPathComponent, "/tmp/scratch.tiff", "/tmp"}, {stringByDeletingLastPathComponent, "/tmp/lock/", "/tmp"},
                                       {stringByDeletingLastPathComponent, "/tmp", "/"}, {stringByDeletingLastPathComponent, "/", "/"},
                                       {stringByDeletingLastPathComponent, "scratch.tiff", ""}, {stringByDeletingLastPathComponent, "a/b", "a"}});
        checkStrings("deleting extension", {{stringByDeletingPathExtension, "x.tar.gz", "x.tar"}, {stringByDeletingPathExtension, "/a/.hidden", "/a/.hidden"},
                                            {stringByDeletingPathExtension, "..x", "..x"}, {stringByDeletingPathExtension, "scratch..tiff", "scratch."},
                                            {stringByDeletingPathExtension, "a.b/", "a"}, {stringByDeletingPathExtension, "/dir.d/file", "/dir.d/file"},
                                            {stringByDeletingPathExtension, "/", "/"}, {lastPathComponent, "/tmp/lock/", "lock"}, {lastPathComponent, "/", "/"}});
        qputenv("HOME", "/home/a");
        checkStrings("tilde", {{stringByAbbreviatingWithTildeInPath, "/home/a", "~"}, {stringByAbbreviatingWithTildeInPath, "/home/a/M/x.mov", "~/M/x.mov"},
                               {stringByAbbreviatingWithTildeInPath, "/home/ab/x.mov", "/home/ab/x.mov"}, {stringByAbbreviatingWithTildeInPath, "/x/home/a", "/x/home/a"},
                               {stringByAbbreviatingWithTildeInPath, "/", "/"}, {stringByExpandingTildeInPath, "~", "/home/a"},
                               {stringByExpandingTildeInPath, "~/M/", "/home/a/M"}, {stringByExpandingTildeInPath, "/x/~", "/x/~"},
                               {stringByExpandingTildeInPath, "~root/x", "/root/x"}, {stringByExpandingTildeInPath, "~no-such-user-qx/x", "~no-such-user-qx/x"}});
    }

    void folderTestsAndCreation()
    {
        const QString file = testsupport::makeFile(m_dir.path(), "plain.txt", "text");
        QVERIFY(QFile::link(m_dir.path(), at("dirlink")));
        QVERIFY(isFolderPath(m_dir.path()) && isFolderPath(at("dirlink")) && !isFolderPath(file) && !isFolderPath(at("missing")));
        QVERIFY(checkFolderPathAndCreateIfNecessary(m_dir.path()));
        QVERIFY(checkFolderPathAndCreateIfNecessary(at("made")) && isFolderPath(at("made")));
        QVERIFY(!checkFolderPathAndCreateIfNecessary(at("no/such/parent")) && !isFolderPath(at("no")));
        QVERIFY(!checkFolderPathAndCreateIfNecessary(file));
        qputenv("HOME", QFile::encodeName(m_dir.path()));
        QVERIFY(checkFolderPathAndCreateIfNecessary("~/fromtilde") && isFolderPath(at("fromtilde")));
    }

    void resolution()
    {
        QVERIFY(QDir(m_dir.path()).mkpath("res/sub") && QDir(m_dir.path()).mkpath("res/folder"));
        const QString target = testsupport::makeFile(at("res"), "x", "x");
        // Relative link text is taken against the link's own folder, not the working folder;
        // one level only: a link to a link answers the inner link.
        QVERIFY(QFile::link("../x", at("res/sub/rel")) && QFile::link("../folder", at("res/sub/reldir")));
        QVERIFY(QFile::link(target, at("res/sub/abs")) && QFile::link("sub/rel", at("res/outer")));
        QVERIFY(QFile::link("nothing-here", at("res/dangling")));
        // Names that are not UTF-8 are found by their bytes, and links to them keep them.
        const QString raw = QXFileNames::decode(QFile::encodeName(at("res")) + "/f\xff");
        QVERIFY(::mkdir(QXFileNames::encode(raw).constData(), 0700) == 0 && isFolderPath(raw));
        QVERIFY(::symlink("f\xff", QFile::encodeName(at("res/rawlink")).constData()) == 0);
        const struct { QString path, resolved; bool isDir; } cases[] = {
            {target, target, false}, {at("res/folder"), at("res/folder"), true}, {at("res/sub/rel"), at("res/sub/../x"), false},
            {at("res/sub/reldir"), at("res/sub/../folder"), true}, {at("res/sub/abs"), target, false}, {at("res/outer"), at("res/sub/rel"), false},
            {at("res/dangling"), {}, false}, {at("res/missing"), {}, false}, {"/dev", {}, false}, {"/dev/null", "/dev/null", false},
            {at("res/rawlink"), raw, true}};
        for (const auto &c : cases) {
            bool isDir = !c.isDir;
            const QString resolved = resolvedPathIsDirectory(c.path, &isDir);
            QVERIFY2(resolved == c.resolved && resolved.isNull() == c.resolved.isNull(), qPrintable(c.path + " -> " + resolved));
            QVERIFY2(resolved.isNull() || isDir == c.isDir, qPrintable(c.path));
        }
        QCOMPARE(resolvedPathIsDirectory(at("res/sub/abs"), nullptr), target);
        QVERIFY(resolvedAliasPath(target).isNull());
        QVERIFY(checkFolderPathAndCreateIfNecessary(raw + "/made"));
    }

    void icons()
    {
        QImage wide(32, 8, QImage::Format_ARGB32);
        wide.fill(Qt::red);
        const QString png = at("wide.png");
        QVERIFY(wide.save(png));
        const QImage icon = cachedIconFromPath(png);
        QCOMPARE(icon.size(), QSize(16, 16));
        QCOMPARE(icon.pixelColor(8, 7).rgb(), QColor(Qt::red).rgb());
        QCOMPARE(icon.pixelColor(8, 2).alpha(), 0);
        // The cache is never refreshed, while a fresh icon sees the new file.
        wide.fill(Qt::blue);
        QVERIFY(wide.save(png));
        QCOMPARE(cachedIconFromPath(png).pixelColor(8, 7).rgb(), QColor(Qt::red).rgb());
        QCOMPARE(iconFromPath(png).pixelColor(8, 7).rgb(), QColor(Qt::blue).rgb());
        // Not an image: the type's icon, still 16×16.
        const QImage typeIcon = iconFromPath(testsupport::makeFile(m_dir.path(), "notes.txt", "hello"));
        QVERIFY(!typeIcon.isNull() && typeIcon.size() == QSize(16, 16));
        // A named pipe is never read (reading would wait for a writer): it gets its type's
        // icon, while the green picture waiting in the pipe stays there unread. A reader
        // that waits is let go after 3 s, by closing the pipe's only writer.
        const QByteArray fifo = QFile::encodeName(at("pipe.png"));
        QVERIFY(::mkfifo(fifo.constData(), 0600) == 0);
        const int writer = ::open(fifo.constData(), O_RDWR | O_NONBLOCK);
        QVERIFY(writer >= 0);
        QImage green(16, 16, QImage::Format_ARGB32);
        green.fill(Qt::green);
        QByteArray picture;
        QBuffer buffer(&picture);
        QVERIFY(buffer.open(QIODevice::WriteOnly) && green.save(&buffer, "PNG"));
        QCOMPARE(::write(writer, picture.constData(), size_t(picture.size())), ssize_t(picture.size()));
        std::promise<void> finished;
        std::atomic<bool> letGo{false};
        std::thread watchdog([&, done = finished.get_future()] {
            if (done.wait_for(std::chrono::seconds(3)) == std::future_status::timeout) {
                letGo = true;
                ::close(writer);
            }
        });
        const QImage pipeIcon = iconFromPath(at("pipe.png"));
        finished.set_value();
        watchdog.join();
        QVERIFY2(!letGo, "the pipe was read");
        QByteArray left(picture.size() + 1, '\0');
        const ssize_t unread = ::read(writer, left.data(), size_t(left.size()));
        ::close(writer);
        QCOMPARE(unread, ssize_t(picture.size()));
        QCOMPARE(pipeIcon.size(), QSize(16, 16));
        QVERIFY(testsupport::countPixels(pipeIcon, [](QRgb p) { return qAlpha(p) > 0; }) > 0);
        QVERIFY(testsupport::countPixels(pipeIcon, [](QRgb p) { return p != QColor(Qt::green).rgba(); }) > 0);
    }
};

QTEST_MAIN(TestPathInfo)
#include "test_pathinfo.moc"
