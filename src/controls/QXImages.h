#pragma once
// The player's named images, drawn once in code so they scale and need no files.
#include <QIcon>
#include <QString>

// "QXRotateClockwise", "QXRotateCounterclockwise", "QXListVisible", "QXListHidden",
// "QXPresent", "QXLock", "QXMiniGlobe", and the preferences sections' "QXTPGeneral",
// "QXTPControls", "QXTPHistory", "QXTPUpdates"; a null icon for any other name.
QIcon QXNamedImage(const QString &name);
