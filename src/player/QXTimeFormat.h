#pragma once
#include <QString>

// "hh:mm:ss" for whole seconds; hours are not limited (100 hours read 100:00:00).
QString QXFormatTime(qint64 seconds);
// The volume a step command applies: the slider's value moved by the step, within 0 ... 1.
float QXSteppedVolume(float sliderValue, double step);
