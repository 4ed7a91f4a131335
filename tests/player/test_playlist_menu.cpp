// The Playlist menu's movies on their own, over a list of entries that need not exist: the
// window around the current entry, items kept while their entry stays, and what it tells.
#include "app/QXSettings.h"
#include "player/QXPlaylistMenu.h"
#include "playlist/QXPlaylist.h"
#include "TestSupport.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QtTest>

class TestPlaylistMenu : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<QXPlaylist> list;
    std::unique_ptr<QWidget> parent;
    QXPlaylistMenu *movies = nullptr;
    QList<QUrl> urls;

    // The menu's texts, "*" marking the checked one, against the rows from first on.
    bool shows(int first, int checked) const
    {
        QStringList items, rows;
        for (const QAction *item : movies->menu()->actions())
            items << (item->isSeparator() ? "-" : item->isChecked() ? "*" + item->text() : item->text());
        for (int i = first; i < qMin(int(urls.size()), first + QXPlaylistMenu::Window); ++i)
            rows << (i == checked ? "*" : "") + urls.at(i).fileName();
        return items == rows + QStringList{"-", "Show Playlist"};
    }
    QAction *itemAt(int i) const { return movies->menu()->actions().at(i); }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        testsupport::isolateSettings(dir.path());
        QXSettings::resetStandard();
    }
    void init()
    {
        urls.clear();
        for (int i = 0; i < 1200; ++i)
            urls << QUrl::fromLocalFile(QString("/m/n%1.mp4").arg(i));
        list = std::make_unique<QXPlaylist>();
        QList<QXMovieRepresentationRef> entries;
        for (const QUrl &u : std::as_const(urls))
            entries << QXMovieRepresentation::movieRepresentationWithURL(u);
        list->append(entries);
        parent = std::make_unique<QWidget>();
        movies = new QXPlaylistMenu(list.get(), "Movies", parent.get());
    }
    void cleanup()
    {
        parent.reset();
        list.reset();
    }

    // Rows of 1200 in a window of 500: n, count, current, start before → start after.
    void windowStart()
    {
        const struct { int n, count, current, start, after; } rows[] = {
            {1200, 500, -1, 300, 0},     // none current: the top
            {1200, 500, 700, 0, 450},    // outside: centred
            {1200, 500, 650, 450, 450},  // well inside: stays
            {1200, 500, 499, 450, 249},  // within a tenth of the top edge: centred again
            {1200, 500, 900, 450, 650},  // within a tenth of the bottom edge
            {1200, 500, 5, 0, 0},        // at the top there is no edge to keep away from
            {1200, 500, 1199, 700, 700}, // nor at the end
            {1200, 500, 1190, 0, 700},   // centring stops at the end
            {300, 300, 10, 40, 0},       // a short list fits whole
            {0, 0, -1, 5, 0}};
        for (const auto &r : rows)
            QVERIFY2(QXPlaylistMenuWindowStart(r.n, r.count, r.current, r.start) == r.after,
                     qPrintable(QString("current %1 from %2").arg(r.current).arg(r.start)));
    }

    void followsTheListAndKeepsItsItems()
    {
        movies->buildIfNeeded();
        QVERIFY(shows(0, -1));
        list->setCurrent(list->at(700));
        movies->buildIfNeeded();
        QVERIFY(shows(450, 700));
        // Walking on moves the mark; the items stay.
        const QList<QAction *> items = movies->menu()->actions();
        list->setCurrent(list->at(701));
        movies->buildIfNeeded();
        QVERIFY(movies->menu()->actions() == items);
        QVERIFY(shows(450, 701));
        // A row leaving above the window: one item leaves, one arrives, the others stay.
        list->removeRows({10});
        urls.removeAt(10);
        movies->buildIfNeeded();
        QVERIFY(shows(450, 700));
        QVERIFY(movies->menu()->actions().mid(0, 499) == items.mid(1, 499));
        // Names lose their extensions when told to.
        QXSettings::standard().setBool(true, QXKeys::HideFileExtensions);
        movies->entriesChanged();
        movies->buildIfNeeded();
        QXSettings::standard().setBool(false, QXKeys::HideFileExtensions);
        QCOMPARE(itemAt(0)->text(), "n451");
        QVERIFY(movies->menu()->actions().mid(0, 499) == items.mid(1, 499));
        // Emptied, the list frees its entries at once: the menu holds none.
        const QWeakPointer<QXMovieRepresentation> entry = list->at(500);
        list->clear();
        urls.clear();
        QVERIFY(entry.isNull());
        QVERIFY(shows(0, -1));
    }

    // Opened, the menu comes up to date and on the current entry; its items tell what was chosen.
    void opensOnTheCurrentEntryAndTellsTheChoice()
    {
        list->setCurrent(list->at(700));
        QSignalSpy chosen(movies, &QXPlaylistMenu::entryChosen), show(movies, &QXPlaylistMenu::showPlaylistRequested);
        movies->menu()->popup(QPoint(50, 50));
        VERIFY_SOON(movies->menu()->activeAction() == itemAt(250), 5000);
        QVERIFY(shows(450, 700));
        // An open menu follows a change at once.
        list->removeRows({1199});
        urls.removeLast();
        QVERIFY(shows(450, 700));
        QMenu *menu = movies->menu();
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(itemAt(249)).center());
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen.first().first().toUrl(), urls.at(699));
        // "Show Playlist", at the end.
        menu->popup(QPoint(50, 50));
        VERIFY_SOON(menu->isVisible(), 5000);
        QTest::keyClick(menu, Qt::Key_End);
        QTest::keyClick(menu, Qt::Key_Return);
        QCOMPARE(show.size(), 1);
        QCOMPARE(chosen.size(), 1);
    }
};

VISTREL_TEST_MAIN(TestPlaylistMenu)
#include "test_playlist_menu.moc"
