#pragma once
// The images of the playlist table, its drags and the split divider, drawn in code at 1× and
// 2× so they stay sharp on either kind of screen. QXNamedImage answers them by name too.
#include <QIcon>
#include <QString>

// "QXTableButtonPlaying", "QXTableButtonPlayingInverted", "QXTableButtonLoading",
// "QXTableButtonLoadingInverted" (12×12 marks; the inverted ones for a selected row),
// "QXDisappearingItemCursor" (32×32, hot spot at QXDisappearingItemCursorHotSpot),
// "QXPoof1" … "QXPoof5" (64×64 frames of the puff) and "QXTarvelShiftGrip" (12×22); a null
// icon for any other name.
QIcon QXPlaylistNamedImage(const QString &name);

inline constexpr int QXPoofFrameCount = 5;
inline constexpr int QXPoofSize = 64;
inline constexpr int QXTableMarkSize = 12;
inline constexpr int QXDisappearingItemCursorHotSpot = 3;   // x and y
