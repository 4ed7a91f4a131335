#pragma once
// Helpers shared by the tests: movies made with ffmpeg at test time, and a private
// settings folder so no test touches the user's own settings.
#include <QDesktopServices>
#include <QImage>
#include <QJsonObject>
#include <QMimeData>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QWidget>

#include "app/QXApplication.h"

// Waits until expr holds. Unlike QTRY_VERIFY, which asks again after its wait and fails when
// the answer changed in between, this judges one answer: conditions on a running player (a
// file held open for a moment, a time not yet passed) are momentary.
#define VERIFY_SOON(expr, timeoutMs)                                                               \
    QVERIFY2(QTest::qWaitFor([&] { return bool(expr); }, timeoutMs), "not in time: " #expr)
#define VERIFY2_SOON(expr, message, timeoutMs)                                                     \
    QVERIFY2(QTest::qWaitFor([&] { return bool(expr); }, timeoutMs), message)

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
// Points HOME and XDG_RUNTIME_DIR at dir, so launched players keep their files, sockets and
// locks there.
void useHome(const QString &dir);

} // namespace testsupport

namespace testsupport {
// The real picture output (OpenGL under a display, software on the offscreen platform) and
// no sound device.
void useQuietEngineOutput();
// The built player binary (for tests that launch it).
QString playerBinary();
// A file beside this one in tests/support (servers and the like). QFINDTESTDATA misses them
// when ccache has made the source names relative to the build folder.
QString supportFile(const QString &name);
// Runs this test again under dbus-run-session (returns only there), with the system bus
// pointed at that private bus as well: stand-ins for desktop and system services are served
// on it, and nothing reaches the user's own buses.
void restartOnPrivateBus(int argc, char **argv);

// The file's bytes (empty when unreadable), and its JSON object.
QByteArray readFile(const QString &path);
QJsonObject readJsonObject(const QString &path);
// Writes <configDir>/Vistrel/settings.json, the folder made as needed.
bool writeSettingsFile(const QString &configDir, const QByteArray &json);
// Share of pixels, sampled every 4th in each direction, whose saturation passes minSaturation:
// the test picture has many, the desktop and the player's controls none.
double colourfulShare(const QImage &image, int minSaturation = 150);
// Ends a process with SIGTERM, as a session does: true when it quit cleanly (status 0) in 10 s.
bool quitBySignal(QProcess &process);
// Starts a python3 server (script and arguments) that prints its port first; answers
// "http://127.0.0.1:<port>", or an empty string.
QString startServer(QProcess &server, const QStringList &arguments);
// This process's peak resident memory in KiB, and setting that peak back to what is in use now
// (false when the kernel refuses).
qint64 peakMemoryKb();
bool resetPeakMemory();

// Under an X display: runs a tool (xdotool, xprop ...) while this process's events go on and
// answers its output, trimmed; starts openbox and answers once it manages the screen; finds the
// first window whose title matches the pattern within 15 s (empty: none); grabs a window's
// picture as on screen (windows named by xdotool's ids).
QString runTool(const QString &program, const QStringList &arguments);
bool startWindowManager(QProcess &openbox);
// The real player's surroundings for a whole test: a home of its own (settings, movies, the
// videos folder) and openbox managing the screen, which goes when the test object does.
struct ManagedHome
{
    QTemporaryDir home;
    QProcess openbox;
    bool start();
    ~ManagedHome();
};
QString findWindow(const QString &titlePattern);
QImage grabWindow(const QString &window);
// The picture's part of the player window: right of the playlist pane, between the menu bar and
// the control bar (whose time fields move at their own pace); and that part at rest, two grabs
// half a second apart alike.
QImage grabPicture(const QString &window);
bool pictureIsStill(const QString &window);
// The widget as the X server shows it, native child windows included.
QImage grabOnScreen(QWidget *widget);

// The contrast ratio of two colours as readability guides measure it (1 to 21), and that of
// the image's text with its ground: the ground its most common colour, the text the pixel
// that stands out most from it.
double contrastRatio(QRgb a, QRgb b);
double textContrast(const QImage &image);

// The widget and its children drawn onto a ground of the given colour.
QImage renderWidget(QWidget &widget, const QColor &ground = Qt::transparent);
// Pixels of the rectangle (the whole image when none) that pass the test.
template <typename Test>
int countPixels(const QImage &image, Test test, const QRect &rect = {})
{
    const QRect r = rect.isNull() ? image.rect() : rect;
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += bool(test(image.pixel(x, y)));
    return n;
}

// Data as another program's drag brings it: the bytes as sent (QMimeData itself would parse
// a uri-list into addresses).
class RawMimeData : public QMimeData
{
public:
    QHash<QString, QByteArray> raw;
    QStringList formats() const override { return raw.keys(); }
    bool hasFormat(const QString &f) const override { return raw.contains(f); }

protected:
    QVariant retrieveData(const QString &f, QMetaType) const override { return raw.value(f); }
};

// Another program's window: a press drags its addresses, as a file manager's or a browser's
// does; result is what the drop answered.
class DragSource : public QWidget
{
public:
    QList<QUrl> urls;
    Qt::DropAction result = Qt::IgnoreAction;

protected:
    void mousePressEvent(QMouseEvent *) override;
};

// Catches the addresses the application hands to the browser, for as long as it lives.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
    explicit UrlCatcher(const QStringList &schemes = {"http", "https"}) : m_schemes(schemes)
    {
        for (const QString &s : m_schemes)
            QDesktopServices::setUrlHandler(s, this, "open");
    }
    ~UrlCatcher() override
    {
        for (const QString &s : m_schemes)
            QDesktopServices::unsetUrlHandler(s);
    }
public slots:
    void open(const QUrl &url) { opened.append(url); }
private:
    QStringList m_schemes;
};
} // namespace testsupport

// A QtTest main for tests of the player (they link it): its own application object, the real
// engine with no sound, C numbers for mpv.
#define VISTREL_TEST_MAIN(TestClass) VISTREL_TEST_MAIN_WITH(TestClass, (void)0)
// The same, on a private bus of its own (testsupport::restartOnPrivateBus).
#define VISTREL_PRIVATE_BUS_TEST_MAIN(TestClass)                                                   \
    VISTREL_TEST_MAIN_WITH(TestClass, testsupport::restartOnPrivateBus(argc, argv))
#define VISTREL_TEST_MAIN_WITH(TestClass, before)                                                  \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        before;                                                                                    \
        testsupport::useQuietEngineOutput();                                                       \
        QXApplication app(argc, argv);                                                             \
        setlocale(LC_NUMERIC, "C");                                                                \
        TestClass tc;                                                                              \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
