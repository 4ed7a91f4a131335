// Quarter turns of the current movie; the window follows the turned picture.
#include "app/QXMPController.h"
#include "app/QXSettings.h"
#include "player/QXWindowSizer.h"

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

void QXMPController::rotateClockwise() { rotateByAngle(90); }
void QXMPController::rotateCounterclockwise() { rotateByAngle(-90); }

void QXMPController::rotate()
{
    rotateByAngle(QXSettings::standard().boolForKey(QXKeys::RotateCounterclockwise) ? -90 : 90);
}
