// Buttons and menu items follow the playlist and the current movie.
#include "app/QXMPController.h"
#include "engine/QXMovie.h"
#include "engine/QXMovieView.h"

#include <QAbstractButton>
#include <QAction>
#include <QStyle>
#include <QSlider>

void QXMPController::updateButtons()
{
    if (!playerWindow)
        return;
    const qsizetype count = movieRepresentations.size();
    const bool hasMovie = currentMovieRepresentation && currentMovieRepresentation->openedMovie();
    playlistClearButton->setEnabled(count > 0);
    clearPlaylistMenuItem->setEnabled(count > 0);
    playlistForwardButton->setEnabled(count > 1);
    playlistBackwardButton->setEnabled(count > 1);
    forwardPlaylistMenuItem->setEnabled(count > 1);
    backwardPlaylistMenuItem->setEnabled(count > 1);
    playlistMenuItem->setEnabled(count > 0);
    playlistSortMenuItem->setEnabled(count > 1);
    playPauseSwitch->setEnabled(hasMovie && currentMovieIsPlayable);
    playPauseMenuItem->setEnabled(hasMovie && currentMovieIsPlayable);
    timeSlider->setEnabled(hasMovie && currentMovieIsPlayable);
    timeWindBackwardButton->setEnabled(hasMovie);
    timeWindForwardButton->setEnabled(hasMovie);
    updatePlayPauseControls();
}

void QXMPController::updatePlayPauseControls()
{
    showPlayPauseState(playerView && playerView->isPlaying());
}

void QXMPController::showPlayPauseState(bool playing)
{
    playPauseSwitch->setChecked(playing);
    playPauseSwitch->setIcon(playPauseSwitch->style()->standardIcon(playing ? QStyle::SP_MediaPause
                                                                             : QStyle::SP_MediaPlay));
    playPauseMenuItem->setText(playing ? tr("Pause [Space]") : tr("Play [Space]"));
}
