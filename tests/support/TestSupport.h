#pragma once
// Helpers shared by the tests: movies made with ffmpeg at test time, and a private
// settings folder so no test touches the user's own settings.
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "app/QXApplication.h"

namespace testsupport {

// Runs ffmpeg with the given arguments (after "-y -loglevel error") and answers the output
// path, or an empty string when ffmpeg failed. Identical requests within one process reuse
// the file already made.
QString ffmpeg(const QString &outputPath, const QStringList &arguments);

// A movie with a test picture of w×h and, when withAudio, a tone.
QString makeVideo(const QString &dir, const QString &name, int width, int height,
                  double seconds, bool withAudio = true);
// A sound-only file.
QString makeAudio(const QString &dir, const QString &name, double seconds);
// A plain file with the given bytes.
QString makeFile(const QString &dir, const QString &name, const QByteArray &bytes);

// Points XDG_CONFIG_HOME (and the single-instance socket) at a fresh folder for this process.
// Call before any settings are read.
void isolateSettings(const QString &configDir);

} // namespace testsupport

namespace testsupport {
// The real picture output (OpenGL under a display, software on the offscreen platform) and
// no sound device.
void useQuietEngineOutput();
// The built player binary (for tests that launch it).
QString playerBinary();
} // namespace testsupport

// A QtTest main for tests of the player (they link it): its own application object, the real
// engine with no sound, C numbers for mpv.
#define VISTREL_TEST_MAIN(TestClass)                                                               \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        testsupport::useQuietEngineOutput();                                                       \
        QXApplication app(argc, argv);                                                             \
        setlocale(LC_NUMERIC, "C");                                                                \
        TestClass tc;                                                                              \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
