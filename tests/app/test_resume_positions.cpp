// Positions kept across launches: which positions are kept, the store's order and bound, its
// file's size at 1,000 movies with long names, and every kind of broken file set aside unread.
#include "app/QXResumePositions.h"
#include "TestSupport.h"

#include <QtTest>

#include <cmath>

namespace {

QByteArray key(int n) { return QXPositionStore::keyOf("file:///movies/" + QByteArray::number(n) + ".mp4"); }

} // namespace

class TestResumePositions : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void keptPositions_data()
    {
        QTest::addColumn<double>("position");
        QTest::addColumn<double>("duration");
        QTest::addColumn<double>("kept");   // -1: forgotten
        QTest::newRow("near the start") << 10.0 << 3600.0 << -1.0;
        QTest::newRow("just past 10 s") << 10.5 << 3600.0 << 10.5;
        QTest::newRow("middle") << 1800.0 << 3600.0 << 1800.0;
        QTest::newRow("before the last 5 %") << 94.9 << 100.0 << 94.9;
        QTest::newRow("in the last 5 %") << 95.0 << 100.0 << -1.0;
        QTest::newRow("at the end") << 100.0 << 100.0 << -1.0;
        QTest::newRow("no length (live)") << 60.0 << -1.0 << -1.0;
        QTest::newRow("not a number") << std::nan("") << 100.0 << -1.0;
        QTest::newRow("short movie") << 11.0 << 11.2 << -1.0;
    }
    void keptPositions()
    {
        QFETCH(double, position);
        QFETCH(double, duration);
        QFETCH(double, kept);
        const std::optional<double> answer = QXPositionToKeep(position, duration);
        QCOMPARE(answer.value_or(-1.0), kept);
    }

    void timeText_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("minutes") << 2530.9 << "0:42:10";
        QTest::newRow("seconds") << 42.0 << "0:00:42";
        QTest::newRow("hours") << 36061.0 << "10:01:01";
        QTest::newRow("negative") << -5.0 << "0:00:00";
    }
    void timeText()
    {
        QFETCH(double, seconds);
        QFETCH(QString, text);
        QCOMPARE(QXResumeTimeText(seconds), text);
    }

    // The most recent first; recording again moves a movie to the front; past 1,000 the
    // oldest goes.
    void storeKeepsTheMostRecent()
    {
        QXPositionStore store;
        for (int n = 0; n < QXPositionStore::Capacity + 5; ++n)
            store.record(key(n), 20.0 + n);
        QCOMPARE(store.count(), QXPositionStore::Capacity);
        QVERIFY(!store.position(key(4)));
        QCOMPARE(store.position(key(5)).value_or(-1), 25.0);
        store.record(key(5), 99.0);   // now the most recent: it outlives the next 999
        for (int n = 2000; n < 2999; ++n)
            store.record(key(n), 1.0);
        QCOMPARE(store.position(key(5)).value_or(-1), 99.0);
        QVERIFY(!store.position(key(6)));
        store.forget(key(5));
        QVERIFY(!store.position(key(5)));
        QCOMPARE(store.count(), QXPositionStore::Capacity - 1);
    }

    // 1,000 movies with names of 4,000 bytes: the file stays under 200 KB and reads back the
    // same, in the same order.
    void fullStoreIsSmallAndReadsBack()
    {
        QXPositionStore store;
        for (int n = 0; n < QXPositionStore::Capacity; ++n)
            store.record(QXPositionStore::keyOf("file:///" + QByteArray(4000, 'a' + n % 26) + QByteArray::number(n)),
                         3600.0 * 3 + n + 0.123);
        const QByteArray bytes = store.toBytes();
        QVERIFY2(bytes.size() < 200 * 1024, qPrintable(QString::number(bytes.size())));
        QString problem;
        const std::optional<QXPositionStore> back = QXPositionStore::fromBytes(bytes, &problem);
        QVERIFY2(back, qPrintable(problem));
        QCOMPARE(back->toBytes(), bytes);
    }

    void readingIsStrict_data()
    {
        const QByteArray k = key(1);
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("problem");   // empty: read
        QTest::newRow("empty list") << QByteArray("[]") << "";
        QTest::newRow("good") << "[[\"" + k + "\", 12.5]]" << "";
        QTest::newRow("text") << QByteArray("garbage") << "is not valid JSON";
        QTest::newRow("cut short") << "[[\"" + k + "\", 12" << "is not valid JSON";
        QTest::newRow("object") << QByteArray("{}") << "does not hold a JSON array";
        QTest::newRow("short key") << QByteArray("[[\"abc\", 1]]") << "not a digest";
        QTest::newRow("capital key") << "[[\"" + k.toUpper() + "\", 1]]" << "not a digest";
        QTest::newRow("time as text") << "[[\"" + k + "\", \"12\"]]" << "not a digest";
        QTest::newRow("negative time") << "[[\"" + k + "\", -1]]" << "not a digest";
        QTest::newRow("no time") << "[[\"" + k + "\"]]" << "not a digest";
        QTest::newRow("extra part") << "[[\"" + k + "\", 1, 2]]" << "not a digest";
        QTest::newRow("one bad among good") << "[[\"" + k + "\", 1], 7]" << "(entry 2)";
    }
    void readingIsStrict()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, problem);
        QString why;
        const std::optional<QXPositionStore> store = QXPositionStore::fromBytes(bytes, &why);
        QCOMPARE(bool(store), problem.isEmpty());
        QVERIFY2(why.contains(problem), qPrintable(why));
    }

    // A key twice: the first (most recent) counts; more than are kept: the oldest go.
    void readingKeepsTheFirstOfAKeyAndTheBound()
    {
        QByteArray bytes = "[[\"" + key(1) + "\", 30], [\"" + key(1) + "\", 40]";
        for (int n = 2; n < QXPositionStore::Capacity + 10; ++n)
            bytes += ", [\"" + key(n) + "\", 50]";
        QString why;
        const std::optional<QXPositionStore> store = QXPositionStore::fromBytes(bytes + "]", &why);
        QVERIFY(store);
        QCOMPARE(store->position(key(1)).value_or(-1), 30.0);
        QCOMPARE(store->count(), QXPositionStore::Capacity);
        QVERIFY(store->position(key(QXPositionStore::Capacity)));
        QVERIFY(!store->position(key(QXPositionStore::Capacity + 1)));
    }

    // What sits in the file's place: read when it is a store; otherwise moved aside with a
    // line on stderr and never trusted; a device is neither read nor written.
    void brokenFilesAreSetAside_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("positions");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("movedAside");
        QTest::newRow("absent") << QByteArray() << 0 << "" << false;
        QTest::newRow("store") << "[[\"" + key(1) + "\", 30]]" << 1 << "" << false;
        QTest::newRow("garbage") << QByteArray("\x01\x02garbage") << 0 << "is not valid JSON.*moved it to" << true;
        QTest::newRow("a bad entry") << "[[\"" + key(1) + "\", 30], [\"x\", 2]]" << 0 << "entry 2.*moved it to" << true;
        QTest::newRow("too large") << QByteArray("<big>") << 0 << "is larger than 1 MiB.*moved it to" << true;
        QTest::newRow("folder") << QByteArray("<folder>") << 0 << "is a folder.*moved it to" << true;
        QTest::newRow("device") << QByteArray("<device>") << 0 << "is a device.*not read" << false;
    }
    void brokenFilesAreSetAside()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, positions);
        QFETCH(QString, message);
        QFETCH(bool, movedAside);
        const QString folder = dir.filePath(QTest::currentDataTag());
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + "/positions.json";
        if (content == "<big>")
            content = "[" + QByteArray(2 << 20, ' ') + "]";
        const bool made = content.isEmpty() || (content == "<folder>" ? QDir().mkpath(path)
                        : content == "<device>" ? QFile::link("/dev/null", path)
                        : testsupport::makeFile(folder, "positions.json", content) == path);
        QVERIFY(made);
        if (!message.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(message));
        QXResumeKeeper keeper(path);
        QCOMPARE(keeper.store().count(), positions);
        const QStringList aside = QDir(folder).entryList({"positions.json.corrupt-*"}, QDir::AllEntries | QDir::System);
        QCOMPARE(aside.size(), movedAside ? 1 : 0);
        if (movedAside && content != "<folder>")
            QCOMPARE(testsupport::readFile(folder + "/" + aside.first()), content);
        // A device stays where it was.
        if (content == "<device>")
            QVERIFY(QFileInfo(path).isSymLink());
    }
};

QTEST_GUILESS_MAIN(TestResumePositions)
#include "test_resume_positions.moc"
