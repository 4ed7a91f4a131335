// Playlist entries: keys, names, icons, ordering, and opening on demand.
#include "app/QXSettings.h"
#include "engine/QXFileNames.h"
#include "engine/QXMovie.h"
#include "playlist/QXMovieRepresentation.h"
#include "TestSupport.h"

#include <QApplication>
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

    void fileEntryKeysAndNames()
    {
        QDir(home.path()).mkpath("Movies");
        const QString path = home.filePath("Movies/x.mov");
        auto r = QXMovieRepresentation::movieRepresentationWithPath(path);
        QVERIFY(r);
        QCOMPARE(r->path(), path);
        QCOMPARE(r->locationKey(), QString("~/Movies/x.mov"));
        QCOMPARE(r->displayName(), QString("x.mov"));
        QXSettings::standard().setBool(true, QXKeys::HideFileExtensions);
        QCOMPARE(r->displayName(), QString("x"));   // read on every call
        QXSettings::standard().setBool(false, QXKeys::HideFileExtensions);
        // A missing file still makes an entry; only opening it fails, and it is tried again.
        QVERIFY(!r->hasMovieState());
        QVERIFY(!r->movie());
        QVERIFY(!r->hasMovieState());
    }

    void nameThatIsNotUtf8()
    {
        // Kept by its bytes; keyed by its address text, shown as far as it can be.
        const QString clip = testsupport::makeVideo(home.path(), "made.mp4", 64, 48, 1.0);
        const QByteArray bytes = QFile::encodeName(home.path()) + "/r\xff.mp4";
        QVERIFY(::rename(QFile::encodeName(clip).constData(), bytes.constData()) == 0);
        const QString path = QXFileNames::decode(bytes);
        auto r = QXMovieRepresentation::movieRepresentationWithPath(path);
        QCOMPARE(r->path(), path);
        QVERIFY(r->URLString().endsWith("/r%FF.mp4"));
        QCOMPARE(r->locationKey(), r->URLString());
        QCOMPARE(r->displayName(), QString("r\uFFFD.mp4"));
        QVERIFY(r->movie());
        QVERIFY(r->movie()->hasVideo());
    }

    void webEntry()
    {
        auto a = QXMovieRepresentation::movieRepresentationWithURLString("http://example.com/a%20b.mp4");
        auto b = QXMovieRepresentation::movieRepresentationWithURLString("https://example.com/b.mp4");
        QVERIFY(a && b);
        QVERIFY(a->path().isEmpty());
        QCOMPARE(a->locationKey(), QString("http://example.com/a%20b.mp4"));
        QCOMPARE(a->displayName(), a->URLString());
        QVERIFY(!a->icon().isNull());
        QCOMPARE(a->icon().cacheKey(), b->icon().cacheKey());   // one shared globe
        // Text that makes no address gives no entry.
        QVERIFY(!QXMovieRepresentation::movieRepresentationWithURLString("not an address"));
        QVERIFY(!QXMovieRepresentation::movieRepresentationWithURLString(""));
        QVERIFY(!QXMovieRepresentation::movieRepresentationWithURLString("relative/path.mp4"));
        QVERIFY(!QXMovieRepresentation::movieRepresentationWithPath(""));
    }

    void homeLookalikeIsNotAbbreviated()
    {
        auto r = QXMovieRepresentation::movieRepresentationWithPath(home.path() + "x/m.mp4");
        QCOMPARE(r->locationKey(), home.path() + "x/m.mp4");
    }

    void openingKeepsTheMovieAndItsState()
    {
        const QString clip = testsupport::makeVideo(home.path(), "clip.mp4", 64, 48, 1.0);
        QVERIFY(!clip.isEmpty());
        auto r = QXMovieRepresentation::movieRepresentationWithPath(clip);
        r->setLastMovieSize(QSizeF(320, 240), true);
        QVERIFY(!r->hasMovieState());   // a remembered size alone is no state
        QXMovie *m = r->movie();
        QVERIFY(m);
        QVERIFY(r->hasMovieState());
        QCOMPARE(r->movie(), m);        // kept open, not made again
        QVERIFY(!r->icon().isNull());
        QCOMPARE(r->lastMovieSize(), QSizeF(320, 240));
        QVERIFY(r->lastMovieIsLocked());
    }

    void remembersRotationUnlessForgotten()
    {
        const QString clip = testsupport::makeVideo(home.path(), "turned.mp4", 64, 48, 1.0);
        QJsonObject table;
        table.insert("~/turned.mp4", 90);
        QXSettings::standard().setObject(table, QXKeys::RotatedMovies);
        auto r = QXMovieRepresentation::movieRepresentationWithPath(clip);
        QVERIFY(r->movie());
        QCOMPARE(r->movie()->angle(), 90);
        QXSettings::standard().setBool(true, QXKeys::ForgetRotation);
        auto s = QXMovieRepresentation::movieRepresentationWithPath(clip);
        QVERIFY(s->movie());
        QCOMPARE(s->movie()->angle(), 0);
        QXSettings::standard().removeObjectForKey(QXKeys::ForgetRotation);
    }

    void sortsByDisplayName()
    {
        QList<QXMovieRepresentationRef> list;
        for (const char *name : {"/v/movie 10", "/v/Movie 2", "/v/movie 1"})
            list.append(QXMovieRepresentation::movieRepresentationWithPath(name));
        std::sort(list.begin(), list.end(), [](auto &a, auto &b) {
            return QXSortMovieRepresentationsByDisplayName(a, b) < 0;
        });
        QStringList names;
        for (auto &r : list)
            names << r->displayName();
        QCOMPARE(names, QStringList({"movie 1", "Movie 2", "movie 10"}));
    }
};

VISTREL_TEST_MAIN(TestRepresentation)
#include "test_representation.moc"
