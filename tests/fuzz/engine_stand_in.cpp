// The network helpers ask the engine whether it plays an address; the parsers fuzzed here never
// do, and this keeps mpv and FFmpeg out of the fuzz build.
#include "engine/QXMovie.h"

bool QXMovie::canInitWithURL(const QUrl &) { return false; }
