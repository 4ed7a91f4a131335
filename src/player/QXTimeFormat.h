#pragma once
#include <QString>

// "hh:mm:ss" for whole seconds; hours are not limited (100 hours read 100:00:00).
QString QXFormatTime(qint64 seconds);
// The volume a mute, step or slider command applies; see QXMPController.
float QXSteppedVolume(float sliderValue, double step);
