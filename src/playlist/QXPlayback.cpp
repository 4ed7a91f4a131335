// Choosing an entry, enabling its playback once it loads, continuing at the end of a movie,
// play and pause, and the message the empty view shows.
#include "app/QXMPController.h"
#include "player/QXControlBar.h"
#include "app/QXScreenSaverInhibitor.h"
#include "app/QXSettings.h"
#include "engine/QXMovie.h"
#include "engine/QXMovieView.h"
#include "player/QXPlayerWindow.h"
#include "playlist/QXPlaylistModel.h"

#include <QAbstractButton>
#include <QAction>
#include <QStyle>
#include "controls/QXSliders.h"
#include "playlist/QXMovieTableView.h"
#include <QTimer>

// The engine's end-of-movie callback lands here, on the main thread.
void QXMovieDidStopCallback()
{
    if (QXMPController *c = QXMPController::sharedController())
        c->movieDidStop();
}

bool QXMPController::chooseMovie(const QUrl &address, bool changeSelection, bool startPlaying, bool byContinuing)
{
    pause();
    const bool locked = isAspectRatioLocked();
    QUrl url = address;
    int i = NotFound;
    QXMovieRepresentationRef e;
    QXMovie *m = nullptr;
    // Continuing skips, one after another, every following entry that does not open.
    for (;;) {
        i = playlistIndexForURL(url);
        if (i != NotFound) {
            e = movieRepresentations.at(i);
            currentMovieCanRememberState = e->hasMovieState() && e->lastMovieIsLocked() == locked;
        } else {
            e = QXMovieRepresentation::movieRepresentationWithURL(url);
            currentMovieCanRememberState = false;
        }
        // A movie that failed to open is opened anew: choosing it again tries again.
        m = e ? e->movie() : nullptr;
        if (m && e == currentMovieRepresentation && playerView->movie() == m) {
            setTime(0, m);
            if (startPlaying)
                play();
            return true;
        }
        if (m || (e && e->isDownloadingOnlineFlashMovie()))
            break;
        if (byContinuing && i != NotFound && i < movieRepresentations.size() - 1) {
            url = movieRepresentations.at(i + 1)->URL();
            continue;
        }
        updateButtons();
        beep();
        return false;
    }

    disposeStopCallback();

    // Hand the size of the movie being left to its entry.
    if (currentMovieHasVideo && currentMovieRepresentation && currentMovieRepresentation->openedMovie()) {
        lastMovieSize = naturalSizeForMagnification(currentMovieRepresentation->openedMovie(), 1.0f);
        // A window fitted to the screen only because the movie was too large is not zoomed.
        lastMovieWasZoomed = playerWindowIsZoomedWithAspectRatioLock(locked) && !m_fittedToScreenBySize;
        currentMovieRepresentation->setLastMovieSize(playerAreaSize(), locked);
    } else {
        lastMovieSize = QSizeF(0, 0);
        lastMovieWasZoomed = false;
    }

    // Held to the end: the view still shows the previous entry's movie until setMovie below.
    const QXMovieRepresentationRef previous = currentMovieRepresentation;
    currentMovieRepresentation = e;
    currentMovieIsPlayable = m && isCurrentMoviePlayable();
    currentMovieShouldAutoplay = startPlaying;
    m_currentMovieChosenByContinuing = byContinuing;
    m_failureShownFor = nullptr;
    m_openFailure.clear();
    playerView->setMovie(m);
    playerView->update();

    if (i != NotFound) {
        playlistModel->redisplay();
    } else {
        movieRepresentations.append(e);
        playlistDidChange();
        updatePlaylistTableAndMenu();
        i = int(movieRepresentations.size()) - 1;
    }
    m_playlistMenuValid = false;   // the menu's mark follows the current entry
    if (changeSelection)
        playerHistoryList->selectionModel()->select(
            playlistModel->index(i), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    playerHistoryList->scrollTo(playlistModel->index(i));

    playerWindow->setWindowFilePath(url.isLocalFile() ? url.toLocalFile() : QString());
    playerWindow->setWindowTitle(e->displayName());
    currentMovieHasVideo = false;

    if (currentMovieIsPlayable)
        enablePlaybackForCurrentMovie();

    if (!isPresenting && !(playerWindow->isVisible() && byContinuing))
        showPlayerWindow();
    updateButtons();
    emit currentMovieChanged();
    return true;
}

void QXMPController::enablePlaybackForCurrentMovie()
{
    QXMovie *m = currentMovieRepresentation ? currentMovieRepresentation->openedMovie() : nullptr;
    if (!m)
        return;
    playerView->update();
    const bool hasTimeLine = updateTimeDisplayForMovie(m, true);
    m_controlBar->setTimeLineVisible(hasTimeLine);
    currentMovieHasVideo = m->hasVideo();
    if (!currentMovieHasVideo && isPresenting)
        togglePresentation();
    if (currentMovieHasVideo) {
        const QSizeF n = naturalSizeForMagnification(m, 1.0f);
        if (lastMovieSize.width() >= 1.0 && lastMovieSize == n) {
            // Same picture size as the movie before: keep the magnification.
            currentMovieCanRememberState = false;
        } else {
            if (currentMovieCanRememberState) {
                lastMovieSize = currentMovieRepresentation->lastMovieSize();
                currentMagnification = float(lastMovieSize.width() / n.width());
            } else {
                currentMagnification = 1.0f;
            }
            selectCurrentMagnificationMenuItem();
        }
        if (lastMovieWasZoomed)
            fitPlayerWindowToScreen();
        else if (currentMovieCanRememberState)
            resizePlayerWindowForSize(lastMovieSize);
        else
            resizePlayerWindowForCurrentMagnification();
        if (isPresenting)
            updatePresentationWindow();
    }
    updatePlayerWindowMinimumSize();
    armStopCallback();
    m->setVolume(float(m_controlBar->volume()));
    if (currentMovieShouldAutoplay)
        play();
}

void QXMPController::armStopCallback()
{
    QXMovie *m = currentMovieRepresentation ? currentMovieRepresentation->openedMovie() : nullptr;
    isStopCallbackInstalled = m && m->armStopCallback(&QXMovieDidStopCallback);
}

void QXMPController::disposeStopCallback()
{
    if (!isStopCallbackInstalled)
        return;
    if (QXMovie *m = currentMovieRepresentation ? currentMovieRepresentation->openedMovie() : nullptr)
        m->disposeStopCallback();
    isStopCallbackInstalled = false;
}

bool QXMPController::isCurrentMoviePlayable() const
{
    QXMovie *m = currentMovieRepresentation ? currentMovieRepresentation->openedMovie() : nullptr;
    return m && m->loadState() > 9999;
}

void QXMPController::movieLoadStateDidChange()
{
    QXMovie *m = currentMovieRepresentation ? currentMovieRepresentation->openedMovie() : nullptr;
    if (m && m->loadState() == QXMovieLoadStateError) {
        currentMovieDidFail();
        return;
    }
    if (currentMovieIsPlayable)
        return;
    currentMovieIsPlayable = isCurrentMoviePlayable();
    if (currentMovieIsPlayable) {
        enablePlaybackForCurrentMovie();
        updateButtons();
    }
    playerView->update();   // the loading message may have become the audio one
}

// A movie that could not be opened after all (a dead server, a 404, a file that is no movie
// once the player reads it): the same reaction as a command that cannot act, the reason in
// the view, and a playlist that was continuing goes on with the next entry.
void QXMPController::currentMovieDidFail()
{
    QXMovie *m = currentMovieRepresentation->openedMovie();
    if (m_failureShownFor == m)
        return;
    m_failureShownFor = m;
    disposeStopCallback();
    currentMovieIsPlayable = false;
    currentMovieHasVideo = false;
    beep();
    updateButtons();
    playerView->update();
    if (!m_currentMovieChosenByContinuing)
        return;
    const int i = playlistIndexForURL(currentMovieRepresentation->URL());
    if (i != NotFound && i < movieRepresentations.size() - 1) {
        const QUrl next = movieRepresentations.at(i + 1)->URL();
        QTimer::singleShot(0, this, [this, next] { continueWithMovie(next); });
    }
}

void QXMPController::movieDidStop()
{
    // The callback fired and is spent.
    isStopCallbackInstalled = false;
    const int i = currentMovieRepresentation ? playlistIndexForURL(currentMovieRepresentation->URL()) : NotFound;
    if (i == NotFound || i == movieRepresentations.size() - 1) {
        updatePlayPauseControls();
        armStopCallback();
        return;
    }
    updateTimeDisplay();
    const QUrl next = movieRepresentations.at(i + 1)->URL();
    QTimer::singleShot(0, this, [this, next] { continueWithMovie(next); });
}

void QXMPController::continueWithMovie(const QUrl &url)
{
    chooseMovie(url, false, true, true);
    updatePlayPauseControls();
}

void QXMPController::chooseNoMovie()
{
    disposeStopCallback();
    pause();
    playerView->setMovie(nullptr);
    playerView->update();
    currentMovieRepresentation.clear();
    currentMovieHasVideo = false;
    m_openFailure.clear();
    // The window no longer names a movie.
    playerWindow->setWindowFilePath(QString());
    playerWindow->setWindowTitle(QStringLiteral("Vistrel"));
    applyAspectHints();
    m_playlistMenuValid = false;
    if (playlistModel)
        playlistModel->redisplay();
    emit currentMovieChanged();
}

void QXMPController::play()
{
    if (!playerView->isPlaying())
        playerView->play();
    showPlayPauseState(true);
}

void QXMPController::pause()
{
    if (playerView->isPlaying())
        playerView->pause();
    // chooseNoMovie and chooseMovie come through here too.
    if (m_screenSaverInhibitor)
        m_screenSaverInhibitor->setInhibited(false);
    showPlayPauseState(false);
}

void QXMPController::playPause()
{
    if (!playerView->isPlaying()) {
        play();
    } else {
        pause();
        updateTimeDisplay();
    }
}

bool QXMPController::selectionMessageIsFailure() const
{
    if (!currentMovieRepresentation)
        return !m_openFailure.isEmpty();
    const QXMovie *m = currentMovieRepresentation->openedMovie();
    return m && m->loadState() == QXMovieLoadStateError;
}

QString QXMPController::selectionMessage() const
{
    if (currentMovieRepresentation) {
        const QString name = currentMovieRepresentation->displayName();
        if (selectionMessageIsFailure())
            return tr("\"%1\"\nCannot open: %2").arg(name, currentMovieRepresentation->openedMovie()->failureReason());
        if (!isCurrentMoviePlayable())
            return tr("\"%1\"\nLoading...").arg(name);
        return tr("\"%1\"\nAudio Only").arg(name);
    }
    if (!m_openFailure.isEmpty())
        return m_openFailure;
    // An emptied playlist says so too, rather than leaving a blank window the size of the
    // last movie.
    if (QXSettings::standard().boolForKey(QXKeys::HidePlaylist))
        return {};
    const QModelIndexList rows = playerHistoryList && playerHistoryList->selectionModel()
                                     ? playerHistoryList->selectionModel()->selectedRows() : QModelIndexList();
    if (rows.isEmpty() || rows.first().row() >= movieRepresentations.size())
        return tr("Nothing Selected");
    return tr("\"%1\"\nDouble-click to open").arg(movieRepresentations.at(rows.first().row())->displayName());
}
