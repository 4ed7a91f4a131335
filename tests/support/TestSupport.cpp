#include "TestSupport.h"

#include <cmath>

#include <QDir>
#include <QDrag>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QJsonDocument>
#include <QProcess>
#include <QScreen>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <unistd.h>

namespace testsupport {

QString ffmpeg(const QString &outputPath, const QStringList &arguments)
{
    static QHash<QString, QStringList> made;
    if (made.value(outputPath) == arguments && QFileInfo::exists(outputPath))
        return outputPath;
    QProcess p;
    QStringList args{"-y", "-loglevel", "error"};
    args += arguments;
    args << outputPath;
    p.start("ffmpeg", args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        qWarning("ffmpeg failed: %s", p.readAllStandardError().constData());
        return {};
    }
    made.insert(outputPath, arguments);
    return outputPath;
}

QString makeVideo(const QString &dir, const QString &name, int width, int height,
                  double seconds, bool withAudio)
{
    const QString d = QString::number(seconds);
    QStringList args{"-f", "lavfi", "-i",
                     QString("testsrc2=size=%1x%2:rate=25:duration=%3").arg(width).arg(height).arg(d)};
    if (withAudio)
        args << "-f" << "lavfi" << "-i" << QString("sine=frequency=440:duration=%1").arg(d);
    args << "-c:v" << "libx264" << "-preset" << "ultrafast" << "-pix_fmt" << "yuv420p";
    if (withAudio)
        args << "-c:a" << "aac" << "-shortest";
    return ffmpeg(QDir(dir).filePath(name), args);
}

QString makeAudio(const QString &dir, const QString &name, double seconds)
{
    return ffmpeg(QDir(dir).filePath(name),
                  {"-f", "lavfi", "-i", QString("sine=frequency=440:duration=%1").arg(seconds)});
}

QString makeFile(const QString &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = QDir(dir).filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return {};
    return path;
}

void isolateSettings(const QString &configDir)
{
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configDir));
}

void useHome(const QString &dir)
{
    qputenv("HOME", QFile::encodeName(dir));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir));
}

} // namespace testsupport

namespace testsupport {

void useQuietEngineOutput()
{
    qunsetenv("VISTREL_VO");
    qputenv("VISTREL_AO", "null");
}

void restartOnPrivateBus(int argc, char **argv)
{
    if (qEnvironmentVariableIsSet("VISTREL_PRIVATE_BUS")) {
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", qgetenv("DBUS_SESSION_BUS_ADDRESS"));
        return;
    }
    qputenv("VISTREL_PRIVATE_BUS", "1");
    std::vector<char *> args{const_cast<char *>("dbus-run-session"), const_cast<char *>("--")};
    args.insert(args.end(), argv, argv + argc + 1);
    execvp(args[0], args.data());
    perror("cannot start dbus-run-session for a private bus");
    std::exit(1);
}

QString playerBinary()
{
    const QString dir = qEnvironmentVariable("VISTREL_TEST_BINARY_DIR");
    return QDir(dir.isEmpty() ? QStringLiteral(".") : dir).filePath(QStringLiteral("vistrel"));
}

QString supportFile(const QString &name)
{
    QString dir = QFileInfo(QStringLiteral(__FILE__)).path();
    if (QDir::isRelativePath(dir))
        dir = QFileInfo(playerBinary()).path() + QLatin1Char('/') + dir;
    return QDir::cleanPath(dir + QLatin1Char('/') + name);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QJsonObject readJsonObject(const QString &path) { return QJsonDocument::fromJson(readFile(path)).object(); }

bool writeSettingsFile(const QString &configDir, const QByteArray &json)
{
    const QString dir = QDir(configDir).filePath(QStringLiteral("Vistrel"));
    return QDir().mkpath(dir) && !makeFile(dir, QStringLiteral("settings.json"), json).isEmpty();
}

double colourfulShare(const QImage &image, int minSaturation)
{
    int hits = 0, total = 0;
    for (int y = 0; y < image.height(); y += 4)
        for (int x = 0; x < image.width(); x += 4, ++total)
            hits += QColor(image.pixel(x, y)).hsvSaturation() > minSaturation;
    return total ? double(hits) / total : 0;
}

double contrastRatio(QRgb a, QRgb b)
{
    const auto luminance = [](QRgb c) {
        const auto linear = [](int v) {
            const double s = v / 255.0;
            return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(qRed(c)) + 0.7152 * linear(qGreen(c)) + 0.0722 * linear(qBlue(c));
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

double textContrast(const QImage &image)
{
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y) | 0xff000000];
    QRgb ground = 0;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most)
            most = it.value(), ground = it.key();
    double best = 1.0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        best = std::max(best, contrastRatio(ground, it.key()));
    return best;
}

QImage renderWidget(QWidget &widget, const QColor &ground)
{
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(ground);
    widget.render(&image, {}, {}, QWidget::DrawChildren);
    return image;
}

bool quitBySignal(QProcess &process)
{
    return ::kill(pid_t(process.processId()), SIGTERM) == 0 && process.waitForFinished(10000)
        && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QString startServer(QProcess &server, const QStringList &arguments)
{
    server.start(QStringLiteral("python3"), arguments);
    if (!server.waitForReadyRead(10000))
        return {};
    const int port = server.readLine().trimmed().toInt();
    return port > 0 ? QStringLiteral("http://127.0.0.1:%1").arg(port) : QString();
}

QString runTool(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.start(program, arguments);
    if (!QTest::qWaitFor([&p] { return p.state() == QProcess::NotRunning; }, 5000))
        p.kill();
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

bool ManagedHome::start()
{
    if (!home.isValid())
        return false;
    useHome(home.path());
    return startWindowManager(openbox);
}

ManagedHome::~ManagedHome()
{
    openbox.kill();
    openbox.waitForFinished();
}

bool startWindowManager(QProcess &openbox)
{
    openbox.start(QStringLiteral("openbox"), {});
    return openbox.waitForStarted() && QTest::qWaitFor([] {
        return !runTool("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}).contains("not found");
    }, 10000);
}

QString findWindow(const QString &titlePattern)
{
    QString found;
    static_cast<void>(QTest::qWaitFor([&] { return !(found = runTool("xdotool", {"search", "--name", titlePattern})).isEmpty(); }, 15000));
    return found.section('\n', 0, 0);
}

QImage grabWindow(const QString &window)
{
    return QGuiApplication::primaryScreen()->grabWindow(window.toULongLong()).toImage();
}

QImage grabPicture(const QString &window)
{
    const QImage shot = grabWindow(window);
    return shot.copy(210, 40, shot.width() - 220, shot.height() - 100);
}

bool pictureIsStill(const QString &window)
{
    const QImage before = grabPicture(window);
    QTest::qWait(500);
    return grabPicture(window) == before;
}

QImage grabOnScreen(QWidget *widget)
{
    QWidget *window = widget->window();
    const QPoint at = widget->mapTo(window, QPoint(0, 0));
    return window->screen()->grabWindow(window->winId(), at.x(), at.y(), widget->width(), widget->height()).toImage();
}

qint64 peakMemoryKb()
{
    const QByteArray text = readFile(QStringLiteral("/proc/self/status"));
    return text.mid(text.indexOf("VmHWM:") + 6).trimmed().split(' ').value(0).toLongLong();
}

bool resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

} // namespace testsupport

namespace testsupport {
void DragSource::mousePressEvent(QMouseEvent *)
{
    auto *drag = new QDrag(this);
    auto *data = new QMimeData;
    data->setUrls(urls);
    drag->setMimeData(data);
    result = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
}
} // namespace testsupport
