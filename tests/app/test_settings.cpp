#include "app/QXSettings.h"
#include "TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

Q_DECLARE_METATYPE(QJsonValue)

static QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}
static QJsonObject jsonOf(const QString &path) { return QJsonDocument::fromJson(bytesOf(path)).object(); }
static QStringList filesBeside(const QString &path)
{
    return QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot);
}
static const QRegularExpression writeFailed("^Vistrel: cannot write settings to ");

class TestSettings : public QObject
{
    Q_OBJECT
    QTemporaryDir m_tmp;
    int m_n = 0;
    QString freshPath() { return m_tmp.filePath(QString("t%1/Vistrel/settings.json").arg(++m_n)); }

private slots:
    void freshStoreReadsAbsentValuesAndWritesOnlyChanges()
    {
        QTest::failOnWarning(QRegularExpression(".*"));
        const QString path = freshPath();
        QXSettings s(path);
        for (const QString &key : {QXKeys::DoNotForgetPlaylistOnQuit, QXKeys::ForgetRotation,
                                   QXKeys::DoNotPlayOnOpen, QXKeys::DoNotShowWindowOnStartup,
                                   QXKeys::VariableAspectRatio, QXKeys::ShowWindButtons})
            QVERIFY2(!s.boolForKey(key), qPrintable(key));
        QVERIFY(s.objectForKey(QXKeys::PlaylistMovies).isUndefined());
        QCOMPARE(QXStepInterval(s), 10);
        QCOMPARE(QXControlInterval(s), 5.0);
        QCOMPARE(QXVolume(s), 1.0f);
        s.tryToRemoveObjectForKey(QXKeys::RotatedMovies);
        QVERIFY(!QFileInfo::exists(QFileInfo(path).path())); // nothing written, no folder made

        QVERIFY(s.setBool(true, QXKeys::QuitOnClose));
        // A file replaced behind the store's back shows whether it is rewritten.
        testsupport::makeFile(QFileInfo(path).path(), "settings.json", "{}");
        s.tryToRemoveObjectForKey(QXKeys::RotatedMovies);
        QVERIFY(s.setBool(true, QXKeys::QuitOnClose));
        QCOMPARE(bytesOf(path), QByteArray("{}"));
    }

    void valuesSurviveRelaunchAsReadableJson()
    {
        const QString path = freshPath();
        QDir().mkpath(QFileInfo(path).path());
        testsupport::makeFile(QFileInfo(path).path(), "settings.json", R"({"Future Key": [1, "b"]})");
        QXSettings s(path);
        const QJsonArray playlist{QJsonObject{{QXKeys::EntryPath, "~/a.mp4"}},
                                  QJsonObject{{QXKeys::EntryURL, "https://x.test/v"}}};
        QJsonObject rotations;
        QXDictSetInteger(rotations, 90, "~/a.mp4");
        QXDictSetInteger(rotations, 270, "~/b.mp4");
        QXDictTryToRemoveObjectForKey(rotations, "~/b.mp4");
        QVERIFY(s.setBool(true, QXKeys::DoNotPlayOnOpen));
        QVERIFY(s.setFloat(0.25, QXKeys::Volume));
        QVERIFY(s.setObject(playlist, QXKeys::PlaylistMovies));
        QVERIFY(s.setObject(rotations, QXKeys::RotatedMovies));
        s.setColor(QColor(10, 20, 30, 40), QXKeys::UpdateStatusColor);
        s.setColor(QColor(), QXKeys::UpdateStatusColor); // invalid: the previous colour stays
        // On disk as soon as the setter returns, with no temporary file left behind.
        QCOMPARE(filesBeside(path), QStringList{"settings.json"});
        const QByteArray text = bytesOf(path);
        QVERIFY2(text.contains("\n    \"Do Not Play On Open\": true,\n"), text);
        QVERIFY2(text.contains("\"~/a.mp4\": 90\n"), text);
        QVERIFY2(text.contains("\"#280a141e\""), text);

        const QXSettings back(path);
        QCOMPARE(back.toJson(), s.toJson());
        QVERIFY(back.boolForKey(QXKeys::DoNotPlayOnOpen));
        QCOMPARE(QXVolume(back), 0.25f);
        QCOMPARE(back.objectForKey(QXKeys::PlaylistMovies), QJsonValue(playlist));
        QCOMPARE(back.objectForKey(QXKeys::RotatedMovies), QJsonValue(QJsonObject{{"~/a.mp4", 90}}));
        QCOMPARE(back.colorForKey(QXKeys::UpdateStatusColor), QColor(10, 20, 30, 40));
        QCOMPARE(back.objectForKey("Future Key"), QJsonValue(QJsonArray{1, "b"}));
    }

    void wrongKindsConvert_data()
    {
        QTest::addColumn<QJsonValue>("stored");
        QTest::addColumn<bool>("asBool");
        QTest::addColumn<qint64>("asInteger");
        QTest::addColumn<double>("asDouble");
        QTest::newRow("true") << QJsonValue(true) << true << 1LL << 1.0;
        QTest::newRow("-2.9") << QJsonValue(-2.9) << true << -2LL << -2.9;
        QTest::newRow("2^60") << QJsonValue(qint64(1) << 60) << true << (1LL << 60) << 0x1p60;
        QTest::newRow("YES") << QJsonValue("YES") << true << 0LL << 0.0;
        QTest::newRow("\" -5 \"") << QJsonValue(" -5 ") << true << -5LL << -5.0;
        QTest::newRow("\"0.5\"") << QJsonValue("0.5") << false << 0LL << 0.5;
        QTest::newRow("date") << QJsonValue("2024-05-01T10:00:00Z") << false << 0LL << 0.0;
        QTest::newRow("object") << QJsonValue(QJsonObject{{"a", 1}}) << false << 0LL << 0.0;
    }
    void wrongKindsConvert()
    {
        QFETCH(QJsonValue, stored);
        QXSettings s(freshPath());
        QVERIFY(s.setObject(stored, "k"));
        QTEST(s.boolForKey("k"), "asBool");
        QTEST(s.integerForKey("k"), "asInteger");
        QTEST(s.doubleForKey("k"), "asDouble");
        QTEST(QXDictIntegerForKey(QJsonObject{{"k", stored}}, "k"), "asInteger");
        QVERIFY(!s.colorForKey("k").isValid());
    }

    void fallbacks_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QJsonValue>("stored");
        QTest::addColumn<double>("expected");
        QTest::newRow("step -5") << QXKeys::StepInterval << QJsonValue(-5) << 10.0;
        QTest::newRow("step \"1\"") << QXKeys::StepInterval << QJsonValue("1") << 1.0;
        QTest::newRow("control 0.5") << QXKeys::ControlInterval << QJsonValue(0.5) << 5.0;
        QTest::newRow("control 3") << QXKeys::ControlInterval << QJsonValue(3) << 3.0;
        QTest::newRow("volume 1.5") << QXKeys::Volume << QJsonValue(1.5) << 1.0;
        QTest::newRow("volume NaN") << QXKeys::Volume << QJsonValue(qQNaN()) << 1.0;
        QTest::newRow("volume -3") << QXKeys::Volume << QJsonValue(-3) << 0.0;
        QTest::newRow("volume 0.25") << QXKeys::Volume << QJsonValue(0.25) << 0.25;
        QTest::newRow("volume \"loud\"") << QXKeys::Volume << QJsonValue("loud") << 1.0;
    }
    void fallbacks()
    {
        QFETCH(QString, key);
        QFETCH(QJsonValue, stored);
        const QString path = freshPath();
        QXSettings s(path);
        QVERIFY(stored.isDouble() ? s.setFloat(stored.toDouble(), key) : s.setObject(stored, key));
        const auto read = [&](const QXSettings &x) {
            return key == QXKeys::StepInterval ? QXStepInterval(x)
                 : key == QXKeys::ControlInterval ? QXControlInterval(x) : double(QXVolume(x));
        };
        QTEST(read(s), "expected");
        QTEST(read(QXSettings(path)), "expected"); // the same after a relaunch
    }

    void corruptFileIsMovedAside_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("garbage") << QByteArray("\x00\xff{oops", 7);
        QTest::newRow("array") << QByteArray("[1, 2]");
        QTest::newRow("truncated") << QByteArray("{\n    \"Volume\": 0.5,\n    \"Hi");
        QTest::newRow("folder") << QByteArray(); // exists, but cannot be read as a file
    }
    void corruptFileIsMovedAside()
    {
        QFETCH(QByteArray, bytes);
        const QString path = freshPath(), dir = QFileInfo(path).path();
        const bool folder = QTest::currentDataTag() == QByteArray("folder");
        QVERIFY(QDir().mkpath(folder ? path : dir));
        if (!folder)
            testsupport::makeFile(dir, "settings.json", bytes);
        // Names taken by an earlier corrupt file (this second or the next) get a counter.
        const QDateTime now = QDateTime::currentDateTime();
        for (const QDateTime &t : {now, now.addSecs(1)})
            testsupport::makeFile(dir, "settings.json.corrupt-" + t.toString("yyyyMMdd-HHmmss"), "old");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Vistrel: settings file .* moved it to "));
        QXSettings s(path);
        QVERIFY(s.toJson().isEmpty());
        QVERIFY(QRegularExpression("^" + QRegularExpression::escape(dir)
                                   + "/settings\\.json\\.corrupt-\\d{8}-\\d{6}-2$")
                    .match(s.movedAsidePath()).hasMatch());
        QVERIFY(folder ? QFileInfo(s.movedAsidePath()).isDir() : bytesOf(s.movedAsidePath()) == bytes);
        QCOMPARE(filesBeside(path).filter("corrupt").size(), 3);
        QVERIFY(s.setBool(true, QXKeys::HidePlaylist));
        QCOMPARE(jsonOf(path), QJsonObject({{QXKeys::HidePlaylist, true}}));
    }

    void fileThatCannotBeMovedAsideIsNeverOverwritten()
    {
        // So long a name that "<name>.corrupt-…" exceeds NAME_MAX: the rename has to fail.
        const QString path = testsupport::makeFile(m_tmp.path(), QString(240, 's'), "[broken");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot be moved aside.*memory only"));
        QXSettings s(path);
        QVERIFY(s.movedAsidePath().isEmpty());
        QVERIFY(!s.setBool(true, QXKeys::HidePlaylist));
        QVERIFY(s.boolForKey(QXKeys::HidePlaylist));
        QCOMPARE(bytesOf(path), QByteArray("[broken"));
    }

    void writeFailuresKeepValuesAndFile()
    {
        // A file where the folder should be: one line for a run of failures.
        QXSettings blocked(testsupport::makeFile(m_tmp.path(), "blocker", "") + "/Vistrel/settings.json");
        QTest::ignoreMessage(QtWarningMsg, writeFailed);
        QVERIFY(!blocked.setBool(true, QXKeys::QuitOnClose));
        QTest::failOnWarning(writeFailed);
        QVERIFY(!blocked.setInteger(3, QXKeys::StepInterval));
        QVERIFY(blocked.boolForKey(QXKeys::QuitOnClose));

        // A full disk, simulated by a file size limit: the old file stays whole.
        const QString path = freshPath();
        QXSettings s(path);
        QVERIFY(s.setBool(true, QXKeys::HidePlaylist));
        const QByteArray before = bytesOf(path);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{}, small{};
        getrlimit(RLIMIT_FSIZE, &old);
        small = old;
        small.rlim_cur = 1 << 20;
        QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
        QTest::ignoreMessage(QtWarningMsg, writeFailed);
        const bool written = s.setObject(QString(2 << 20, 'v'), QXKeys::UpdateStatus);
        setrlimit(RLIMIT_FSIZE, &old);
        QVERIFY(!written);
        QCOMPARE(bytesOf(path), before);
        QCOMPARE(filesBeside(path), QStringList{"settings.json"});
        QVERIFY(s.setBool(true, QXKeys::HidePlaylist)); // unchanged, yet the pending value goes out
        QCOMPARE(jsonOf(path).value(QXKeys::UpdateStatus).toString().size(), 2 << 20);
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
        QVERIFY(QXSettings::standard().setInteger(4, QXKeys::StepInterval));
        QXSettings::resetStandard();
        QCOMPARE(QXStepInterval(QXSettings::standard()), 4);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
