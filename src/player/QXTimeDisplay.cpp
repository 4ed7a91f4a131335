// The time fields, the time slider with seeking, winding, and the volume with mute.
#include "app/QXMPController.h"
#include "app/QXScreenSaverInhibitor.h"
#include "app/QXSettings.h"
#include "engine/QXMovie.h"
#include "engine/QXMovieView.h"
#include "player/QXControlBar.h"
#include "player/QXTimeFormat.h"

#include <QAbstractButton>
#include <QAction>

#include <cmath>

QString QXFormatTime(qint64 s)
{
    return QString::asprintf("%02lld:%02lld:%02lld", s / 3600, (s % 3600) / 60, s % 60);
}

float QXSteppedVolume(float sliderValue, double step)
{
    const float v = float(double(sliderValue) + step);
    return v > 1.0f ? 1.0f : (v < 0.0f ? 0.0f : v);
}

void QXMPController::updateTimeField(qint64 time, qint64 duration)
{
    m_controlBar->setTime(time, duration);
}

bool QXMPController::updateTimeDisplayForMovie(QXMovie *movie, bool updateMaxValue)
{
    const QXTime duration = movie->duration();
    if (duration.isIndefinite()) {
        m_controlBar->clearTime();
        return false;
    }
    if (updateMaxValue)
        m_controlBar->setTimeRange(double(duration.timeValue));
    const QXTime current = movie->currentTime();
    // A file is loaded whole (its probed length may differ from the engine's by a unit or two).
    double loaded = double(duration.timeValue);
    if (duration.timeScale > 0 && movie->maxLoadedTime() * duration.timeScale < double(duration.timeValue) - 0.5 * duration.timeScale)
        loaded = movie->maxLoadedTime() * duration.timeScale;
    m_controlBar->setTimeLine(loaded, double(current.timeValue));
    updateTimeField(current.timeScale > 0 ? current.timeValue / current.timeScale : 0,
                    duration.timeScale > 0 ? duration.timeValue / duration.timeScale : 0);
    return true;
}

void QXMPController::updateTimeDisplay()
{
    QXMovie *m = m_playlist.current() ? m_playlist.current()->openedMovie() : nullptr;
    const bool playing = m && playerView->isPlaying();
    // A playing picture keeps the screen awake; anything else lets it sleep again.
    if (m_screenSaverInhibitor)
        m_screenSaverInhibitor->setInhibited(playing && currentMovieHasVideo && !m_terminated);
    if (!m)
        return;
    updateTimeDisplayForMovie(m, false);
    if (!playing && m_controlBar->showsPlaying())
        updatePlayPauseControls();
}

void QXMPController::setTime(qint64 timeValue, QXMovie *movie)
{
    const QXTime duration = movie->duration();
    if (duration.isIndefinite())
        return;
    QXTime t = movie->currentTime();
    t.timeValue = timeValue;
    movie->setCurrentTime(t);
    updateTimeField(t.timeScale > 0 ? timeValue / t.timeScale : 0,
                    duration.timeScale > 0 ? duration.timeValue / duration.timeScale : 0);
    m_controlBar->repaintTime();
    playerView->update();
}

void QXMPController::timeSlide(double value)
{
    // A 64-bit count: a 32-bit one would wrap past 2^31 units.
    if (QXMovie *m = m_playlist.current() ? m_playlist.current()->openedMovie() : nullptr)
        setTime(qint64(std::llround(value)), m);
}

int QXMPController::stepInterval() const
{
    return QXStepInterval(QXSettings::standard());
}

void QXMPController::wind(bool forward)
{
    QXMovie *m = m_playlist.current() ? m_playlist.current()->openedMovie() : nullptr;
    if (!m || m->currentTime().isIndefinite()) {
        beep();
        return;
    }
    QXTime t = m->currentTime();
    const qint64 step = qint64(stepInterval()) * t.timeScale;
    const QXTime duration = m->duration();
    if (forward) {
        t.timeValue += step;
        if (!duration.isIndefinite() && t.timeValue >= duration.timeValue)
            t.timeValue = duration.timeValue - 1;
    } else {
        t.timeValue -= step;
        if (t.timeValue < 0)
            t.timeValue = 0;
    }
    m->setCurrentTime(t);
    updateTimeDisplay();
}

float QXMPController::volume() const
{
    return QXVolume(QXSettings::standard());
}

void QXMPController::setVolume(float v, bool adjustSlider, bool adjustPreference)
{
    if (QXMovie *m = m_playlist.current() ? m_playlist.current()->openedMovie() : nullptr)
        m->setVolume(v);
    if (adjustSlider)
        m_controlBar->setVolume(double(v));
    // Stored at float precision, so the file reads 0.6 rather than 0.6000000238.
    if (adjustPreference)
        QXSettings::standard().setFloat(QString::number(v, 'g', 7).toDouble(), QXKeys::Volume);
    muteMenuItem->setChecked(!(v > 0.0f));
}

void QXMPController::changeVolume()
{
    setVolume(float(m_controlBar->volume()), false, true);
}

void QXMPController::increaseVolume()
{
    setVolume(QXSteppedVolume(float(m_controlBar->volume()), 0.1), true, true);
}

void QXMPController::decreaseVolume()
{
    setVolume(QXSteppedVolume(float(m_controlBar->volume()), -0.1), true, true);
}

void QXMPController::mute()
{
    isMuted = !isMuted;
    setVolume(isMuted ? 0.0f : volume(), true, false);
}
