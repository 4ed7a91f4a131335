// QXPlaylist alone, no window and no controller: each change as its table model sees it
// (QAbstractItemModelTester checks every announcement), the current entry kept, lookups among
// duplicate addresses, the walk, the orders and the stored file.
#include "app/QXSettings.h"
#include "playlist/QXPlaylist.h"
#include "playlist/QXPlaylistModel.h"
#include "util/QXMovieCollection.h"
#include "TestSupport.h"

#include <QAbstractItemModelTester>
#include <QJsonArray>
#include <QJsonObject>
#include <QtTest>

#include <functional>

using Ref = QXMovieRepresentationRef;

// "a b https://h/c": /m/a, /m/b and the address.
static QList<Ref> entries(const QString &names)
{
    QList<Ref> list;
    for (const QString &n : names.split(' ', Qt::SkipEmptyParts))
        list << QXMovieRepresentation::movieRepresentationWithURL(n.contains(':') ? QUrl(n) : QUrl::fromLocalFile("/m/" + n));
    return list;
}

static QString names(const QXPlaylist &p)
{
    QStringList list;
    for (const Ref &r : p.entries())
        list << r->displayName(false);
    return list.join(' ');
}

// n0 … n(count-1), every step-th.
static QString numbered(int count, int step = 1)
{
    QStringList list;
    for (int i = 0; i < count; i += step)
        list << QStringLiteral("n%1").arg(i);
    return list.join(' ');
}

// Each address's lookup against a walk of the list.
static bool lookupsAgree(const QXPlaylist &p)
{
    for (int i = 0; i < p.count(); ++i) {
        int first = 0;
        while (p.at(first)->address() != p.at(i)->address())
            ++first;
        if (p.rowOfAddress(p.at(i)->address()) != first)
            return false;
    }
    return p.rowOfURL(QUrl::fromLocalFile("/m/none")) == -1 && p.rowOfURL(QUrl()) == -1;
}

class TestPlaylistData : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        testsupport::isolateSettings(dir.filePath("config"));
    }

    void changesKeepTheCurrentEntry()
    {
        QList<int> oddRows;
        for (int i = 1; i < 70; i += 2)
            oddRows << i;
        const struct {
            const char *name;
            QString start;
            std::function<void(QXPlaylist &)> change;
            QString after;
            int currentRow;   // where the current entry (row 2 before) is listed after, or -1
        } cases[] = {
            {"insert at the top", "a b c a d e", [](QXPlaylist &p) { p.insert(0, entries("x y")); }, "x y a b c a d e", 4},
            {"insert inside", "a b c a d e", [](QXPlaylist &p) { p.insert(3, entries("x")); }, "a b c x a d e", 2},
            {"append a duplicate", "a b c a d e", [](QXPlaylist &p) { p.append(entries("c a")); }, "a b c a d e c a", 2},
            {"remove before", "a b c a d e", [](QXPlaylist &p) { p.removeRows({0, 1}); }, "c a d e", 0},
            {"remove one near the front", "a b c a d e", [](QXPlaylist &p) { p.removeRows({1}); }, "a c a d e", 1},
            {"remove the current", "a b c a d e", [](QXPlaylist &p) { p.removeRows({2}); }, "a b a d e", -1},
            {"remove a first duplicate", "a b c a d e", [](QXPlaylist &p) { p.removeRows({0, 4, 5}); }, "b c a", 1},
            {"scattered rows", numbered(70), [&oddRows](QXPlaylist &p) { p.removeRows(oddRows); }, numbered(70, 2), 1},
            {"move down", "a b c a d e", [](QXPlaylist &p) { p.move(0, 4); }, "b c a d a e", 1},
            {"move up", "a b c a d e", [](QXPlaylist &p) { p.move(5, 0); }, "e a b c a d", 3},
            {"move the current", "a b c a d e", [](QXPlaylist &p) { p.move(2, 5); }, "a b a d e c", 5},
            {"clear", "a b c", [](QXPlaylist &p) { p.clear(); }, "", -1},
        };
        for (const auto &c : cases) {
            QXPlaylist p;
            p.append(entries(c.start));
            const Ref current = p.at(2);
            p.setCurrent(current);
            QXPlaylistModel model(&p);
            QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
            QPersistentModelIndex held(model.index(2, 1));
            QCOMPARE(p.currentRow(), 2);   // the index is built: the change updates it
            QSignalSpy changed(&p, &QXPlaylist::changed), reset(&model, &QAbstractItemModel::modelReset);
            c.change(p);
            QVERIFY2(names(p) == c.after, qPrintable(QString(c.name) + ": " + names(p)));
            // Only clearing lets go of the current entry.
            QVERIFY2(p.current() == (p.isEmpty() ? Ref() : current) && p.currentRow() == c.currentRow, c.name);
            QVERIFY2(lookupsAgree(p), c.name);
            QVERIFY2(model.rowCount() == p.count() && changed.count() == 1, c.name);
            // A held row (the selection) follows its entry, unless the table started over.
            if (reset.isEmpty())
                QVERIFY2(held.isValid() ? p.at(held.row()) == current : !p.entries().contains(current), c.name);
        }
    }

    void walkWrapsAtBothEnds()
    {
        const struct { int count, current, step, expected; } cases[] = {
            {0, -1, 1, -1}, {1, 0, 1, -1},   // nothing to walk to
            {3, 1, 1, 2}, {3, 2, 1, 0}, {3, 0, -1, 2}, {3, 1, -1, 0},
            {3, -1, 1, 0}, {3, -1, -1, 0},   // none current: the top, either way
            {3, -2, -1, 0},                  // the current entry is no longer listed
        };
        for (const auto &c : cases) {
            QXPlaylist p;
            p.append(entries(numbered(c.count)));
            p.setCurrent(c.current >= 0 ? p.at(c.current) : c.current == -2 ? entries("gone").first() : Ref());
            QCOMPARE(p.walkRow(c.step), c.expected);
        }
    }

    void ordersKeepEntriesAndCurrent()
    {
        QXPlaylist p;
        p.append(entries("m10.mov b10.mkv B2.mp4 b02.mp4 b2.mp4 a.tar.gz a.tar \u00e41.mp4 \u00c401.mp4 z .hidden x2.mp4 "
                         "x10.mp4 \u00e9t\u00e93.avi B2.mp4 https://example.com/B2.mp4 http://example.com/b10"));
        const Ref current = p.at(0), selected = p.at(5);
        p.setCurrent(current);
        QXPlaylistModel model(&p);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        const QPersistentModelIndex held(model.index(5, 0));
        const auto byPointer = [](QList<Ref> l) {
            std::sort(l.begin(), l.end(), [](const Ref &a, const Ref &b) { return a.get() < b.get(); });
            return l;
        };
        const QList<Ref> all = byPointer(p.entries());
        const auto kept = [&] {
            return byPointer(p.entries()) == all && p.current() == current && p.at(held.row()) == selected
                && lookupsAgree(p);
        };
        for (int i = 0; i < 5; ++i) {
            p.sort(QXPlaylistOrder::Shuffled, false);
            QVERIFY(kept());
        }
        // Exactly the order of a stable sort with the name comparison, equal names in place.
        for (const bool hide : {false, true}) {
            for (const QXPlaylistOrder order : {QXPlaylistOrder::ByName, QXPlaylistOrder::ByAddress}) {
                p.sort(QXPlaylistOrder::Shuffled, false);
                QList<Ref> expected = p.entries();
                std::stable_sort(expected.begin(), expected.end(), [order, hide](const Ref &a, const Ref &b) {
                    return order == QXPlaylistOrder::ByName ? QXCompareNames(a->displayName(hide), b->displayName(hide)) < 0
                                                            : QXCompareNames(a->URLString(), b->URLString()) < 0;
                });
                p.sort(order, hide);
                QVERIFY(p.entries() == expected);
                QVERIFY(kept());
            }
        }
    }

    void storedFileRoundTrip()
    {
        QXSettings &settings = QXSettings::standard();
        QXPlaylist p;
        p.append({QXMovieRepresentation::movieRepresentationWithPath(QDir::homePath() + "/film 1.mp4"),
                  QXMovieRepresentation::movieRepresentationWithURLString("file:///m/%FF.mp4")});
        p.append(entries("https://example.com/a%20b.mp4 c"));
        settings.setBool(true, QXKeys::DoNotForgetPlaylistOnQuit);
        QVERIFY(p.save());
        // Home abbreviated; a name that is not UTF-8 keeps its address.
        const QJsonArray stored = settings.storedPlaylist();
        QCOMPARE(stored.at(0).toObject().value("Path").toString(), QString("~/film 1.mp4"));
        QCOMPARE(stored.at(1).toObject().value("URL").toString(), QString("file:///m/%FF.mp4"));
        QXPlaylist restored;
        restored.restore();
        QCOMPARE(restored.count(), p.count());
        for (int i = 0; i < p.count(); ++i)
            QCOMPARE(restored.at(i)->URLString(), p.at(i)->URLString());
    }
};

QTEST_MAIN(TestPlaylistData)
#include "test_playlist_data.moc"
