#pragma once
// Time and volume of the current movie: the bar's time fields and slider, seeking and winding,
// the volume with mute, the 0.5 s tick that keeps the time moving, and the screen saver held
// while a picture plays. It asks the player what it must through QXTransportHost and tells
// what the player follows by its signals.
#include <QObject>

class QTimer;
class QXControlBar;
class QXMovie;
class QXScreenSaverInhibitor;
class QXSettings;

class QXTransportHost
{
public:
    virtual ~QXTransportHost() = default;
    // The current entry's opened movie, or none.
    virtual QXMovie *currentMovie() const = 0;
    // The movie shown in the picture plays.
    virtual bool isPlaying() const = 0;
    // The current movie shows a picture (the screen stays awake only for one).
    virtual bool currentMovieHasPicture() const = 0;
    // A command that cannot act.
    virtual void beep() = 0;
};

class QXTransport : public QObject
{
    Q_OBJECT
public:
    // The tick starts at once; the inhibitor, when given, is owned (else one on the session
    // bus is made).
    QXTransport(QXTransportHost *host, QXControlBar *bar, QXSettings &settings,
                QXScreenSaverInhibitor *inhibitor = nullptr, QObject *parent = nullptr);

    // Elapsed and remaining whole seconds in the bar.
    void updateTimeField(qint64 time, qint64 duration);
    // The bar's time line from the movie (the range too when asked); false for a movie
    // without a length, whose time is cleared.
    bool updateTimeDisplayForMovie(QXMovie *movie, bool updateMaxValue);
    // The tick: the screen saver and the time follow the current movie.
    void updateTimeDisplay();
    // Seeks the movie to that time in its own units and shows it at once.
    void setTime(qint64 timeValue, QXMovie *movie);
    // The time slider moved by the user.
    void timeSlide(double value);
    // Seconds a wind moves, from the settings.
    int stepInterval() const;
    // Moves the current movie by the step, within its length; beeps without a time to move.
    void wind(bool forward);

    // The remembered volume.
    float volume() const;
    void setVolume(float volume, bool adjustSlider, bool adjustPreference);
    // The volume slider moved by the user.
    void changeVolume();
    void increaseVolume();
    void decreaseVolume();
    // Silence, or back to the remembered volume.
    void mute();
    bool isMuted() const { return m_muted; }

    // Lets the screen sleep now (playback paused or stopped); the next tick takes it again
    // when a picture plays.
    void releaseScreenSaver();
    // Lets it sleep for good: the process is quitting.
    void finish();
    QXScreenSaverInhibitor *screenSaverInhibitor() const { return m_inhibitor; }

signals:
    // Sent at each volume set: silence or not, for the Mute item's check mark.
    void muteShown(bool muted);
    // The movie was sought while it may not be drawing: the picture should show the new time.
    void timeSet();
    // The tick found the movie stopped while the bar still shows it playing.
    void playbackStopped();

private:
    QXTransportHost *m_host;
    QXControlBar *m_bar;
    QXSettings &m_settings;
    QXScreenSaverInhibitor *m_inhibitor;
    QTimer *m_tick;
    bool m_muted = false;
    bool m_finished = false;
};
