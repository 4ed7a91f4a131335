// Buttons and menu items follow the playlist and the current movie.
#include "app/QXMPController.h"
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

namespace {
// Parts of the bar a narrow window does without, least needed first: the remaining time,
// the time, the volume, then the buttons whose commands are in the menus too.
QList<QWidget *> foldableParts(const QXMPController *c)
{
    return {c->timeRemainderField, c->timeField, c->playerWindow->volumeHolder, c->rotateButton,
            c->aspectRatioLockSwitch, c->presentationSwitch};
}
} // namespace

// The width the control bar needs with its foldable parts hidden.
int QXMPController::controlBarRequiredWidth() const
{
    QXPlayerWindow *w = playerWindow;
    if (!w || !w->controlBar)
        return 0;
    QLayout *bar = w->controlBar->layout();
    const int spacing = bar->spacing();
    const QMargins margins = bar->contentsMargins();
    const QList<QWidget *> foldable = foldableParts(this);
    int fixed = margins.left() + margins.right() + 60;   // the slider's least useful width
    for (QWidget *child : w->controlBar->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (foldable.contains(child) || child == w->timeSliderHolder || child->isHidden())
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
    // Shown from the most needed down while there is room for them.
    int room = w->controlBar->width() - controlBarRequiredWidth();
    QList<QWidget *> parts = foldableParts(this);
    std::reverse(parts.begin(), parts.end());
    for (QWidget *part : std::as_const(parts)) {
        const int needs = qMax(part->minimumWidth(), part->sizeHint().width()) + spacing;
        const bool shown = room >= needs;
        room -= shown ? needs : 0;
        part->setVisible(shown);
        if (part == timeField)
            isToolbarTimeHidden = !shown;
        else if (part == timeRemainderField)
            isToolbarRemainingTimeHidden = !shown;
    }
}
