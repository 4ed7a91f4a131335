#pragma once
// Presentation mode: the movie view moves into a black full-screen window on the player
// window's screen, fitted or filling it ("Presentation Mode"), and comes back to the player
// window on leaving. Escape, a click on the picture or closing the window leave it. It asks the
// player what it must through QXPresentationHost and tells it by presentingChanged.
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSizeF>

#include <functional>

class QAction;
class QScreen;
class QWidget;
class QXControlBar;
class QXMovieView;
class QXPlayerOverlay;

class QXPresentationHost
{
public:
    virtual ~QXPresentationHost() = default;
    // The current movie shows a picture: only then is there something to present.
    virtual bool currentMovieHasPicture() const = 0;
    // A command that cannot act.
    virtual void beep() = 0;
    virtual void play() = 0;
    virtual void pause() = 0;
    // The player window's screen, the size of its picture area, and showing it again.
    virtual QScreen *presentationScreen() const = 0;
    virtual QSizeF pictureAreaSize() const = 0;
    virtual void showPlayerWindowAfterPresentation() = 0;
};

// What presentation moves and marks.
struct QXPresentationParts
{
    QWidget *playerWindow = nullptr;
    // The movie view's place in the player window; its layout takes the view back.
    QWidget *pictureContainer = nullptr;
    QXMovieView *view = nullptr;
    QXPlayerOverlay *overlay = nullptr;
    QXControlBar *bar = nullptr;
    // The menu's "Full Screen", checked while presenting.
    QAction *menuItem = nullptr;
    // The menu items whose shortcuts work in the black window too.
    std::function<QList<QAction *>()> shortcutItems;
};

class QXPresentation : public QObject
{
    Q_OBJECT
public:
    QXPresentation(QXPresentationHost *host, const QXPresentationParts &parts, QObject *parent = nullptr);
    // The black window goes, the view with it when it is still there.
    ~QXPresentation() override;

    bool isPresenting() const { return m_presenting; }
    // The black window while presenting, else none.
    QWidget *window() const { return m_window; }

    // Enters or leaves; entering without a picture beeps and leaves the switch and item off.
    void togglePresentation();
    void stopPresentation();
    // The window follows its screen's geometry, and the view the window.
    void updatePresentationWindow();
    // Fits the movie view into the presentation window by "Presentation Mode".
    void placePresentationView();

signals:
    // Entered or left: the bar's switch and the menu item already show it.
    void presentingChanged(bool presenting);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QXPresentationHost *m_host;
    QXPresentationParts m_parts;
    bool m_presenting = false;
    QWidget *m_window = nullptr;
    QPointer<QScreen> m_screen;
};
