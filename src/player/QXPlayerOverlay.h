#pragma once
// The control bar's two forms (the bar itself is QXControlBar). Static: an opaque light bar below the picture, inside the
// player window. Floating: a dark, see-through bar over the bottom of the picture that shows
// when the pointer moves and fades after "Control Interval" seconds of rest, hiding the pointer.
// In presentation the bar always floats, across the whole screen.
//
// Over a picture in a native window (X11) nothing inside the window can be drawn on top, so the
// floating bar is a small frameless window of its own that rides on the movie's bottom edge;
// where the view paints the picture itself (Wayland, no OpenGL) it is a plain child laid over it.
// A narrow bar sheds parts in a fixed order: rotate, lock and presentation into one chevron
// button below 354 px, then the remaining time below 254, then the elapsed time below 202.
#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <functional>

class QXControlBar;
class QXMovieView;
class QXPlayerWindow;

namespace QXOverlay {
// The bar's height, and what the static bar adds to the window.
constexpr int BarHeight = 41;
constexpr int StaticHeight = 42;
// Width thresholds of the player area (strictly less collapses).
constexpr int ButtonsWidth = 354;
constexpr int RemainingTimeWidth = 254;
constexpr int TimeWidth = 202;

// The bar parts to show at a width: buttons (rotate, lock, presentation), remaining time, time.
struct Parts
{
    bool buttonsHidden = false;
    bool remainingTimeHidden = false;
    bool timeHidden = false;
    bool operator==(const Parts &) const = default;
};
// Collapsing goes buttons, remaining time, time; restoring goes time, remaining time, buttons;
// from the parts now shown and the width, the parts after one check.
Parts partsForWidth(const Parts &now, int width);

// The opacities a fade passes through, the last being the end (1.0 or 0.0): from 0 up, nine
// steps of 0.1 and 1.0; from 0.9 or more, 1.0 at once. Down alike.
QList<float> fadeSteps(float from, bool in);
} // namespace QXOverlay

// What the bar rides on, and the two things it asks of the player.
struct QXOverlayHost
{
    QXPlayerWindow *window = nullptr;
    QWidget *pictureContainer = nullptr;   // holds the movie view in the player window
    QXMovieView *movieView = nullptr;
    // The window's client rectangle: it grows or shrinks by the static bar.
    std::function<void(const QRect &)> setClientRect;
    // An empty player shows no floating bar.
    std::function<bool()> hasMovie;
};

class QXPlayerOverlay : public QObject
{
    Q_OBJECT
public:
    QXPlayerOverlay(const QXOverlayHost &host, QXControlBar *view, QObject *parent);
    ~QXPlayerOverlay() override;

    QXControlBar *view() const { return m_view; }
    // The window that carries a floating bar over a native picture, or nullptr.
    QWidget *overlayWindow() const { return m_window; }

    void setStaticOverlay(bool isStatic, bool isInitialSetup);
    bool isStatic() const;
    // The static bar, or the stand-in that keeps its place while presenting, is in the window.
    bool takesWindowRoom() const;
    // The floating bar's place in global coordinates: the bottom of the movie's area.
    QRect playerOverlayFrame() const;
    void updateOverlayFrameAndCheckToolbarVisibility(bool check, bool display);
    QXOverlay::Parts parts() const { return m_parts; }

    double overlayVanishInterval() const;
    void cancelOverlayVanish();
    void scheduleOverlayVanish();
    void vanishOverlay();
    void vanishOverlayByFadingOut(bool fade, bool hideMouse);
    void showOverlayByFadingIn(bool fade);
    // The floating bar's opacity (1.0 shown, 0.0 gone); a static bar is always there.
    float alpha() const { return m_alpha; }
    bool isShown() const;

    // Where the bar floats: over the player window's picture, or the presentation window's.
    void presentIn(QWidget *presentationWindow);
    void returnToPlayerWindow(bool isStatic);

    // The pointer is over the floating bar.
    bool isPointerOverBar() const;
    // Pointer activity anywhere: the pointer shows again, and the bar.
    void pointerMoved();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setAlpha(float alpha);
    void fade(bool in);
    void placeFloatingBar();
    void setPointerHidden(bool hidden);
    QWidget *pictureHost() const;
    bool seeThroughPossible() const;

    QXOverlayHost m_host;
    QXControlBar *m_view;
    QWidget *m_window = nullptr;        // over a native picture
    QPointer<QWidget> m_presentation;
    QXOverlay::Parts m_parts;
    float m_alpha = 1.0f;
    QList<float> m_fadeSteps;
    QTimer *m_fadeTimer;
    QTimer *m_vanishTimer;
    bool m_pointerHidden = false;
    bool m_staticBeforePresentation = false;
    QWidget *m_standIn = nullptr;   // holds a static bar's place while it floats in presentation
};
