#pragma once
// The control bar: the playlist switch, play/pause, the wind buttons, the time fields and the
// time slider, the volume, then rotate (the chevron when folded), the aspect-ratio lock and
// presentation. It builds its own parts, shows what it is handed and tells what the user asks
// by its signals; it knows nothing of the player. Static below the picture or floating over it
// (QXPlayerOverlay places it), it paints its ground by its form.
#include "player/QXPlayerOverlay.h"

#include <QPointer>
#include <QWidget>

class QAbstractButton;
class QLabel;
class QMenu;
class QXContextButton;
class QXVolumeBackgroundView;
class QXVolumeSlider;
class QXWhiteSlider;
struct QXControlState;

class QXControlBar : public QWidget
{
    Q_OBJECT
public:
    explicit QXControlBar(QWidget *parent = nullptr);

    // Static: the opaque light bar; floating: dark and see-through. The parts are inked for it.
    void setStatic(bool isStatic);
    bool isStatic() const { return m_static; }
    // Where no compositor blends a window with what is below it, the floating bar is opaque.
    void setSeeThrough(bool seeThrough);

    // Each control enabled by its command's rule; the presentation switch follows the mode.
    void setState(const QXControlState &state);
    // The switch's pause image is its on state.
    void setPlaying(bool playing);
    bool showsPlaying() const;
    void setAspectRatioLocked(bool locked);
    bool isAspectRatioLocked() const;
    void setPlaylistVisible(bool visible);
    void setPresenting(bool presenting);
    void setRotateCounterclockwise(bool counterclockwise);
    // Hidden wind buttons leave their room to the time slider.
    void setWindButtonsVisible(bool visible);
    // A movie without a time line (a live stream) hides the slider.
    void setTimeLineVisible(bool visible);

    // Elapsed and remaining time, in whole seconds.
    void setTime(qint64 time, qint64 duration);
    // The speed beside the elapsed time ("2×"); empty hides it.
    void setSpeedText(const QString &text);
    QLabel *speedField() const { return m_speedField; }
    // Draws the time fields now, not at the next paint (a seek while the picture waits).
    void repaintTime();
    // A movie without a length: the slider at its start, both fields at zero.
    void clearTime();
    // The time slider in the movie's own units, as doubles: long movies pass 2^31 units. The
    // position is left alone while the user holds the knob.
    void setTimeRange(double maxValue);
    void setTimeLine(double loaded, double position);
    void setVolume(double volume);
    double volume() const;

    // The parts shown at the bar's width (QXOverlay::partsForWidth): folded, rotate, lock and
    // presentation become the chevron, whose menu offers them.
    void setParts(const QXOverlay::Parts &parts);
    QXOverlay::Parts parts() const { return m_parts; }
    // A control is held (a slider dragged, the chevron's menu open): a floating bar stays.
    bool isHeld() const;

    // The controls, for menu items that click them and for tests.
    QAbstractButton *playlistVisibilitySwitch() const;
    QAbstractButton *playPauseSwitch() const;
    QAbstractButton *timeWindBackwardButton() const;
    QAbstractButton *timeWindForwardButton() const;
    QAbstractButton *rotateButton() const;
    QAbstractButton *aspectRatioLockSwitch() const;
    QAbstractButton *presentationSwitch() const;
    QXWhiteSlider *timeSlider() const { return m_timeSlider; }
    QXVolumeSlider *volumeSlider() const { return m_volumeSlider; }
    QLabel *timeField() const { return m_timeField; }
    QLabel *timeRemainderField() const { return m_timeRemainderField; }

signals:
    void playlistVisibilityClicked();
    void playPauseClicked();
    void windClicked(bool forward);
    // The user's clicks, drags and wheel turns; the bar's own updates send nothing.
    void timeSlid(double value);
    void volumeChanged(double volume);
    // Folded, a press opens the chevron's menu instead: a click is always the rotation.
    void rotateClicked();
    void aspectRatioLockClicked();
    void presentationClicked();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // The chevron's menu, made anew at each press and deleted after it closes.
    QMenu *makeChevronMenu();
    void showRotateImage();

    bool m_static = false;
    bool m_seeThrough = true;
    bool m_counterclockwise = false;
    QXOverlay::Parts m_parts;
    QXContextButton *m_playlistSwitch;
    QXContextButton *m_playPause;
    QXContextButton *m_windBackward;
    QXContextButton *m_windForward;
    QLabel *m_timeField;
    QLabel *m_timeRemainderField;
    QLabel *m_speedField;
    QWidget *m_timeSliderHolder;
    QXWhiteSlider *m_timeSlider;
    QXVolumeBackgroundView *m_volumeHolder;
    QXVolumeSlider *m_volumeSlider;
    QXContextButton *m_lock;
    QXContextButton *m_rotate;
    QXContextButton *m_presentation;
    QPointer<QMenu> m_menu;
};
