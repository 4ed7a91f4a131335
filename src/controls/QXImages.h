#pragma once
// The player's named images, each made once and shared by every caller: drawn in code, so
// they need no files, except the movie file, which the icon theme draws where it can.
#include <QIcon>
#include <QString>

// "QXRotateClockwise", "QXRotateCounterclockwise", "QXListVisible", "QXListHidden",
// "QXPresent", "QXLock", "QXTPChevron", "QXMiniGlobe" (a web address), "QXMovieFile" (the
// icon theme's generic movie file where it has one), "QXDownloading", and the preferences
// sections' "QXTPGeneral", "QXTPControls", "QXTPHistory", "QXTPUpdates"; a null icon for any
// other name.
QIcon QXNamedImage(const QString &name);
