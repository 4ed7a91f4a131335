// Choosing an entry, enabling its playback once it loads, continuing at the end of a movie,
// play and pause, and the message the empty view shows.
#include "app/QXMPController.h"
#include <QLocale>
#include "util/QXMovieCollector.h"
#include "player/QXControlBar.h"
#include "app/QXSettings.h"
#include "engine/QXMovie.h"
#include "engine/QXMovieView.h"
#include "player/QXPlayerWindow.h"
#include "player/QXWindowSizer.h"
#include "playlist/QXOnlineVideoDownloads.h"
#include "playlist/QXPlaylistModel.h"

#include <QAbstractButton>
#include <QAction>
#include <QStyle>
#include "controls/QXSliders.h"
#include "playlist/QXMovieTableView.h"
#include <QTimer>

bool QXMPController::chooseMovie(const QUrl &address, bool changeSelection, bool startPlaying, bool byContinuing)
{
    pause();
    const bool locked = m_windowSizer->isAspectRatioLocked();
    QUrl url = address;
    int i = -1;
    QXMovieRepresentationRef e;
    QXMovie *m = nullptr;
    // Continuing skips, one after another, every following entry that does not open.
    for (;;) {
        i = m_playlist.rowOfURL(url);
        if (i >= 0) {
            e = m_playlist.at(i);
            m_currentMovieCanRememberState = e->hasMovieState() && e->lastMovieIsLocked() == locked;
        } else {
            e = QXMovieRepresentation::movieRepresentationWithURL(url);
            m_currentMovieCanRememberState = false;
        }
        // A movie that failed to open is opened anew: choosing it again tries again. A watch
        // page downloads its video (again, after a failure) and has no movie meanwhile.
        if (e && !e->isDownloadingOnlineFlashMovie() && QXOnlineVideoDownloads::isOnlineVideoPage(*e))
            m_downloads->startPage(e);
        m = e && !e->isDownloadingOnlineFlashMovie() ? e->movie() : nullptr;
        if (m && e == m_playlist.current() && m_ui.playerView->movie() == m) {
            m_transport->setTime(0, m);
            if (startPlaying)
                play();
            return true;
        }
        if (m || (e && e->isDownloadingOnlineFlashMovie()))
            break;
        if (byContinuing && i >= 0 && i < m_playlist.count() - 1) {
            url = m_playlist.at(i + 1)->URL();
            continue;
        }
        updateButtons();
        beep();
        return false;
    }

    disposeStopCallback();

    // Hand the size of the movie being left to its entry.
    if (m_windowSizer->rememberLeavingMovie(locked))
        m_playlist.current()->setLastMovieSize(m_windowSizer->playerAreaSize(), locked);

    // Held to the end: the view still shows the previous entry's movie until setMovie below.
    const QXMovieRepresentationRef previous = m_playlist.current();
    m_playlist.setCurrent(e);
    m_currentMovieIsPlayable = m && isCurrentMoviePlayable();
    m_currentMovieShouldAutoplay = startPlaying;
    m_currentMovieChosenByContinuing = byContinuing;
    m_failureShownFor = nullptr;
    m_openFailure.clear();
    m_downloadFailure.clear();
    m_ui.playerView->setMovie(m);
    m_ui.playerView->update();

    // The table's and the menu's marks follow the current entry (QXPlaylist::currentChanged).
    if (i < 0) {
        m_playlist.append({e});
        i = m_playlist.count() - 1;
    }
    if (changeSelection)
        m_ui.playerHistoryList->selectionModel()->select(
            m_ui.playlistModel->index(i), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_ui.playerHistoryList->scrollTo(m_ui.playlistModel->index(i));

    m_ui.playerWindow->setWindowFilePath(url.isLocalFile() ? url.toLocalFile() : QString());
    m_ui.playerWindow->setWindowTitle(e->displayName());
    m_currentMovieHasVideo = false;

    if (m_currentMovieIsPlayable)
        enablePlaybackForCurrentMovie();

    if (!isPresenting() && !(m_ui.playerWindow->isVisible() && byContinuing))
        m_windowSizer->showPlayerWindow();
    updateButtons();
    emit currentMovieChanged();
    return true;
}

void QXMPController::enablePlaybackForCurrentMovie()
{
    QXMovie *m = m_playlist.current() ? m_playlist.current()->openedMovie() : nullptr;
    if (!m)
        return;
    m_ui.playerView->update();
    const bool hasTimeLine = m_transport->updateTimeDisplayForMovie(m, true);
    m_controlBar->setTimeLineVisible(hasTimeLine);
    m_currentMovieHasVideo = m->hasVideo();
    if (!m_currentMovieHasVideo && isPresenting())
        m_presentation->togglePresentation();
    if (m_currentMovieHasVideo) {
        m_currentMovieCanRememberState = m_windowSizer->followNewMovie(m_currentMovieCanRememberState,
                                                                     m_playlist.current()->lastMovieSize());
        if (isPresenting())
            m_presentation->updatePresentationWindow();
    }
    m_windowSizer->updatePlayerWindowMinimumSize();
    armStopCallback();
    m->setVolume(float(m_controlBar->volume()));
    if (m_currentMovieShouldAutoplay)
        play();
}

void QXMPController::armStopCallback()
{
    QXMovie *m = m_playlist.current() ? m_playlist.current()->openedMovie() : nullptr;
    // The engine's end-of-movie callback lands here, on the main thread; an entry may
    // outlive its controller.
    m_isStopCallbackInstalled = m && m->armStopCallback([c = QPointer<QXMPController>(this)] {
        if (c)
            c->movieDidStop();
    });
}

void QXMPController::disposeStopCallback()
{
    if (!m_isStopCallbackInstalled)
        return;
    if (QXMovie *m = m_playlist.current() ? m_playlist.current()->openedMovie() : nullptr)
        m->disposeStopCallback();
    m_isStopCallbackInstalled = false;
}

bool QXMPController::isCurrentMoviePlayable() const
{
    QXMovie *m = m_playlist.current() ? m_playlist.current()->openedMovie() : nullptr;
    return m && m->loadState() > 9999;
}

void QXMPController::movieLoadStateDidChange()
{
    QXMovie *m = m_playlist.current() ? m_playlist.current()->openedMovie() : nullptr;
    if (m && m->loadState() == QXMovieLoadStateError) {
        currentMovieDidFail();
        return;
    }
    if (m_currentMovieIsPlayable)
        return;
    m_currentMovieIsPlayable = isCurrentMoviePlayable();
    if (m_currentMovieIsPlayable) {
        enablePlaybackForCurrentMovie();
        updateButtons();
    }
    m_ui.playerView->update();   // the loading message may have become the audio one
}

// A movie that could not be opened after all (a dead server, a 404, a file that is no movie
// once the player reads it): the same reaction as a command that cannot act, the reason in
// the view, and a playlist that was continuing goes on with the next entry.
void QXMPController::currentMovieDidFail()
{
    QXMovie *m = m_playlist.current()->openedMovie();
    if (m_failureShownFor == m || downloadCurrentWebPage())
        return;
    m_failureShownFor = m;
    disposeStopCallback();
    m_currentMovieIsPlayable = false;
    m_currentMovieHasVideo = false;
    beep();
    updateButtons();
    m_ui.playerView->update();
    if (!m_currentMovieChosenByContinuing)
        return;
    const int i = m_playlist.currentRow();
    if (i >= 0 && i < m_playlist.count() - 1) {
        const QUrl next = m_playlist.at(i + 1)->URL();
        QTimer::singleShot(0, this, [this, next] { continueWithMovie(next); });
    }
}

void QXMPController::movieDidStop()
{
    // The callback fired and is spent.
    m_isStopCallbackInstalled = false;
    const int i = m_playlist.currentRow();
    if (i < 0 || i == m_playlist.count() - 1) {
        updatePlayPauseControls();
        armStopCallback();
        return;
    }
    m_transport->updateTimeDisplay();
    const QUrl next = m_playlist.at(i + 1)->URL();
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
    m_ui.playerView->setMovie(nullptr);
    m_ui.playerView->update();
    m_playlist.setCurrent({});
    m_currentMovieHasVideo = false;
    m_openFailure.clear();
    m_downloadFailure.clear();
    // The window no longer names a movie.
    m_ui.playerWindow->setWindowFilePath(QString());
    m_ui.playerWindow->setWindowTitle(QStringLiteral("Vistrel"));
    m_windowSizer->applyAspectHints();
    if (m_ui.playlistModel)
        m_ui.playlistModel->redisplay();
    emit currentMovieChanged();
}

void QXMPController::play()
{
    m_stoppedEntry.clear();
    if (!m_ui.playerView->isPlaying())
        m_ui.playerView->play();
    showPlayPauseState(true);
}

void QXMPController::pause()
{
    if (m_ui.playerView->isPlaying())
        m_ui.playerView->pause();
    // chooseNoMovie and chooseMovie come through here too.
    m_transport->releaseScreenSaver();
    showPlayPauseState(false);
}

void QXMPController::playPause()
{
    if (!m_ui.playerView->isPlaying()) {
        play();
    } else {
        pause();
        m_transport->updateTimeDisplay();
    }
}

void QXMPController::stop()
{
    QXMovie *m = currentMovie();
    if (!m)
        return;
    m_stoppedEntry = m_playlist.current();
    pause();
    if (!m->duration().isIndefinite())
        m_transport->setTime(0, m);
    m_transport->updateTimeDisplay();
}

bool QXMPController::isStopped() const
{
    return m_playlist.current() && m_stoppedEntry == m_playlist.current() && !m_ui.playerView->isPlaying();
}

bool QXMPController::selectionMessageIsFailure() const
{
    if (!m_playlist.current())
        return !m_openFailure.isEmpty();
    if (!m_downloadFailure.isEmpty() && m_downloadFailureFor == m_playlist.current())
        return true;
    const QXMovie *m = m_playlist.current()->openedMovie();
    return m && m->loadState() == QXMovieLoadStateError;
}

QString QXMPController::selectionMessage() const
{
    if (m_collector && m_collector->elapsedMs() >= QXWalkProgressDelayMs)
        return tr("Looking for movies\u2026 %1 files\nEscape stops the search").arg(QLocale().toString(m_collector->filesSeen()));
    if (m_playlist.current()) {
        const QString name = m_playlist.current()->displayName();
        if (selectionMessageIsFailure()) {
            const QXMovie *m = m_playlist.current()->openedMovie();
            return tr("\"%1\"\nCannot open: %2").arg(name, m ? m->failureReason() : m_downloadFailure);
        }
        if (!isCurrentMoviePlayable()) {
            // A download under way says how far it got.
            const QString progress = m_downloads->progressText(m_playlist.current().get());
            if (!progress.isEmpty())
                return tr("\"%1\"\nLoading...\n%2").arg(name, progress);
            return tr("\"%1\"\nLoading...").arg(name);
        }
        return tr("\"%1\"\nAudio Only").arg(name);
    }
    if (!m_openFailure.isEmpty())
        return m_openFailure;
    // An emptied playlist says so too, rather than leaving a blank window the size of the
    // last movie.
    if (QXSettings::standard().boolForKey(QXKeys::HidePlaylist))
        return {};
    const QModelIndexList rows = m_ui.playerHistoryList && m_ui.playerHistoryList->selectionModel()
                                     ? m_ui.playerHistoryList->selectionModel()->selectedRows() : QModelIndexList();
    if (rows.isEmpty() || rows.first().row() >= m_playlist.count())
        return tr("Nothing Selected");
    return tr("\"%1\"\nDouble-click to open").arg(m_playlist.at(rows.first().row())->displayName());
}

// Quarter turns of the current movie; the window follows the turned picture.
void QXMPController::rotateByAngle(int degrees)
{
    if (!m_currentMovieHasVideo || !m_playlist.current()) {
        beep();
        return;
    }
    m_playlist.current()->rotateByAngle(degrees);
    m_windowSizer->updatePlayerWindowMinimumSize();
    m_windowSizer->resizePlayerWindowForCurrentMagnification();
    if (isPresenting())
        m_presentation->updatePresentationWindow();
}

void QXMPController::rotate()
{
    rotateByAngle(QXSettings::standard().boolForKey(QXKeys::RotateCounterclockwise) ? -90 : 90);
}
