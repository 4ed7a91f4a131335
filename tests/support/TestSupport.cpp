#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>

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

} // namespace testsupport

namespace testsupport {

void useQuietEngineOutput()
{
    qunsetenv("VISTREL_VO");
    qputenv("VISTREL_AO", "null");
}

QString playerBinary()
{
    const QString dir = qEnvironmentVariable("VISTREL_TEST_BINARY_DIR");
    return QDir(dir.isEmpty() ? QStringLiteral(".") : dir).filePath(QStringLiteral("vistrel"));
}

} // namespace testsupport
