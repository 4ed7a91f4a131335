#pragma once
// The player window: playlist pane on the left, the player area (movie view and control
// bar) on the right. It survives closing: the controller keeps it and shows it again. Its key
// presses go to the controller's key table first (QXKeyboard.h). What happens to it is told
// by signals; its owner answers whether it may close.
#include <QMainWindow>

#include <functional>

class QTimer;

class QXPlayerWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit QXPlayerWindow(QWidget *parent = nullptr);

    QWidget *playlistPane = nullptr;   // the view enclosing the playlist header
    QWidget *playlistDivider = nullptr;
    QWidget *playerArea = nullptr;     // the view enclosing the player container
    // Asked when the window is to close; false keeps it open. Unset, it closes.
    std::function<bool()> shouldClose;

signals:
    // The user (or the window manager) resized the window to that client size.
    void resizedByUser(const QSize &clientSize);
    // A move by the user has come to rest.
    void moveSettled();
    // The maximize button was pressed: the window is back in its normal state, to be zoomed.
    void zoomRequested();
    // The window was shown or hidden.
    void visibilityChanged();

protected:
    void closeEvent(QCloseEvent *event) override;
    // Whether the window shows is read by the commands' rules.
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void zoomIfRestored();

    QTimer *m_savePosition = nullptr;
    bool m_zoomWhenRestored = false;
    // One pending zoom: a later maximize or restore moves it on, so no earlier one lands on it.
    QTimer *m_zoomTimer = nullptr;
};
