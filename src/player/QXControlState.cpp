// Buttons and menu items follow the playlist and the current movie.
#include "app/QXMPController.h"
#include "engine/QXMovie.h"
#include "engine/QXMovieView.h"

#include <QAbstractButton>
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

// The width the control bar needs with its optional parts (time fields, volume) hidden.
int QXMPController::controlBarRequiredWidth() const
{
    QXPlayerWindow *w = playerWindow;
    if (!w || !w->controlBar)
        return 0;
    QLayout *bar = w->controlBar->layout();
    const int spacing = bar->spacing();
    const QMargins margins = bar->contentsMargins();
    int fixed = margins.left() + margins.right() + 60;   // the slider's least useful width
    for (QWidget *child : w->controlBar->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child == timeField || child == timeRemainderField || child == w->volumeHolder
            || child == w->timeSliderHolder || child->isHidden())
            continue;
        fixed += child->sizeHint().width() + spacing;
    }
    return fixed;
}

void QXMPController::updateToolbarVisibility()
{
    QXPlayerWindow *w = playerWindow;
    if (!w || !w->controlBar)
        return;
    const int spacing = w->controlBar->layout()->spacing();
    // What the bar needs with the optional parts shown, against what it has.
    int room = w->controlBar->width() - controlBarRequiredWidth();
    const int timeWidth = timeField->minimumWidth() + spacing;
    const int volumeWidth = w->volumeHolder->sizeHint().width() + spacing;
    const bool showVolume = room >= volumeWidth;
    room -= showVolume ? volumeWidth : 0;
    isToolbarTimeHidden = room < timeWidth;
    room -= isToolbarTimeHidden ? 0 : timeWidth;
    isToolbarRemainingTimeHidden = room < timeWidth;
    timeField->setVisible(!isToolbarTimeHidden);
    timeRemainderField->setVisible(!isToolbarRemainingTimeHidden);
    w->volumeHolder->setVisible(showVolume);
}
