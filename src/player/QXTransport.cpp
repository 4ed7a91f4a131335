// The time fields, the time slider with seeking, winding, and the volume with mute.
#include "player/QXTransport.h"
#include "app/QXScreenSaverInhibitor.h"
#include "app/QXSettings.h"
#include "engine/QXMovie.h"
#include "player/QXControlBar.h"
#include "player/QXTimeFormat.h"

#include <QTimer>

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

QXTransport::QXTransport(QXTransportHost *host, QXControlBar *bar, QXSettings &settings,
                         QXScreenSaverInhibitor *inhibitor, QObject *parent)
    : QObject(parent), m_host(host), m_bar(bar), m_settings(settings),
      m_inhibitor(inhibitor ? inhibitor : new QXScreenSaverInhibitor(this)), m_tick(new QTimer(this))
{
    m_inhibitor->setParent(this);
    // The tick runs for the life of the player.
    m_tick->setInterval(500);
    connect(m_tick, &QTimer::timeout, this, &QXTransport::updateTimeDisplay);
    m_tick->start();
}

void QXTransport::updateTimeField(qint64 time, qint64 duration)
{
    m_bar->setTime(time, duration);
}

bool QXTransport::updateTimeDisplayForMovie(QXMovie *movie, bool updateMaxValue)
{
    const QXTime duration = movie->duration();
    if (duration.isIndefinite()) {
        m_bar->clearTime();
        return false;
    }
    if (updateMaxValue)
        m_bar->setTimeRange(double(duration.timeValue));
    const QXTime current = movie->currentTime();
    // A file is loaded whole (its probed length may differ from the engine's by a unit or two).
    double loaded = double(duration.timeValue);
    if (duration.timeScale > 0 && movie->maxLoadedTime() * duration.timeScale < double(duration.timeValue) - 0.5 * duration.timeScale)
        loaded = movie->maxLoadedTime() * duration.timeScale;
    m_bar->setTimeLine(loaded, double(current.timeValue));
    updateTimeField(current.timeScale > 0 ? current.timeValue / current.timeScale : 0,
                    duration.timeScale > 0 ? duration.timeValue / duration.timeScale : 0);
    return true;
}

void QXTransport::updateTimeDisplay()
{
    QXMovie *m = m_host->currentMovie();
    const bool playing = m && m_host->isPlaying();
    // A playing picture keeps the screen awake; anything else lets it sleep again.
    m_inhibitor->setInhibited(playing && m_host->currentMovieHasPicture() && !m_finished);
    if (!m)
        return;
    updateTimeDisplayForMovie(m, false);
    if (!playing && m_bar->showsPlaying())
        emit playbackStopped();
}

void QXTransport::setTime(qint64 timeValue, QXMovie *movie)
{
    const QXTime duration = movie->duration();
    if (duration.isIndefinite())
        return;
    QXTime t = movie->currentTime();
    t.timeValue = timeValue;
    movie->setCurrentTime(t);
    updateTimeField(t.timeScale > 0 ? timeValue / t.timeScale : 0,
                    duration.timeScale > 0 ? duration.timeValue / duration.timeScale : 0);
    m_bar->repaintTime();
    emit timeSet();
}

void QXTransport::timeSlide(double value)
{
    // A 64-bit count: a 32-bit one would wrap past 2^31 units.
    if (QXMovie *m = m_host->currentMovie())
        setTime(qint64(std::llround(value)), m);
}

int QXTransport::stepInterval() const
{
    return QXStepInterval(m_settings);
}

void QXTransport::wind(bool forward)
{
    QXMovie *m = m_host->currentMovie();
    if (!m || m->currentTime().isIndefinite()) {
        m_host->beep();
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

float QXTransport::volume() const
{
    return QXVolume(m_settings);
}

void QXTransport::setVolume(float v, bool adjustSlider, bool adjustPreference)
{
    if (QXMovie *m = m_host->currentMovie())
        m->setVolume(v);
    if (adjustSlider)
        m_bar->setVolume(double(v));
    // Stored at float precision, so the file reads 0.6 rather than 0.6000000238.
    if (adjustPreference)
        m_settings.setFloat(QString::number(v, 'g', 7).toDouble(), QXKeys::Volume);
    emit muteShown(!(v > 0.0f));
}

void QXTransport::changeVolume()
{
    setVolume(float(m_bar->volume()), false, true);
}

void QXTransport::increaseVolume()
{
    setVolume(QXSteppedVolume(float(m_bar->volume()), 0.1), true, true);
}

void QXTransport::decreaseVolume()
{
    setVolume(QXSteppedVolume(float(m_bar->volume()), -0.1), true, true);
}

void QXTransport::mute()
{
    m_muted = !m_muted;
    setVolume(m_muted ? 0.0f : volume(), true, false);
}

void QXTransport::releaseScreenSaver()
{
    m_inhibitor->setInhibited(false);
}

void QXTransport::finish()
{
    m_finished = true;
    m_inhibitor->setInhibited(false);
}
