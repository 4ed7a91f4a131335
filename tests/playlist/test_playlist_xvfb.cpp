// Playlist commands through the controller: opening, walking, sorting, deleting and the menu.
// The list's own arithmetic (lookups, the walk, the orders) is test_playlist_data's.
#include "engine/QXMovieView.h"
#include "player/QXPlayerWindow.h"
#include "util/QXMovieCollection.h"
#include "ControllerFixture.h"

#include <QAction>
#include <QMenu>
#include <QtTest>

class TestPlaylist : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<QXMPController> c;

    QUrl movie(const QString &name) { return QUrl::fromLocalFile(testsupport::makeVideo(dir.path(), name, 64, 48, 1.0, false)); }
    QStringList names() const { return testsupport::playlistNames(*c); }
    int selectedRow() const { return testsupport::selectedRow(*c); }
    void select(int row) { testsupport::selectRow(*c, row); }

    // Entries straight into the list (files that need not exist), as a restored playlist.
    void fill(const QList<QUrl> &urls)
    {
        QList<QXMovieRepresentationRef> entries;
        for (const QUrl &u : urls)
            entries << QXMovieRepresentation::movieRepresentationWithURL(u);
        c->appendEntriesForTesting(entries);
    }

private slots:
    void initTestCase() { QVERIFY(dir.isValid()); }

    void init() { testsupport::launchFreshController(c, dir.path()); }

    void cleanup() { c.reset(); }

    void openingSeveralSortsAppendsAndStartsTheFirst()
    {
        QVERIFY(c->openMovies({movie("b10.mov"), movie("B2.mov"), movie("a.mov")}, false));
        QCOMPARE(names(), QStringList({"a.mov", "B2.mov", "b10.mov"}));
        QCOMPARE(c->playlist().current()->displayName(), QString("a.mov"));
        QCOMPARE(selectedRow(), 0);
        VERIFY_SOON(c->ui().playerView->isPlaying(), 5000);

        // Opening again moves the addresses, sorted, to the end; nothing is listed twice.
        QVERIFY(c->openMovies({movie("c.mov"), movie("B2.mov")}, false));
        QCOMPARE(names(), QStringList({"a.mov", "b10.mov", "B2.mov", "c.mov"}));
        QCOMPARE(c->playlist().current()->displayName(), QString("B2.mov"));

        // One movie that is already listed plays where it stands.
        QVERIFY(c->openMovies({movie("a.mov")}, false));
        QCOMPARE(names().size(), 4);
        QCOMPARE(c->playlist().current(), c->playlist().entries().first());
    }

    void openingNonMoviesAndForgetting()
    {
        QVERIFY(c->openMovies({movie("deep.mp4"), movie("top.mp4")}, false));
        // Nothing to collect: the playlist stays as it was, and a beep.
        c->openMovies(QList<QUrl>{QUrl::fromLocalFile(testsupport::makeFile(dir.path(), "notes.txt", "hello"))});
        QCOMPARE(c->beepCount(), 1);
        QCOMPARE(names().size(), 2);

        QXSettings::standard().setBool(true, QXKeys::ForgetPlaylistOnOpen);
        QVERIFY(c->openMovies({movie("c.mov")}, false));
        QCOMPARE(names(), QStringList({"c.mov"}));
    }

    void walkingWrapsAndBeepsWhenShort()
    {
        c->walkPlaylistWithStep(1);
        QCOMPARE(c->beepCount(), 1);
        QVERIFY(c->openMovies({movie("a.mov")}, false));
        c->forwardPlaylist();
        QCOMPARE(c->beepCount(), 2);   // one entry is not enough either

        QVERIFY(c->openMovies({movie("b.mov"), movie("c.mov")}, false));
        QCOMPARE(c->playlist().current()->displayName(), QString("b.mov"));
        c->backwardPlaylist();
        QCOMPARE(c->playlist().current()->displayName(), QString("a.mov"));
        QCOMPARE(selectedRow(), 1);   // walking leaves the selection alone
        QCOMPARE(c->beepCount(), 2);
    }

    void deletingAndClearing()
    {
        const QUrl a = movie("a.mov");
        QList<QUrl> urls{a};
        for (const char *n : {"b", "a", "c", "b", "a", "d", "a"})
            urls << QUrl::fromLocalFile(QString("/m/") + n);
        fill(urls);
        QVERIFY(c->chooseMovie(a, false, false, false));
        select(6);
        const auto selected = c->playlist().at(6);
        // Rows other than the current and the selected one: the selection stays on its entry
        // even where the view's current row (left by an earlier click) goes, and the current
        // entry stays.
        for (const int row : {1, 3, 1, 2, 3}) {
            c->ui().playerHistoryList->selectionModel()->setCurrentIndex(c->ui().playerHistoryList->model()->index(row, 0),
                                                                     QItemSelectionModel::NoUpdate);
            c->tableViewDeleteObjectAtRow(row);
            QCOMPARE(c->playlist().at(selectedRow()), selected);
            QCOMPARE(c->playlist().current()->URL(), a);
        }
        QCOMPARE(names(), QStringList({"a.mov", "c", "d"}));
        // Deleting the current (and selected) row chooses nothing.
        select(0);
        c->deleteSelected();
        QVERIFY(!c->playlist().current());
        QCOMPARE(selectedRow(), -1);
        QCOMPARE(c->ui().playerWindow->windowTitle(), QString("Vistrel"));
        QCOMPARE(c->selectionMessage(), QString("Nothing Selected"));
        c->deleteSelected();   // nothing selected: a beep
        QCOMPARE(c->beepCount(), 1);

        QVERIFY(c->openMovies({a, movie("b.mov")}, false));
        const QWeakPointer<QXMovieRepresentation> entry = c->playlist().at(0);
        c->clearPlaylist();
        QVERIFY(entry.isNull());   // freed at once
        QVERIFY(c->playlist().entries().isEmpty());
        QVERIFY(!c->playlist().current() && !c->ui().playerView->movie());
        QCOMPARE(c->ui().playerWindow->windowTitle(), QString("Vistrel"));
        QCOMPARE(c->selectionMessage(), QString("Nothing Selected"));
    }

    // The menu's choice becomes the current entry, and "Show Playlist" shows a hidden pane (the menu on
    // its own: test_playlist_menu).
    void menuChoosesAndShowsThePlaylist()
    {
        const QUrl a = movie("a.mov"), b = movie("b.mov");
        fill({a, b});
        QVERIFY(c->chooseMovie(b, true, false, false));
        QMenu *menu = c->ui().playlistMenu;
        menu->popup(QPoint(50, 50));
        VERIFY_SOON(menu->activeAction() == menu->actions().at(1), 5000);
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(menu->actions().at(0)).center());
        VERIFY_SOON(c->playlist().current()->URL() == a, 5000);
        c->togglePlaylistVisibility();
        VERIFY_SOON(!c->ui().playerWindow->playlistPane->isVisible(), 5000);
        menu->popup(QPoint(50, 50));
        VERIFY_SOON(menu->isVisible(), 5000);
        QTest::keyClick(menu, Qt::Key_End);
        QTest::keyClick(menu, Qt::Key_Return);
        VERIFY_SOON(c->ui().playerWindow->playlistPane->isVisible(), 5000);
        QVERIFY(!QXSettings::standard().boolForKey(QXKeys::HidePlaylist));
    }
};

VISTREL_TEST_MAIN(TestPlaylist)
#include "test_playlist_xvfb.moc"
