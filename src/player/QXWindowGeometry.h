#pragma once
// Window-size arithmetic, free of widgets. Frames here have their origin at the bottom left
// with y growing upward (the arithmetic reads naturally that way); QXFrameFromQt and
// QXFrameToQt are the one place that converts to and from Qt's top-left screen coordinates.
#include <QRectF>
#include <QSizeF>

namespace QXGeometry {

inline const QSizeF defaultSize{480, 260};
inline const QSizeF minimumSize{150, 102};

// Natural size × magnification, sides swapped for an odd number of quarter turns.
QSizeF naturalSizeForMagnification(const QSizeF &natural, int angle, float magnification);
// The movie view's size for a movie size (already magnified): the default size for a movie
// without height, scaled up to the minimum width keeping proportions, plus a control bar.
QSizeF viewSizeForMovieSize(const QSizeF &movieSize, bool controllerVisible, double controllerBarHeight);
// The window frame around a new player-area size: the top edge stays, the window grows
// downward and to the right.
QRectF frameForPlayerAreaSize(const QRectF &frame, const QSizeF &playerArea, const QSizeF &newPlayerArea);
// The minimum window frame size for the window's extra width around the player area.
QSizeF minimumFrameSize(double windowWidth, double playerAreaWidth);

// The frame the zoom command gives inside the screen's usable area S; magnification (when
// given) receives the magnification that frame shows.
QRectF zoomFrame(const QRectF &screen, const QSizeF &windowSize, const QSizeF &viewSize,
                 const QSizeF &natural, bool hasVideo, bool locked, float *magnification);
// The window height that keeps the picture's proportions for a proposed width while locked;
// magnification receives the new magnification.
double lockedHeightForWidth(double proposedWidth, const QSizeF &windowSize, const QSizeF &viewSize,
                            const QSizeF &natural, bool locked, double proposedHeight, float *magnification);

// Whether a frame fits the screen's usable area by its size alone.
bool fitsInside(const QSizeF &frame, const QRectF &screen);
// The frame moved (not resized) the least distance that puts it inside the usable area; one
// larger than the area keeps its top-left corner in the area so the title bar stays reachable.
QRectF keptOnScreen(const QRectF &frame, const QRectF &screen);
// The size scaled up, proportions kept, until it is at least minWidth wide and minHeight high.
QSizeF proportionallyAtLeast(const QSizeF &size, double minWidth, double minHeight);
// The smallest area of the proportions that holds least, when it fits in room (what the
// screen's usable area leaves for the player area); empty for a picture too tall or too wide
// to keep its proportions there, or without proportions.
QSizeF proportionalLeastArea(const QSizeF &least, const QSizeF &proportions, const QSizeF &room);
// The least player area: the proportional one where there is one, else least, within room.
QSizeF leastPlayerArea(const QSizeF &least, const QSizeF &proportions, const QSizeF &room);

float increasedScale(float magnification);
float decreasedScale(float magnification);
// Tag of the magnification menu item that is on: the integer part of 10 × magnification.
int magnificationTag(float magnification);

// Conversion between bottom-left frames and Qt's top-left rectangles; primaryHeight is the
// height of the primary screen, whose bottom edge is y = 0 in the bottom-left system.
QRectF frameFromQt(const QRectF &qtRect, double primaryHeight);
QRectF frameToQt(const QRectF &frame, double primaryHeight);

} // namespace QXGeometry

namespace QXGeometry {
// Where the movie view goes in a presentation window of the screen's size, for a player
// area of the given proportions: fitted inside (bars) or, with fill, covering the screen
// with the excess cropped equally. Bottom-left coordinates of the window's content.
QRectF presentationFrame(const QSizeF &screen, const QSizeF &playerArea, bool fill);
} // namespace QXGeometry
