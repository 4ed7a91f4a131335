// Playlist entries (keys, names, icons, opening on demand), name sorting and the address index.
#include "app/QXSettings.h"
#include "engine/QXFileNames.h"
#include "engine/QXMovie.h"
#include "playlist/QXMovieRepresentation.h"
#include "playlist/QXNameSort.h"
#include "playlist/QXPlaylistIndex.h"
#include "util/QXMovieCollection.h"
#include "util/QXPathInfo.h"
#include "TestSupport.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QtTest>

class TestRepresentation : public QObject
{
    Q_OBJECT
    QTemporaryDir home;

private slots:
    void initTestCase()
    {
        QVERIFY(home.isValid());
        qputenv("HOME", QFile::encodeName(home.path()));
        testsupport::isolateSettings(home.filePath("config"));
        QXSettings::resetStandard();
    }

    void fileAndWebEntries()
    {
        QDir(home.path()).mkpath("Movies");
        const auto r = QXMovieRepresentation::movieRepresentationWithPath(home.filePath("Movies/x.mov"));
        QCOMPARE(r->locationKey(), QString("~/Movies/x.mov"));
        QCOMPARE(QXMovieRepresentation::movieRepresentationWithPath(home.path() + "x/m.mp4")->locationKey(),
                 home.path() + "x/m.mp4");   // a home look-alike is not abbreviated
        QXSettings::standard().setBool(true, QXKeys::HideFileExtensions);
        QCOMPARE(r->displayName(), QString("x"));   // the setting is read on every call
        QXSettings::standard().setBool(false, QXKeys::HideFileExtensions);
        // A missing file still makes an entry; only opening it fails, and it is tried again.
        QVERIFY(!r->movie());
        QVERIFY(!r->hasMovieState());

        const auto a = QXMovieRepresentation::movieRepresentationWithURLString("http://example.com/a%20b.mp4");
        const auto b = QXMovieRepresentation::movieRepresentationWithURLString("https://example.com/b.mp4");
        QCOMPARE(a->locationKey(), QString("http://example.com/a%20b.mp4"));
        // One image per kind, shared, none made per entry.
        const auto other = QXMovieRepresentation::movieRepresentationWithPath("/w/b.mkv");
        QVERIFY(!a->icon().isNull() && !r->icon().isNull());
        QCOMPARE(a->icon().cacheKey(), b->icon().cacheKey());
        QCOMPARE(r->icon().cacheKey(), other->icon().cacheKey());
        QVERIFY(r->icon().cacheKey() != a->icon().cacheKey());
        // Text that makes no address gives no entry.
        for (const QString &text : {"not an address", "", "relative/path.mp4"})
            QVERIFY(!QXMovieRepresentation::movieRepresentationWithURLString(text));
        QVERIFY(!QXMovieRepresentation::movieRepresentationWithPath(""));
    }

    void nameThatIsNotUtf8()
    {
        // Kept by its bytes, keyed by its address text, and opened.
        const QString clip = testsupport::makeVideo(home.path(), "made.mp4", 64, 48, 1.0);
        const QByteArray bytes = QFile::encodeName(home.path()) + "/r\xff.mp4";
        QVERIFY(::rename(QFile::encodeName(clip).constData(), bytes.constData()) == 0);
        const auto r = QXMovieRepresentation::movieRepresentationWithPath(QXFileNames::decode(bytes));
        QCOMPARE(r->locationKey(), r->URLString());
        QCOMPARE(r->displayName(), QString("r\uFFFD.mp4"));
        QVERIFY(r->movie() && r->movie()->hasVideo());
    }

    void namesAndPathsDecodeAsQUrlDoes()
    {
        // Paths and names are read from the stored address bytes: they must equal what the
        // address gives through QUrl, which they replace.
        const QList<QUrl> urls{
            QXFileNames::fileURL("/v/Ärger 100%.mp4"), QXFileNames::fileURL("/v/a#b?c.mkv"),
            QXFileNames::fileURL("/v/dir/"), QXFileNames::fileURL("/v/.hidden"),
            QXFileNames::fileURL("/v/x.tar.gz"), QXFileNames::fileURL(QXFileNames::decode("/v/r\xff\xfe.mp4")),
            QXFileNames::fileURL("/v/\u6620\u753b \U0001F3AC.mp4"), QUrl("file:///v/a%2Fb.mp4"),
            QUrl("file:///v/q.mp4?x=1"), QUrl("file:///v/f.mp4#t=1"), QUrl("file://server/share/m.mp4"), QUrl("file:///"),
            QUrl("http://example.com/a%20b.mp4#t=3")};
        for (const QUrl &url : urls) {
            const auto r = QXMovieRepresentation::movieRepresentationWithURL(url);
            QCOMPARE(r->URL(), url);
            QCOMPARE(r->URLString(), url.toString(QUrl::FullyEncoded));
            const QString path = QXFileNames::localPath(url);
            QCOMPARE(r->path(), path);
            for (const bool hide : {false, true}) {
                QString name = hide ? QXPathInfo::stringByDeletingPathExtension(QXPathInfo::lastPathComponent(path))
                                    : QXPathInfo::lastPathComponent(path);
                if (QXFileNames::hasRawBytes(name))
                    name = QString::fromUtf8(QXFileNames::encode(name));
                QCOMPARE(r->displayName(hide), path.isEmpty() ? r->URLString() : name);
            }
        }
    }

    void openingKeepsTheMovieState()
    {
        const QString clip = testsupport::makeVideo(home.path(), "kept.mp4", 64, 48, 1.0);
        auto r = QXMovieRepresentation::movieRepresentationWithPath(clip);
        r->setLastMovieSize(QSizeF(320, 240), true);
        QVERIFY(!r->hasMovieState());   // a remembered size alone is no state
        QXMovie *m = r->movie();
        QVERIFY(m && r->hasMovieState());
        QCOMPARE(r->movie(), m);        // kept open, not made again
        QCOMPARE(r->lastMovieSize(), QSizeF(320, 240));
        QVERIFY(r->lastMovieIsLocked());
    }

    void sortKeysOrderAsCompareNames()
    {
        // Names where the order is easy to get wrong, and random ones over an alphabet of such
        // characters, some sharing long beginnings (sorting reads keys sixteen bytes at a time).
        QStringList names{"a", "A", "a0", "a00", "a0b", "a1", "a01", "a001x", "a10", "a9", "a09z",
                          "x 2", "x 10", "x2", "x-2", "x_2", "x~2", "0", "00", "", "9", "99999999999999999999",
                          "100000000000000000000", "\u00e9t\u00e9", "\u00c9T\u00c9", "\u00df", "\u1e9e",
                          "stra\u00dfe", "\U0001F3AC", "\uFFFD", "Z", "z", "_", "~", "\u0130", "\u0131",
                          QString(QChar(0)), QString("a") + QChar(0), "\u0660\u0661"};
        const QString alphabet = QStringLiteral("0123456789aAbB .-_/%\u00e9\u00c9\u00df\u0100\u4e00") + QChar(0xd83c);
        QRandomGenerator random(20240611);
        for (int i = 0; i < 1500; ++i) {
            QString name = QString(random.bounded(3) * 10, QLatin1Char('~')) + (i % 4 ? "/common/folder/" : "");
            for (int n = random.bounded(12); n > 0; --n)
                name += alphabet.at(random.bounded(alphabet.size()));
            names << name;
        }
        QStringList expected = names;
        std::stable_sort(expected.begin(), expected.end(),
                         [](const QString &a, const QString &b) { return QXCompareNames(a, b) < 0; });
        QStringList sorted;
        for (const int i : QXNameSortOrder(int(names.size()), [&names](QByteArray &key, int i) {
                 QXAppendNameSortKey(key, names.at(i));
             }))
            sorted << names.at(i);
        QCOMPARE(sorted, expected);   // equal names (a1, a01) in their first order too
        QVERIFY(QXNameSortOrder(0, {}).isEmpty());
    }

    void indexFindsTheFirstEntryThroughRemovalsAndAppends()
    {
        // Against a front-to-back search, with many duplicates.
        const auto entry = [](int k) { return QXMovieRepresentation::movieRepresentationWithPath(QString("/m/%1").arg(k)); };
        QList<QXMovieRepresentationRef> list;
        for (int i = 0; i < 300; ++i)
            list << entry(i % 40);
        QXPlaylistIndex index;
        index.rebuild(list);
        QRandomGenerator random(7);
        for (int step = 0; step < 2000; ++step) {
            const int op = random.bounded(10);
            if (op < 5 && !list.isEmpty()) {
                const int at = random.bounded(int(list.size()));
                index.remove(at, list.at(at)->address());
                list.removeAt(at);
            } else if (op < 9) {
                list << entry(random.bounded(50));
                index.append(list.last()->address());
            } else {
                QList<int> newRows(list.size());
                std::iota(newRows.begin(), newRows.end(), 0);
                std::shuffle(newRows.begin(), newRows.end(), std::mt19937(step));
                QList<QXMovieRepresentationRef> moved(list.size());
                for (int i = 0; i < list.size(); ++i)
                    moved[newRows.at(i)] = list.at(i);
                list = moved;
                if (!index.reorder(newRows))   // only right after a rebuild
                    index.rebuild(list);
            }
            QCOMPARE(index.count(), int(list.size()));
            for (int k = 0; k < 50; ++k) {
                const QByteArray address = entry(k)->address();
                const auto it = std::find_if(list.cbegin(), list.cend(), [&](const auto &r) { return r->address() == address; });
                QCOMPARE(index.find(address), it == list.cend() ? -1 : int(it - list.cbegin()));
            }
        }
    }
};

VISTREL_TEST_MAIN(TestRepresentation)
#include "test_representation.moc"
