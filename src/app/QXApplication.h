#pragma once
// The application object. It looks at every event before and after it is delivered: pointer
// activity over the player's windows brings the floating control bar back, and a press in the
// player or presentation window keeps it up until the interval after whatever the press began.
#include <QApplication>
#include <QPoint>

class QXApplication : public QApplication
{
    Q_OBJECT
public:
    QXApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

private:
    QPoint m_lastPointer{-1, -1};
};
