// The playlist: collecting addresses into it, lookups, walking, sorting, shuffling,
// clearing, deleting, the table and menu refresh, and showing or hiding the pane.
#include "app/QXMPController.h"
#include "app/QXSettings.h"
#include "controls/QXImages.h"
#include "engine/QXMovieView.h"
#include "player/QXPlayerWindow.h"
#include "playlist/QXPlaylistModel.h"
#include "util/QXMovieCollection.h"

#include <QAbstractButton>
#include <QAction>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QMenu>
#include <QSet>
#include <QTableView>

#include <algorithm>
#include <cstdlib>

bool QXIsShiftHeld()
{
    return QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier;
}

int QXSortURLs(const QUrl &a, const QUrl &b)
{
    return QXCompareNames(a.toString(QUrl::FullyEncoded), b.toString(QUrl::FullyEncoded));
}

void QXMPController::playlistDidChange()
{
    m_playlistIndexValid = false;
    m_playlistMenuValid = false;
    emit playlistChanged();
}

void QXMPController::rebuildPlaylistIndex()
{
    m_playlistIndex.clear();
    m_playlistIndex.reserve(movieRepresentations.size());
    // The first entry with an address wins, as a front-to-back search would find it.
    for (int i = int(movieRepresentations.size()) - 1; i >= 0; --i)
        m_playlistIndex.insert(movieRepresentations.at(i)->URL(), i);
    m_playlistIndexValid = true;
}

bool QXMPController::getPlaylistIndex(int *index, QXMovieRepresentationRef *representation, const QUrl &url) const
{
    if (url.isEmpty())
        return false;
    if (!m_playlistIndexValid)
        const_cast<QXMPController *>(this)->rebuildPlaylistIndex();
    const auto it = m_playlistIndex.constFind(url);
    if (it == m_playlistIndex.constEnd())
        return false;
    if (index)
        *index = it.value();
    if (representation)
        *representation = movieRepresentations.at(it.value());
    return true;
}

int QXMPController::playlistIndexForURL(const QUrl &url) const
{
    int i = NotFound;
    return getPlaylistIndex(&i, nullptr, url) ? i : NotFound;
}

bool QXMPController::openMovies(const QList<QUrl> &urls, bool revealPackageContents)
{
    QList<QUrl> collected;
    if (QXAddMovieURLs(collected, urls, revealPackageContents)) {
        QXSettings &settings = QXSettings::standard();
        bool emptied = false;
        if (settings.boolForKey(QXKeys::ForgetPlaylistOnOpen)) {
            emptied = true;
            movieRepresentations.clear();
            playlistDidChange();
        }
        if (collected.size() >= 2) {
            std::stable_sort(collected.begin(), collected.end(),
                             [](const QUrl &a, const QUrl &b) { return QXSortURLs(a, b) < 0; });
            if (!movieRepresentations.isEmpty()) {
                // One pass instead of a lookup and removal per address.
                const QSet<QUrl> incoming(collected.cbegin(), collected.cend());
                movieRepresentations.removeIf(
                    [&incoming](const QXMovieRepresentationRef &r) { return incoming.contains(r->URL()); });
            }
            for (const QUrl &u : std::as_const(collected))
                if (QXMovieRepresentationRef r = QXMovieRepresentation::movieRepresentationWithURL(u))
                    movieRepresentations.append(r);
            playlistDidChange();
            updatePlaylistTableAndMenu();
        } else if (emptied) {
            updatePlaylistTableAndMenu();
        }
        const bool start = !settings.boolForKey(QXKeys::DoNotPlayOnOpen);
        if (chooseMovie(collected.first(), true, start, false))
            return true;
    }
    if (openWindowAfterDelay) {
        showPlayerWindowIfNotVisible();
        openWindowAfterDelay = false;
    }
    return false;
}

void QXMPController::openMovies(const QList<QUrl> &urls)
{
    if (!openMovies(urls, QXIsShiftHeld()))
        beep();
}

bool QXMPController::openURLs(const QList<QUrl> &urls)
{
    // Web addresses go through the same collection and choice as files.
    const bool opened = openMovies(urls, false);
    if (!opened)
        beep();
    showPlayerWindowIfNotVisible();
    return opened;
}

void QXMPController::walkPlaylistWithStep(int step)
{
    const int last = int(movieRepresentations.size()) - 1;
    if (last <= 0) {
        beep();
        return;
    }
    const int found = currentMovieRepresentation ? playlistIndexForURL(currentMovieRepresentation->URL()) : NotFound;
    // An entry that left the list walks from its end, as its not-found index would.
    qint64 t = qint64(found) + step;
    if (t < 0)
        t = last;
    else if (t > last)
        t = 0;
    const bool playing = playerView->isPlaying();
    chooseMovie(movieRepresentations.at(int(t))->URL(), false, playing, false);
}

void QXMPController::forwardPlaylist() { walkPlaylistWithStep(1); }
void QXMPController::backwardPlaylist() { walkPlaylistWithStep(-1); }

static int selectedRow(QTableView *table)
{
    if (!table || !table->selectionModel())
        return -1;
    const QModelIndexList rows = table->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

static void selectRow(QTableView *table, int row)
{
    if (!table)
        return;
    table->selectionModel()->select(table->model()->index(row, 0),
                                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void QXMPController::sortPlaylist(int tag)
{
    const int row = selectedRow(playerHistoryList);
    const QXMovieRepresentationRef selected = row >= 0 && row < movieRepresentations.size()
                                                  ? movieRepresentations.at(row) : QXMovieRepresentationRef();
    if (tag == 1 || tag == 2) {
        const auto compare = tag == 1 ? QXSortMovieRepresentationsByDisplayName : QXSortMovieRepresentationsByLocation;
        std::stable_sort(movieRepresentations.begin(), movieRepresentations.end(),
                         [compare](const QXMovieRepresentationRef &a, const QXMovieRepresentationRef &b) {
                             return compare(a, b) < 0;
                         });
    } else {
        QList<QXMovieRepresentationRef> old = movieRepresentations;
        QList<QXMovieRepresentationRef> shuffled;
        shuffled.reserve(old.size());
        for (qsizetype n = old.size(); n >= 1; --n) {
            const qsizetype r = qsizetype(random() % n);
            shuffled.append(old.takeAt(r));
        }
        movieRepresentations = shuffled;
    }
    playlistDidChange();
    updatePlaylistTableAndMenu();
    playerHistoryList->scrollToTop();
    if (selected) {
        const auto it = std::find(movieRepresentations.cbegin(), movieRepresentations.cend(), selected);
        if (it != movieRepresentations.cend()) {
            const int newRow = int(it - movieRepresentations.cbegin());
            selectRow(playerHistoryList, newRow);
            playerHistoryList->scrollTo(playlistModel->index(newRow));
        }
    }
}

void QXMPController::clearPlaylist()
{
    chooseNoMovie();
    movieRepresentations.clear();
    playlistDidChange();
    updatePlaylistTableAndMenu();
    playerWindow->setWindowFilePath(QString());
    playerWindow->setWindowTitle(QStringLiteral("Vistrel"));
    if (isPresenting)
        togglePresentation();
    updateTimeField(0, 0);
    updateButtons();
    playerView->update();
}

void QXMPController::tableViewDeleteObjectAtRow(int row)
{
    if (row < 0 || row >= movieRepresentations.size())
        return;
    const int selRow = selectedRow(playerHistoryList);
    const QXMovieRepresentationRef selected = selRow >= 0 ? movieRepresentations.at(selRow) : QXMovieRepresentationRef();
    const bool deletingSelected = selRow == row;
    if (currentMovieRepresentation && playlistIndexForURL(currentMovieRepresentation->URL()) == row) {
        chooseNoMovie();
        playerWindow->setWindowFilePath(QString());
        playerWindow->setWindowTitle(QStringLiteral("Vistrel"));
        updateTimeField(0, 0);
    }
    movieRepresentations.removeAt(row);
    playlistDidChange();
    updatePlaylistTableAndMenu();
    if (deletingSelected) {
        playerHistoryList->clearSelection();
    } else if (selected) {
        const auto it = std::find(movieRepresentations.cbegin(), movieRepresentations.cend(), selected);
        if (it != movieRepresentations.cend())
            selectRow(playerHistoryList, int(it - movieRepresentations.cbegin()));
    }
    updateButtons();
    playerView->update();
}

void QXMPController::deleteSelected()
{
    int row = -1;
    if (isPlaylistRowAccessible(&row))
        tableViewDeleteObjectAtRow(row);
    else
        beep();
}

bool QXMPController::isPlaylistAccessible() const
{
    return !isPresenting && !QXSettings::standard().boolForKey(QXKeys::HidePlaylist);
}

bool QXMPController::isPlaylistRowAccessible(int *row) const
{
    if (!isPlaylistAccessible())
        return false;
    const int r = selectedRow(playerHistoryList);
    if (r < 0)
        return false;
    if (row)
        *row = r;
    return true;
}

void QXMPController::updatePlaylistTableAndMenu()
{
    if (playlistModel)
        playlistModel->reloadData();
    m_playlistMenuValid = false;
    // An open menu follows at once; a closed one is built when it next opens.
    if (playlistMenu && playlistMenu->isVisible())
        buildPlaylistMenuIfNeeded();
}

void QXMPController::buildPlaylistMenuIfNeeded()
{
    if (!playlistMenu || m_playlistMenuValid)
        return;
    playlistMenu->clear();
    for (const QXMovieRepresentationRef &r : std::as_const(movieRepresentations)) {
        QAction *item = playlistMenu->addAction(r->icon(), r->displayName());
        item->setData(QVariant::fromValue(r));
        item->setCheckable(true);
        item->setChecked(r == currentMovieRepresentation);
        connect(item, &QAction::triggered, this, [this, item] { openMovieFromPlaylistMenuItem(item); });
    }
    m_playlistMenuValid = true;
}

void QXMPController::openMovieFromPlaylistMenuItem(QAction *item)
{
    const QXMovieRepresentationRef r = item->data().value<QXMovieRepresentationRef>();
    if (!r)
        return;
    const bool playing = playerView->isPlaying();
    chooseMovie(r->URL(), true, playing, false);
}

void QXMPController::playlistDoubleClicked(int row)
{
    if (row < 0 || row >= movieRepresentations.size())
        return;
    chooseMovie(movieRepresentations.at(row)->URL(), true,
                !QXSettings::standard().boolForKey(QXKeys::DoNotPlayOnOpen), false);
}

void QXMPController::setPlaylistVisible(bool visible, bool animate, bool isInitialSetup)
{
    Q_UNUSED(animate);
    QXPlayerWindow *w = playerWindow;
    const QRect frame = w->geometry();
    const int paneWidth = w->playlistPane->width() + 1;   // the pane and its divider line
    int newWidth;
    if (visible) {
        playlistVisibilityMenuItem->setText(tr("Hide Playlist"));
        playlistVisibilitySwitch->setToolTip(tr("Hide Playlist"));
        playlistVisibilitySwitch->setChecked(true);
        playlistVisibilitySwitch->setIcon(QXNamedImage(QStringLiteral("QXListVisible")));
        if (isInitialSetup)
            return;
        newWidth = frame.width() + paneWidth;
        w->playlistPane->show();
        w->playlistDivider->show();
    } else {
        playlistVisibilityMenuItem->setText(tr("Show Playlist"));
        playlistVisibilitySwitch->setToolTip(tr("Show Playlist"));
        playlistVisibilitySwitch->setChecked(false);
        playlistVisibilitySwitch->setIcon(QXNamedImage(QStringLiteral("QXListHidden")));
        newWidth = frame.width() - paneWidth;
        w->playlistPane->hide();
        w->playlistDivider->hide();
    }
    // The player area keeps its size; the window grows or shrinks by the pane. The minimum
    // made for the pane would hold a narrow window wider: it goes first.
    if (!isInitialSetup)
        w->setMinimumSize(0, 0);
    setPlayerWindowClientRect(QRect(frame.topLeft(), QSize(newWidth, frame.height())));
    playerView->update();
}

void QXMPController::togglePlaylistVisibility()
{
    if (isPresenting) {
        beep();
        return;
    }
    QXSettings &settings = QXSettings::standard();
    const bool hidden = settings.boolForKey(QXKeys::HidePlaylist);
    settings.setBool(!hidden, QXKeys::HidePlaylist);
    setPlaylistVisible(hidden, playerWindow->isVisible(), false);
    updatePlayerWindowMinimumSize();
}
