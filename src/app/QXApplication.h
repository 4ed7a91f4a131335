#pragma once
// The application object. It looks at every event before and after it is delivered: pointer
// activity over the player's windows brings the floating control bar back, and a press in the
// player or presentation window keeps it up until the interval after whatever the press began.
#include <QApplication>
#include <QPoint>
#include <QPointer>

#include <functional>

class QXPlayerOverlay;

class QXApplication : public QApplication
{
    Q_OBJECT
public:
    QXApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

    // Handed over once the player has launched: the overlay whose bar the pointer brings back,
    // and which top-level windows are the player's. A null overlay stops the watch.
    void watchPointerFor(QXPlayerOverlay *overlay, std::function<bool(const QWidget *window)> isPlayerWindow);

private:
    bool isPlayerWindow(QObject *receiver) const;

    QPoint m_lastPointer{-1, -1};
    QPointer<QXPlayerOverlay> m_overlay;
    std::function<bool(const QWidget *)> m_isPlayerWindow;
};
