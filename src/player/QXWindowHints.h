#pragma once
// Window-manager hints Qt has no call for. On X11 the locked aspect ratio is given to the
// window manager (WM_NORMAL_HINTS aspect and base size), so a drag on the frame keeps the
// picture's proportions at every step instead of being corrected after the fact. Elsewhere,
// and for window managers that ignore the hint, the player corrects the height itself.
#include <QSize>

class QWidget;

namespace QXWindowHints {

// The player area must keep the proportions of aspect (empty: no constraint); base is the
// part of the window that is not the player area. Qt rewrites the hints whenever it changes
// the window's geometry or limits, so this is called again after each of those.
void setAspect(QWidget *window, const QSize &aspect, const QSize &base);

// The aspect constraint the window carries now (for tests); empty when none or not on X11.
QSize aspectOf(QWidget *window, QSize *base = nullptr);

// A compositing manager runs on the X screen (windows can be see-through); false elsewhere.
bool compositorRunning();

} // namespace QXWindowHints
