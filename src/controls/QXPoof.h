#pragma once
// The puff that shows an item gone: a frameless window taking no input, centred on a screen
// point, that plays the five QXPoof frames over about 250 ms and closes itself. Without a
// compositor the window is cut to the frame's shape; under Wayland, where a window cannot be
// put at the pointer, nothing is shown.
#include <QPoint>
#include <QWidget>

class QTimer;

class QXPoofWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr int FrameIntervalMs = 50;
    // The window shown, or nullptr where none can be.
    static QXPoofWindow *showAnimationEffect(const QPoint &globalCenter);
    int frame() const { return m_frame; }

signals:
    // After frame n (1 to 5) has been painted.
    void framePainted(int frame);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    explicit QXPoofWindow(const QPoint &globalCenter);
    void showFrame(int frame);

    QTimer *m_timer;
    int m_frame = 0;
    bool m_shaped = false;
};
