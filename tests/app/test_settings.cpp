// The settings store: how stored values read (wrong kinds, hand-edited numbers), the file as
// it is written (private, readable, only on a change, a burst coalesced yet on disk before a
// kill), and whatever sits in the file's place or stops a write: corrupt text, folders, pipes,
// devices, huge files, a full disk, a read-only folder. Loads that could hang run in a child.
#include "app/QXSettings.h"
#include "TestSupport.h"

#include <QtTest>

#include <cfloat>
#include <climits>
#include <csignal>
#include <functional>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using testsupport::readFile;

// The names beside the file, a moved-aside copy's time stamp left out.
static QStringList filesBeside(const QString &path)
{
    QStringList names = QDir(QFileInfo(path).path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    return names.replaceInStrings(QRegularExpression("corrupt-\\d{8}-\\d{6}"), "corrupt");
}

// What sits at path, read only when it is a regular file (a pipe must not be opened here).
static QByteArray kind(const QString &p)
{
    const QFileInfo f(p);
    return f.isSymLink() ? "-> " + f.symLinkTarget().toUtf8() : f.isDir() ? "<folder>" : !f.exists() ? "<none>"
         : !f.isFile() ? "<pipe>" : f.size() > 16 << 20 ? "<big>" : readFile(p);
}

// Makes what a test case asks for at path: a folder, a pipe, a device, a big file or text.
static bool makeAt(const QString &path, const QByteArray &content, qint64 bigSize)
{
    QFile f(path);
    return content == "<folder>" ? QDir().mkpath(path) : content == "<pipe>" ? mkfifo(QFile::encodeName(path), 0644) == 0
         : content == "<device>" ? QFile::link("/dev/zero", path)
         : f.open(QIODevice::WriteOnly) && f.write(content) == content.size() && f.resize(content == "<big>" ? bigSize : content.size());
}

static int modeOf(const QString &path)
{
    struct stat st;
    return stat(QFile::encodeName(path), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

// Runs body in a child process (as nobody when asked and we are root, for whom permissions do
// not count) and answers what it returned, then one line per warning; "hung" past 10 s.
static QByteArray inChild(const std::function<QByteArray()> &body, bool unprivileged = false)
{
    int out[2];
    if (pipe(out) != 0)
        return "no pipe";
    const pid_t pid = fork();
    if (pid == 0) {
        alarm(10);
        static QByteArray report;
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &m) { report += '\n' + m.toUtf8(); });
        if (unprivileged && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(1);
        report.prepend(body());
        _exit(write(out[1], report.constData(), size_t(report.size())) == report.size() ? 0 : 1);
    }
    close(out[1]);
    QFile in;
    const QByteArray report = in.open(out[0], QIODevice::ReadOnly, QFile::AutoCloseHandle) ? in.readAll() : "no pipe";
    in.close();
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFSIGNALED(status) ? "hung" : report;
}

class TestSettings : public QObject
{
    Q_OBJECT
    QTemporaryDir m_tmp;
    int m_n = 0;
    QString freshPath() { return m_tmp.filePath(QString("t%1/Vistrel/settings.json").arg(++m_n)); }
    QString pathWith(const QByteArray &text)
    {
        const QString path = freshPath();
        QDir().mkpath(QFileInfo(path).path());
        return testsupport::makeFile(QFileInfo(path).path(), "settings.json", text);
    }

private slots:
    void initTestCase() { QCOMPARE(chmod(QFile::encodeName(m_tmp.path()), 0755), 0); } // for nobody

    // Nothing is written before a change nor for an unchanged value; the file is private,
    // keeps a mode the user gave it and keys it does not know, and reads back after a relaunch.
    void writtenOnChangeAndReadBack()
    {
        QTest::failOnWarning(QRegularExpression(".*"));
        const QString path = freshPath(), dir = QFileInfo(path).path();
        {
            QXSettings s(path);
            s.tryToRemoveObjectForKey(QXKeys::RotatedMovies);
            QVERIFY(!QFileInfo::exists(dir)); // nothing written, no folder made
            QVERIFY(s.setBool(true, QXKeys::QuitOnClose));
            QCOMPARE(modeOf(path), 0600);
            // A file replaced behind the store's back shows whether it is rewritten.
            testsupport::makeFile(dir, "settings.json", "{}");
            s.tryToRemoveObjectForKey(QXKeys::RotatedMovies);
            QVERIFY(s.setBool(true, QXKeys::QuitOnClose));
        }
        QCOMPARE(readFile(path), QByteArray("{}"));

        testsupport::makeFile(dir, "settings.json", R"({"Future Key": [1, "b"]})");
        QCOMPARE(chmod(QFile::encodeName(path), 0640), 0);
        QXSettings s(path);
        QVERIFY(s.setBool(true, QXKeys::DoNotPlayOnOpen));
        QVERIFY(s.setFloat(qQNaN(), "Not A Number")); // stored as null, and held as null
        QVERIFY(s.setObject(QJsonObject{{"~/a.mp4", 90}}, QXKeys::RotatedMovies));
        s.setColor(QColor(10, 20, 30, 40), QXKeys::UpdateStatusColor);
        s.setColor(QColor(), QXKeys::UpdateStatusColor); // invalid: the previous colour stays
        QVERIFY(s.flush());
        QCOMPARE(filesBeside(path), QStringList{"settings.json"}); // no temporary file left
        QCOMPARE(modeOf(path), 0640);
        const QByteArray text = readFile(path); // indented, for editing by hand
        QVERIFY2(text.contains("\n    \"Do Not Play On Open\": true,\n") && text.contains("\"~/a.mp4\": 90\n"), text);
        QVERIFY2(text.contains("\"#280a141e\""), text);
        const QXSettings back(path);
        QCOMPARE(back.toJson(), s.toJson());
        QCOMPARE(back.colorForKey(QXKeys::UpdateStatusColor), QColor(10, 20, 30, 40));
        QCOMPARE(back.objectForKey("Future Key"), QJsonValue(QJsonArray{1, "b"}));
    }

    // A value of the wrong kind reads as what it can be, else as false, 0 or no colour.
    void wrongKindsConvert()
    {
        const struct { QJsonValue stored; bool asBool; qint64 asInteger; double asDouble; } cases[] = {
            {true, true, 1, 1}, {-2.9, true, -2, -2.9}, {qint64(1) << 60, true, 1LL << 60, 0x1p60}, {"YES", true, 0, 0},
            {" -5 ", true, -5, -5}, {"0.5", false, 0, 0.5}, {"2024-05-01T10:00:00Z", false, 0, 0}, {QJsonObject{{"a", 1}}, false, 0, 0}};
        QXSettings s(freshPath());
        for (const auto &c : cases) {
            const QByteArray row = QJsonDocument(QJsonArray{c.stored}).toJson(QJsonDocument::Compact);
            QVERIFY2(s.setObject(c.stored, "k") && !s.colorForKey("k").isValid(), row);
            QVERIFY2(s.boolForKey("k") == c.asBool && s.integerForKey("k") == c.asInteger && s.doubleForKey("k") == c.asDouble, row);
            QVERIFY2(QXDictIntegerForKey(QJsonObject{{"k", c.stored}}, "k") == c.asInteger, row);
        }
    }

    // Numbers as a hand-edited file holds them (empty: no such key). The neighbour shows that
    // an out-of-range number costs no other value.
    void numbersFromTheFile()
    {
        const QString step = QXKeys::StepInterval, control = QXKeys::ControlInterval, volume = QXKeys::Volume;
        const struct { QString key; QByteArray stored; double expected; } cases[] = {
            {step, "", 10}, {step, "-5", 10}, {step, "\"1\"", 1}, {control, "0.5", 5}, {control, "3", 3},
            {control, "1e12", 1e12}, {control, "1e400", DBL_MAX}, {control, "-1e400", 5}, {volume, "", 1},
            {volume, "1.5", 1}, {volume, "-3", 0}, {volume, "0.25", 0.25}, {volume, "\"loud\"", 1}};
        for (const auto &c : cases) {
            const QByteArray value = c.stored.isEmpty() ? "" : "\"" + c.key.toUtf8() + "\": " + c.stored + ", ";
            const QXSettings s(pathWith("{" + value + "\"Hide Playlist\": true}"));
            const double read = c.key == step ? QXStepInterval(s) : c.key == control ? QXControlInterval(s) : double(QXVolume(s));
            QVERIFY2(s.boolForKey(QXKeys::HidePlaylist) && read == c.expected,
                     qPrintable(c.key + ": " + c.stored + " read as " + QString::number(read)));
        }
    }

    void timerIntervals()
    {
        const std::pair<double, int> cases[] = {{5, 5000}, {0, 0}, {-3, 0}, {0.0015, 2}, {1e7, INT_MAX}, {DBL_MAX, INT_MAX},
            {2147483.647, INT_MAX}, {2147483.6464, 2147483646}, {qInf(), INT_MAX}, {-qInf(), 0}, {qQNaN(), 0}};
        for (const auto &[seconds, ms] : cases)
            QVERIFY2(QXTimerIntervalMs(seconds) == ms, qPrintable(QString::number(seconds)));
    }

    // What sits in the settings file's or the playlist file's place, and the playlist older
    // versions kept in the settings file. Each load runs in a child so a hang fails instead of
    // blocking; whatever is there, a setting change leaves the playlist file as it is.
    void oddFilesInPlace_data()
    {
        QTest::addColumn<QByteArray>("content");  // or what to make: a folder, a pipe, ...
        QTest::addColumn<QByteArray>("playlist"); // the same in the playlist file's place
        QTest::addColumn<QByteArray>("loaded");   // the values, moved aside, writable, the playlist
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QString>("warning");
        const QStringList moved{"settings.json", "settings.json.corrupt-2", "settings.json.tmp-keep"},
            listed{"playlist.json", "settings.json", "settings.json.tmp-keep"},
            listMoved{"playlist.json.corrupt", "settings.json", "settings.json.tmp-keep"};
        const QString movedLine = "^Vistrel: settings file .* moved it to .*corrupt-\\d{8}-\\d{6}-2$",
                      listMovedLine = "^Vistrel: playlist file .* moved it to .*playlist.json.corrupt-\\d{8}-\\d{6}$";
        const QByteArray none, fresh = "{} 1 1 []", listFresh = "{} 0 1 []",
                         older = R"({"Volume": 0.5, "Playlist Movies": [{"Path": "~/a b.mp4"}, {"URL": "file:///m/%FF.mp4"}, 7]})",
                         entries = R"([{"Path":"~/a b.mp4"},{"URL":"file:///m/%FF.mp4"},7])";
        QTest::newRow("array") << QByteArray("[1, 2]") << none << fresh << moved << movedLine;
        QTest::newRow("truncated") << QByteArray("{\n \"Volume\": 0.5,\n \"Hi") << none << fresh << moved << movedLine;
        QTest::newRow("folder") << QByteArray("<folder>") << none << fresh << moved << movedLine;
        QTest::newRow("named pipe") << QByteArray("<pipe>") << none << fresh << moved << movedLine;
        QTest::newRow("17 MiB") << QByteArray("<big>") << none << fresh << moved << movedLine;
        QTest::newRow("device") << QByteArray("<device>") << none << QByteArray("{} 0 0 []")
                                << QStringList{"settings.json", "settings.json.tmp-Ab12Cd", "settings.json.tmp-keep"}
                                << "^Vistrel: settings file .* is a device, not a file; .* memory only$";
        QTest::newRow("leftover temporary files") << QByteArray("{\"Volume\": 0.5}") << none << QByteArray("{\"Volume\":0.5} 0 1 []")
                                                  << QStringList{"settings.json", "settings.json.tmp-keep"} << QString();
        QTest::newRow("older settings file") << older << none << "{\"Volume\":0.5} 0 1 " + entries << listed << QString();
        // The key stays until its entries are safe.
        QTest::newRow("older, playlist cannot be written")
            << older << QByteArray("<folder>") << "{\"Playlist Movies\":" + entries + ",\"Volume\":0.5} 0 1 " + entries << listed
            << "^Vistrel: cannot write the playlist to .*not a regular file\\)$";
        QTest::newRow("playlist file") << QByteArray("{}") << QByteArray("[\n{\"Path\": \"~/a b.mp4\"}, {\"URL\": \"file:///m/%FF.mp4\"},\n 7]")
                                       << "{} 0 1 " + entries << listed << QString();
        QTest::newRow("playlist cut off") << QByteArray("{}") << QByteArray("[{\"Path\"") << listFresh << listMoved << listMovedLine;
        QTest::newRow("playlist object") << QByteArray("{}") << QByteArray("{}") << listFresh << listMoved << listMovedLine;
        QTest::newRow("playlist pipe") << QByteArray("{}") << QByteArray("<pipe>") << listFresh << listMoved << listMovedLine;
        QTest::newRow("playlist 65 MiB") << QByteArray("{}") << QByteArray("<big>") << listFresh << listMoved << listMovedLine;
        QTest::newRow("playlist device") << QByteArray("{}") << QByteArray("<device>") << listFresh
                                         << QStringList{"playlist.json", "playlist.json.tmp-Ab12Cd", "settings.json", "settings.json.tmp-keep"}
                                         << "^Vistrel: playlist file .* is a device, not a file; it is not read$";
    }
    void oddFilesInPlace()
    {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, playlist);
        const QString path = freshPath(), dir = QFileInfo(path).path(), list = dir + "/playlist.json";
        QVERIFY(QDir().mkpath(dir) && makeAt(path, content, 17 << 20));
        QVERIFY(playlist.isEmpty() || makeAt(list, playlist, 65 << 20));
        for (const char *name : {"settings.json.tmp-Ab12Cd", "settings.json.tmp-keep", "playlist.json.tmp-Ab12Cd"})
            testsupport::makeFile(dir, name, "partial");
        // Names taken by an earlier corrupt file (this second or the next) get a counter.
        const QDateTime now = QDateTime::currentDateTime();
        for (const QDateTime &t : {now, now.addSecs(1)})
            testsupport::makeFile(dir, "settings.json.corrupt-" + t.toString("yyyyMMdd-HHmmss"), "old");
        const QByteArray original = kind(path);
        const QList<QByteArray> report = inChild([&] {
            QXSettings s(path);
            const QByteArray loaded = QJsonDocument(s.toJson()).toJson(QJsonDocument::Compact);
            const QByteArray stored = QJsonDocument(s.storedPlaylist()).toJson(QJsonDocument::Compact), before = kind(list);
            const bool written = s.setBool(true, "k") && s.flush();
            return loaded + ' ' + QByteArray::number(!s.movedAsidePath().isEmpty()) + ' ' + QByteArray::number(written)
                + ' ' + stored + (kind(list) == before ? "" : " (playlist file changed)") + '\n' + s.movedAsidePath().toUtf8();
        }).split('\n');
        QTEST(report.value(0), "loaded");
        QVERIFY(report.value(1).isEmpty() || kind(report.value(1)) == original); // moved whole
        QFETCH(QString, warning);
        QCOMPARE(report.size(), warning.isEmpty() ? 2 : 3);
        QVERIFY2(warning.isEmpty() || QRegularExpression(warning).match(report.value(2)).hasMatch(), report.value(2));
        QStringList after = filesBeside(path);
        after.removeAll("settings.json.corrupt"); // the two made above
        QTEST(after, "after");
        QVERIFY(content != "<device>" || kind(path) == original);
        QCOMPARE(QJsonDocument::fromJson(kind(path)).object().contains(QXKeys::PlaylistMovies), report.value(0).contains("Playlist"));
    }

    // Two failed writes make one line and leave the old file byte for byte with nothing beside
    // it; the values are held, and written with the next change once the cause is gone.
    void writeFailuresKeepValuesAndFile_data()
    {
        QTest::addColumn<QString>("cause");
        QTest::addColumn<QByteArray>("report"); // written twice, old file intact, held, then written
        QTest::addColumn<QString>("warning");
        const QString cannotWrite = "^Vistrel: cannot write settings to ";
        QTest::newRow("disk full") << "full" << QByteArray("00111") << cannotWrite;
        QTest::newRow("read-only folder") << "read-only" << QByteArray("00110") << cannotWrite;
        QTest::newRow("file for a folder") << "blocker" << QByteArray("00111") << cannotWrite;
        // So long a name that "<name>.corrupt-…" exceeds NAME_MAX: the broken file stays put.
        QTest::newRow("broken, cannot be moved aside") << "unmovable" << QByteArray("00110") << "cannot be moved aside.*memory only$";
    }
    void writeFailuresKeepValuesAndFile()
    {
        QFETCH(QString, cause);
        const QString blocker = m_tmp.filePath("blocker");
        const QString path = cause == "blocker" ? testsupport::makeFile(m_tmp.path(), "blocker", "") + "/Vistrel/settings.json"
                           : cause == "unmovable" ? testsupport::makeFile(m_tmp.path(), QString(240, 's'), "[broken")
                                                  : pathWith("{\"Hide Playlist\": true}");
        const QByteArray before = readFile(path);
        if (cause == "read-only")
            QCOMPARE(chmod(QFile::encodeName(QFileInfo(path).path()), 0555), 0);
        const QList<QByteArray> report = inChild([&] {
            rlimit limit{1024, RLIM_INFINITY};
            if (cause == "full" && (std::signal(SIGXFSZ, SIG_IGN) == SIG_ERR || setrlimit(RLIMIT_FSIZE, &limit) != 0))
                return QByteArray("no limit");
            QXSettings s(path);
            QByteArray out;
            const auto note = [&](bool step) { out += step ? '1' : '0'; };
            note(s.setObject(QString(4096, 'v'), QXKeys::UpdateStatus));
            note(s.setInteger(3, QXKeys::StepInterval));
            note(readFile(path) == before && filesBeside(path).filter(".tmp-").isEmpty());
            note(s.objectForKey(QXKeys::UpdateStatus).toString().size() == 4096);
            limit.rlim_cur = RLIM_INFINITY;
            setrlimit(RLIMIT_FSIZE, &limit);
            QFile::remove(blocker);
            note(s.setBool(true, QXKeys::HidePlaylist)); // unchanged, yet written
            return out;
        }, cause == "read-only").split('\n');
        QTEST(report.value(0), "report");
        QCOMPARE(report.size(), 2);
        QFETCH(QString, warning);
        QVERIFY2(QRegularExpression(warning).match(report.value(1)).hasMatch(), report.value(1));
        QCOMPARE(testsupport::readJsonObject(path).value(QXKeys::StepInterval).toInt(), report.value(0).endsWith('1') ? 3 : 0);
    }

    // A dragged slider: the first change is written at once, the rest together by the store's
    // timer within 250 ms, with no later change or the store's end to push them out.
    void burstOfChangesIsCoalesced()
    {
        const QString path = freshPath(), dir = QFileInfo(path).path();
        // Each write renames a temporary file of its own over the file; watched both ways, as
        // the kernel folds repeated events that follow each other.
        const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        QVERIFY(QDir().mkpath(dir) && inotify_add_watch(watch, QFile::encodeName(dir), IN_MOVED_FROM | IN_MOVED_TO) >= 0);
        QXSettings s(path);
        for (int i = 1; i <= 50; ++i, QTest::qSleep(1)) // well under 100 ms
            s.setInteger(i, QXKeys::StepInterval);
        QVERIFY2(QTest::qWaitFor([&] { return testsupport::readJsonObject(path).value(QXKeys::StepInterval).toInt() == 50; }, 300),
                 "the last value was not on disk within 300 ms");
        int writes = 0;
        alignas(inotify_event) char events[4096];
        for (ssize_t n; (n = read(watch, events, sizeof events)) > 0;)
            for (char *e = events; e < events + n; e += sizeof(inotify_event) + reinterpret_cast<inotify_event *>(e)->len)
                writes += QByteArray(reinterpret_cast<inotify_event *>(e)->name) == "settings.json";
        close(watch);
        QVERIFY2(writes >= 1 && writes <= 2, qPrintable(QString::number(writes)));
    }

    void standardLocation()
    {
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(m_tmp.filePath("home")));
        for (const char *xdg : {"", "relative/dir", (const char *)nullptr}) {
            xdg ? qputenv("XDG_CONFIG_HOME", xdg) : qunsetenv("XDG_CONFIG_HOME");
            QCOMPARE(QXSettings::standardFilePath(), m_tmp.filePath("home/.config/Vistrel/settings.json"));
        }
        qputenv("HOME", oldHome);
        testsupport::isolateSettings(m_tmp.filePath("xdg"));
        QCOMPARE(QXSettings::standard().filePath(), m_tmp.filePath("xdg/Vistrel/settings.json"));
        // The second change waits for its write; dropping the store writes it.
        QVERIFY(QXSettings::standard().setInteger(3, QXKeys::StepInterval) && QXSettings::standard().setInteger(4, QXKeys::StepInterval));
        QXSettings::resetStandard();
        QCOMPARE(QXStepInterval(QXSettings::standard()), 4);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
