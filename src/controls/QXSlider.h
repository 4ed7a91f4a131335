#pragma once
// A slider that answers the mouse as a media player's does: a press anywhere on the groove
// jumps there and a drag follows; a wheel notch moves it by a set step (or does nothing).
// Every change made by the user is reported through QAbstractSlider::actionTriggered, with
// the new place in sliderPosition(); programmatic changes are not.
#include <QSlider>

class QXSlider : public QSlider
{
    Q_OBJECT
public:
    explicit QXSlider(QWidget *parent = nullptr);
    // Units one wheel notch moves; 0 leaves the wheel to the parent.
    void setWheelStep(int units) { m_wheelStep = units; }

protected:
    void wheelEvent(QWheelEvent *event) override;

private:
    int m_wheelStep = 0;
    int m_wheelRemainder = 0;
};
