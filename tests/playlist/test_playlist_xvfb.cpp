// Playlist operations through the controller: opening, ordering, walking, sorting,
// shuffling, clearing, deleting, the menu and the pane.
#include "app/QXMPController.h"
#include "app/QXSettings.h"
#include "engine/QXMovie.h"
#include "engine/QXMovieView.h"
#include "player/QXPlayerWindow.h"
#include "ControllerFixture.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTableView>
#include <QtTest>

class TestPlaylist : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<QXMPController> c;

    QUrl movie(const QString &name)
    {
        const QString p = testsupport::makeVideo(dir.path(), name, 64, 48, 1.0, false);
        return QUrl::fromLocalFile(p);
    }

    QStringList names() const
    {
        QStringList n;
        for (const auto &r : c->movieRepresentations)
            n << r->displayName();
        return n;
    }

    int selectedRow() const
    {
        const auto rows = c->playerHistoryList->selectionModel()->selectedRows();
        return rows.isEmpty() ? -1 : rows.first().row();
    }

private slots:
    void initTestCase() { QVERIFY(dir.isValid()); }

    void init() { testsupport::launchFreshController(c, dir.path()); }

    void cleanup() { c.reset(); }

    void openingSeveralSortsAppendsAndStartsTheFirst()
    {
        QVERIFY(c->openMovies({movie("b10.mov"), movie("B2.mov"), movie("a.mov")}, false));
        QCOMPARE(names(), QStringList({"a.mov", "B2.mov", "b10.mov"}));
        QCOMPARE(c->currentMovieRepresentation->displayName(), QString("a.mov"));
        QCOMPARE(selectedRow(), 0);
        QTRY_VERIFY(c->playerView->isPlaying());

        // Opening again moves the addresses, sorted, to the end; nothing is listed twice.
        QVERIFY(c->openMovies({movie("c.mov"), movie("B2.mov")}, false));
        QCOMPARE(names(), QStringList({"a.mov", "b10.mov", "B2.mov", "c.mov"}));
        QCOMPARE(c->currentMovieRepresentation->displayName(), QString("B2.mov"));

        // One movie that is already listed plays where it stands.
        QVERIFY(c->openMovies({movie("a.mov")}, false));
        QCOMPARE(names().size(), 4);
        QCOMPARE(c->currentMovieRepresentation, c->movieRepresentations.first());
    }

    void openingFoldersAndNonMovies()
    {
        QDir(dir.path()).mkpath("tree/inner");
        testsupport::makeVideo(dir.filePath("tree"), "top.mp4", 64, 48, 1.0, false);
        testsupport::makeVideo(dir.filePath("tree/inner"), "deep.mp4", 64, 48, 1.0, false);
        testsupport::makeFile(dir.filePath("tree"), "readme.txt", "not a movie");
        QVERIFY(c->openMovies({QUrl::fromLocalFile(dir.filePath("tree"))}, false));
        QCOMPARE(names(), QStringList({"deep.mp4", "top.mp4"}));   // sorted by address: inner/ < top

        // Nothing to collect: no result, the playlist stays as it was, and a beep.
        const QString text = testsupport::makeFile(dir.path(), "notes.txt", "hello");
        const int beeps = c->beepCount();
        c->openMovies(QList<QUrl>{QUrl::fromLocalFile(text)});
        QCOMPARE(c->beepCount(), beeps + 1);
        QCOMPARE(names().size(), 2);
    }

    void forgetPlaylistOnOpenKeepsTheCurrentMovie()
    {
        QVERIFY(c->openMovies({movie("a.mov"), movie("b.mov")}, false));
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
        QCOMPARE(names(), QStringList({"a.mov", "b.mov", "c.mov"}));
        QCOMPARE(c->currentMovieRepresentation->displayName(), QString("b.mov"));
        c->forwardPlaylist();
        QCOMPARE(c->currentMovieRepresentation->displayName(), QString("c.mov"));
        c->forwardPlaylist();
        QCOMPARE(c->currentMovieRepresentation->displayName(), QString("a.mov"));
        c->backwardPlaylist();
        QCOMPARE(c->currentMovieRepresentation->displayName(), QString("c.mov"));
        QCOMPARE(selectedRow(), 1);   // walking leaves the selection alone
        QCOMPARE(c->beepCount(), 2);
    }

    void sortingAndShufflingKeepEntriesAndSelection()
    {
        QList<QUrl> urls;
        for (const char *n : {"m1.mov", "m10.mov", "M2.mov", "m3.mov", "m20.mov"})
            urls << movie(n);
        QVERIFY(c->openMovies(urls, false));
        QCOMPARE(names(), QStringList({"m1.mov", "M2.mov", "m3.mov", "m10.mov", "m20.mov"}));
        const auto current = c->currentMovieRepresentation;
        c->playerHistoryList->selectionModel()->select(c->playerHistoryList->model()->index(3, 0),
                                                       QItemSelectionModel::ClearAndSelect);
        const auto selected = c->movieRepresentations.at(3);
        QStringList before = names();
        for (int i = 0; i < 5; ++i) {
            c->sortPlaylist(0);
            QStringList after = names();
            QCOMPARE(QSet<QString>(after.begin(), after.end()), QSet<QString>(before.begin(), before.end()));
            QCOMPARE(c->movieRepresentations.at(selectedRow()), selected);
            QCOMPARE(c->currentMovieRepresentation, current);
        }
        c->sortPlaylist(1);
        QCOMPARE(names(), before);
        QCOMPARE(c->movieRepresentations.at(selectedRow()), selected);
    }

    void clearingAndDeleting()
    {
        QVERIFY(c->openMovies({movie("a.mov"), movie("b.mov"), movie("c.mov")}, false));
        // Deleting a row other than the current and the selected one keeps both.
        c->playerHistoryList->selectionModel()->select(c->playerHistoryList->model()->index(2, 0),
                                                       QItemSelectionModel::ClearAndSelect);
        c->tableViewDeleteObjectAtRow(1);
        QCOMPARE(names(), QStringList({"a.mov", "c.mov"}));
        QCOMPARE(selectedRow(), 1);
        QCOMPARE(c->currentMovieRepresentation->displayName(), QString("a.mov"));
        // Deleting the current (and selected) row chooses nothing.
        c->playerHistoryList->selectionModel()->select(c->playerHistoryList->model()->index(0, 0),
                                                       QItemSelectionModel::ClearAndSelect);
        c->deleteSelected();
        QVERIFY(!c->currentMovieRepresentation);
        QCOMPARE(selectedRow(), -1);
        QCOMPARE(c->playerWindow->windowTitle(), QString("Vistrel"));
        QCOMPARE(c->selectionMessage(), QString("Nothing Selected"));
        c->deleteSelected();                              // nothing selected: a beep
        QCOMPARE(c->beepCount(), 1);

        QVERIFY(c->chooseMovie(c->movieRepresentations.first()->URL(), true, true, false));
        c->clearPlaylist();
        QVERIFY(c->movieRepresentations.isEmpty());
        QVERIFY(!c->currentMovieRepresentation);
        QVERIFY(!c->playerView->movie());
        QCOMPARE(c->playerWindow->windowTitle(), QString("Vistrel"));
        QVERIFY(c->selectionMessage().isEmpty());
    }

    void menuIsBuiltWhenOpenedAndMarksTheCurrentEntry()
    {
        QVERIFY(c->openMovies({movie("a.mov"), movie("b.mov")}, false));
        c->buildPlaylistMenuIfNeeded();
        const QList<QAction *> items = c->playlistMenu->actions();
        QCOMPARE(items.size(), 2);
        QCOMPARE(items.at(0)->text(), QString("a.mov"));
        QVERIFY(items.at(0)->isChecked() && !items.at(1)->isChecked());
        items.at(1)->trigger();
        QCOMPARE(c->currentMovieRepresentation->displayName(), QString("b.mov"));
        c->buildPlaylistMenuIfNeeded();
        QVERIFY(c->playlistMenu->actions().at(1)->isChecked());
        QVERIFY(c->playlistMenuItem->isEnabled() && c->playlistSortMenuItem->isEnabled());
    }

    void paneShowsAndHidesAroundAFixedPlayerArea()
    {
        const QSizeF area = c->playerAreaSize();
        const int width = c->playerWindow->width();
        c->togglePlaylistVisibility();
        QVERIFY(QXSettings::standard().boolForKey(QXKeys::HidePlaylist));
        QTRY_COMPARE(c->playerWindow->width(), width - 201);
        QCOMPARE(c->playerAreaSize(), area);
        c->togglePlaylistVisibility();
        QTRY_COMPARE(c->playerWindow->width(), width);
        QCOMPARE(c->playerAreaSize(), area);
    }
};

VISTREL_TEST_MAIN(TestPlaylist)
#include "test_playlist_xvfb.moc"
