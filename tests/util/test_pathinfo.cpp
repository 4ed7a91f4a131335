// Path tests, link resolution, path strings, names and icons.
#include "TestSupport.h"
#include "app/QXSettings.h"
#include "engine/QXFileNames.h"
#include "util/QXPathInfo.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace QXPathInfo;

static const bool engineEnvironment = [] {
    qputenv("VISTREL_AO", "null");
    return true;
}();

class TestPathInfo : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_home;

    QString at(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        testsupport::isolateSettings(at("config"));
        QXSettings::resetStandard();
        m_home = QDir::homePath();
    }
    void cleanup() { qputenv("HOME", QFile::encodeName(m_home)); }

    void substrings()
    {
        QCOMPARE(substringBetween("a=1&b", "a=", "&", false), QString("1"));
        QCOMPARE(substringBetween("a=1&b", "a=", "#", true), QString("1&b"));
        QVERIFY(substringBetween("a=1&b", "a=", "#", false).isNull());
        QVERIFY(substringBetween("a=1&b", "z=", "&", false).isNull());
        QCOMPARE(substringBetween("a=1&b", "z=", "&", true), QString("a=1"));
        // First occurrence, case-sensitive, literal.
        QCOMPARE(substringBefore("x.y.z", ".", false), QString("x"));
        QCOMPARE(substringAfter("x.y.z", ".", false), QString("y.z"));
        QVERIFY(substringAfter("abc", "B", false).isNull());
        QCOMPARE(substringAfter("a(b", "(", false), QString("b"));
        QCOMPARE(substringAfter("abc", "c", false), QString(""));
        QVERIFY(!substringAfter("abc", "c", false).isNull());
        QCOMPARE(substringBefore("abc", "", true), QString("abc"));
        QVERIFY(substringBefore("abc", "", false).isNull());
    }

    void systemAndNetworkRoots()
    {
        for (const char *p : {"/automount", "/Desktop Folder", "/dev", "/etc", "/mach", "/mach.sym",
                              "/mach_kernel", "/opt", "/tmp", "/var", "/proc", "/sys", "/run", "/snap"})
            QVERIFY2(isTabooSystemPath(p), p);
        for (const char *p : {"/dev/", "/dev/null", "/var/log", "/Dev", "dev", "/proc/1", "/sys/",
                              "//dev", "/tmp/x", "/", ""})
            QVERIFY2(!isTabooSystemPath(p), p);
        // Kernel and device trees by prefix; /tmp, /var, /opt and /run only as a whole.
        for (const char *p : {"/proc", "/proc/self", "/sys/", "/dev", "/dev/shm/x"})
            QVERIFY2(isKernelTreePath(p), p);
        for (const char *p : {"/procx", "/device", "/tmp/x", "/run/media/u", "/var/x", "/opt/x",
                              "proc", "/home/proc", "/"})
            QVERIFY2(!isKernelTreePath(p), p);
        for (const char *p : {"Network", "Network/", "/Network", "/Network/"})
            QVERIFY2(isNetworkPath(p), p);
        for (const char *p : {"/Network/Servers", "network", "//Network", "Network//"})
            QVERIFY2(!isNetworkPath(p), p);
    }

    void pathStrings()
    {
        QCOMPARE(stringByAppendingPathComponent("/", "dev"), QString("/dev"));
        QCOMPARE(stringByAppendingPathComponent("/tmp/", "x"), QString("/tmp/x"));
        QCOMPARE(stringByAppendingPathComponent("/a//", "/b/"), QString("/a/b"));
        QCOMPARE(stringByAppendingPathComponent("", "x"), QString("x"));
        QCOMPARE(stringByAppendingPathComponent("a/", ""), QString("a"));
        QCOMPARE(stringByAppendingPathComponent("/a", "../x"), QString("/a/../x"));

        QCOMPARE(stringByDeletingLastPathComponent("/tmp/scratch.tiff"), QString("/tmp"));
        QCOMPARE(stringByDeletingLastPathComponent("/tmp/lock/"), QString("/tmp"));
        QCOMPARE(stringByDeletingLastPathComponent("/tmp"), QString("/"));
        QCOMPARE(stringByDeletingLastPathComponent("/"), QString("/"));
        QCOMPARE(stringByDeletingLastPathComponent("scratch.tiff"), QString(""));
        QCOMPARE(stringByDeletingLastPathComponent("a/b"), QString("a"));

        QCOMPARE(stringByDeletingPathExtension("x.tar.gz"), QString("x.tar"));
        QCOMPARE(stringByDeletingPathExtension("/a/.hidden"), QString("/a/.hidden"));
        QCOMPARE(stringByDeletingPathExtension("..x"), QString("..x"));
        QCOMPARE(stringByDeletingPathExtension("scratch..tiff"), QString("scratch."));
        QCOMPARE(stringByDeletingPathExtension("a.b/"), QString("a"));
        QCOMPARE(stringByDeletingPathExtension("/dir.d/file"), QString("/dir.d/file"));
        QCOMPARE(stringByDeletingPathExtension("/"), QString("/"));

        QCOMPARE(lastPathComponent("/tmp/lock/"), QString("lock"));
        QCOMPARE(lastPathComponent("/"), QString("/"));
    }

    void tilde()
    {
        qputenv("HOME", "/home/a");
        QCOMPARE(stringByAbbreviatingWithTildeInPath("/home/a"), QString("~"));
        QCOMPARE(stringByAbbreviatingWithTildeInPath("/home/a/M/x.mov"), QString("~/M/x.mov"));
        QCOMPARE(stringByAbbreviatingWithTildeInPath("/home/ab/x.mov"), QString("/home/ab/x.mov"));
        QCOMPARE(stringByAbbreviatingWithTildeInPath("/x/home/a"), QString("/x/home/a"));
        QCOMPARE(stringByAbbreviatingWithTildeInPath("/"), QString("/"));

        QCOMPARE(stringByExpandingTildeInPath("~"), QString("/home/a"));
        QCOMPARE(stringByExpandingTildeInPath("~/M/"), QString("/home/a/M"));
        QCOMPARE(stringByExpandingTildeInPath("/x/~"), QString("/x/~"));
        QCOMPARE(stringByExpandingTildeInPath("~root/x"), QString("/root/x"));
        QCOMPARE(stringByExpandingTildeInPath("~no-such-user-qx/x"), QString("~no-such-user-qx/x"));
        // Round trip.
        QCOMPARE(stringByExpandingTildeInPath(stringByAbbreviatingWithTildeInPath("/home/a/b")),
                 QString("/home/a/b"));
    }

    void folderTestsAndCreation()
    {
        QVERIFY(isFolderPath(m_dir.path()));
        const QString file = testsupport::makeFile(m_dir.path(), "plain.txt", "text");
        QVERIFY(!isFolderPath(file));
        QVERIFY(!isFolderPath(at("missing")));
        QVERIFY(QFile::link(m_dir.path(), at("dirlink")));
        QVERIFY(isFolderPath(at("dirlink")));

        QVERIFY(checkFolderPathAndCreateIfNecessary(m_dir.path()));
        QVERIFY(checkFolderPathAndCreateIfNecessary(at("made")));
        QVERIFY(isFolderPath(at("made")));
        QVERIFY(!checkFolderPathAndCreateIfNecessary(at("no/such/parent")));
        QVERIFY(!isFolderPath(at("no")));
        QVERIFY(!checkFolderPathAndCreateIfNecessary(file));
        qputenv("HOME", QFile::encodeName(m_dir.path()));
        QVERIFY(checkFolderPathAndCreateIfNecessary("~/fromtilde"));
        QVERIFY(isFolderPath(at("fromtilde")));
    }

    void resolution()
    {
        QDir(m_dir.path()).mkpath("res/sub");
        QDir(m_dir.path()).mkpath("res/folder");
        const QString target = testsupport::makeFile(at("res"), "x", "x");
        QVERIFY(!target.isEmpty());
        bool isDir = true;

        // A plain file: itself, with the flag of the existence test.
        QCOMPARE(resolvedPathIsDirectory(target, &isDir), target);
        QVERIFY(!isDir);
        QCOMPARE(resolvedPathIsDirectory(at("res/folder"), &isDir), at("res/folder"));
        QVERIFY(isDir);

        // Relative link text is taken against the link's own folder, not the working folder.
        QVERIFY(QFile::link("../x", at("res/sub/rel")));
        QCOMPARE(resolvedPathIsDirectory(at("res/sub/rel"), &isDir), at("res/sub/../x"));
        QVERIFY(!isDir);
        QVERIFY(QFile::link("../folder", at("res/sub/reldir")));
        isDir = false;
        QCOMPARE(resolvedPathIsDirectory(at("res/sub/reldir"), &isDir), at("res/sub/../folder"));
        QVERIFY(isDir);
        QVERIFY(QFile::link(target, at("res/sub/abs")));
        QCOMPARE(resolvedPathIsDirectory(at("res/sub/abs"), nullptr), target);

        // One level only: a link to a link answers the inner link.
        QVERIFY(QFile::link("sub/rel", at("res/outer")));
        QCOMPARE(resolvedPathIsDirectory(at("res/outer"), &isDir), at("res/sub/rel"));

        // Dangling, missing and system paths.
        QVERIFY(QFile::link("nothing-here", at("res/dangling")));
        QVERIFY(resolvedPathIsDirectory(at("res/dangling"), &isDir).isNull());
        QVERIFY(resolvedPathIsDirectory(at("res/missing"), &isDir).isNull());
        QVERIFY(resolvedPathIsDirectory("/dev", &isDir).isNull());
        QCOMPARE(resolvedPathIsDirectory("/dev/null", &isDir), QString("/dev/null"));
        QVERIFY(resolvedAliasPath(target).isNull());

        // Names that are not UTF-8 are found by their bytes, and links to them keep them.
        const QString raw = QXFileNames::decode(QFile::encodeName(at("res")) + "/f\xff");
        QVERIFY(::mkdir(QXFileNames::encode(raw).constData(), 0700) == 0);
        QVERIFY(isFolderPath(raw));
        QVERIFY(::symlink("f\xff", QFile::encodeName(at("res/rawlink")).constData()) == 0);
        QCOMPARE(resolvedPathIsDirectory(at("res/rawlink"), &isDir), raw);
        QVERIFY(isDir);
        QVERIFY(checkFolderPathAndCreateIfNecessary(raw + "/made"));
    }

    void names()
    {
        QXSettings &settings = QXSettings::standard();
        settings.setBool(false, QXKeys::HideFileExtensions);
        QCOMPARE(displayFileName("/x/Trip.mov"), QString("Trip.mov"));
        settings.setBool(true, QXKeys::HideFileExtensions);
        QCOMPARE(displayFileName("/x/Trip.mov"), QString("Trip"));
        QCOMPARE(displayFileName("/x/archive.tar.gz"), QString("archive.tar"));
        QCOMPARE(displayFileName("/x/.hidden"), QString(".hidden"));
        QCOMPARE(displayFileName("/x/folder.d/"), QString("folder"));
        settings.setBool(false, QXKeys::HideFileExtensions);
        QCOMPARE(displayFileName("/x/Trip.mov"), QString("Trip.mov"));

        const QRegularExpression form("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$");
        const QString a = uniqueString();
        QVERIFY2(form.match(a).hasMatch(), qPrintable(a));
        QVERIFY(a != uniqueString());
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
        const QString text = testsupport::makeFile(m_dir.path(), "notes.txt", "hello");
        const QImage typeIcon = iconFromPath(text);
        QVERIFY(!typeIcon.isNull());
        QCOMPARE(typeIcon.size(), QSize(16, 16));
        // A named pipe is never opened (that would wait for a writer, hanging this test).
        QVERIFY(::mkfifo(QFile::encodeName(at("pipe.png")).constData(), 0600) == 0);
        const QImage pipeIcon = iconFromPath(at("pipe.png"));
        QVERIFY(pipeIcon.isNull() || pipeIcon.size() == QSize(16, 16));
    }
};

QTEST_MAIN(TestPathInfo)
#include "test_pathinfo.moc"
