// Buttons and menu items follow the playlist and the current movie.
#include "app/QXMPController.h"
#include "app/QXSettings.h"
#include "controls/QXImages.h"
#include "engine/QXMovie.h"
#include "engine/QXMovieView.h"

#include <QAbstractButton>
#include <algorithm>
#include <QAction>
#include <QStyle>
#include <QLabel>
#include <QLayout>
#include <QSlider>

#include "player/QXPlayerWindow.h"

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

void QXMPController::showRotateButtonImage()
{
    QString name;
    if (isToolbarButtonsHidden)
        name = QStringLiteral("QXTPChevron");
    else if (QXSettings::standard().boolForKey(QXKeys::RotateCounterclockwise))
        name = QStringLiteral("QXRotateCounterclockwise");
    else
        name = QStringLiteral("QXRotateClockwise");
    rotateButton->setIcon(QXNamedImage(name));
    rotateButton->setToolTip(isToolbarButtonsHidden ? QString() : tr("Rotate"));
}
