#pragma once
// Playback speed: the steps from a quarter to four times, the text the bar shows beside the
// time, and the commands (slower, faster, normal) acting on the player.
#include <QObject>
#include <QString>

#include <functional>

class QXControlBar;
class QXMovie;

// The next step up or down from speed (0.25, 0.5, 0.75, 1, 1.25, 1.5, 2, 3, 4); a speed
// between steps goes to the nearest step that way, and at either end the answer is speed.
double QXFasterSpeed(double speed);
double QXSlowerSpeed(double speed);
// "2×", "0.75×"; empty at normal speed, which the bar does not mention.
QString QXSpeedText(double speed);

class QXSpeedControl : public QObject
{
    Q_OBJECT
public:
    // currentMovie: the movie shown, if any; refused: a command that cannot act.
    QXSpeedControl(QXControlBar *bar, std::function<QXMovie *()> currentMovie, std::function<void()> refused,
                   QObject *parent);

    // The player's, kept across movies (1 before there is a player).
    double speed() const;
    void slower();
    void faster();
    void normal();
    // Another program's wish: within the steps' range, for a movie shown, else nothing.
    void setSpeed(double speed);

signals:
    void speedChanged(double speed);

private:
    // Applies the speed, or refuses when it would not change.
    void change(double speed);

    QXControlBar *m_bar;
    std::function<QXMovie *()> m_currentMovie;
    std::function<void()> m_refused;
};
