#pragma once
// The online video test server (online_video_server.py) with the pages it serves, and the
// environment that points the player's page prefixes and videos folder at it.
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace testsupport {

class OnlineVideoServer
{
public:
    ~OnlineVideoServer()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    // Serves what the routes file in folder lists; answers false when it does not start.
    bool start(const QString &folder)
    {
        m_routesFile = QDir(folder).filePath(QStringLiteral("routes.json"));
        write();
        origin = startServer(m_process, {supportFile(QStringLiteral("online_video_server.py")), m_routesFile});
        return !origin.isEmpty();
    }
    // The player's three prefixes point here (for this process and what it launches).
    void pointPlayerHere() const
    {
        qputenv("VISTREL_YOUTUBE_PAGE_PREFIX", (origin + QStringLiteral("/watch")).toUtf8());
        qputenv("VISTREL_YOUTUBE_VIDEO_SERVER", origin.toUtf8());
        qputenv("VISTREL_GOOGLE_VIDEO_PAGE_PREFIX", (origin + QStringLiteral("/video.google.")).toUtf8());
    }
    QString youTubePage(const QString &query) const { return origin + QStringLiteral("/watch?") + query; }
    QString googlePage(const QString &query) const { return origin + QStringLiteral("/video.google.com/videoplay?") + query; }

    // An answer for a path with its query ("/watch?v=abc"); the file rewritten at once.
    void route(const QString &pathAndQuery, const QJsonObject &answer)
    {
        m_routes.insert(pathAndQuery, answer);
        write();
    }
    void page(const QString &pathAndQuery, const QString &body, const QString &type = QStringLiteral("text/html"))
    {
        route(pathAndQuery, {{"type", type}, {"body", body}});
    }
    // The bytes of a file, all at once or chunk bytes at a time with delay seconds between.
    void video(const QString &pathAndQuery, const QString &file, int chunk = 0, double delay = 0, int status = 200)
    {
        QJsonObject answer{{"file", file}, {"status", status}, {"type", "video/mp4"}};
        if (chunk > 0) {
            answer.insert("chunk", chunk);
            answer.insert("delay", delay);
        }
        route(pathAndQuery, answer);
    }
    // A watch page naming the video id, served as that file (as video() serves it); answers
    // the page's address.
    QString watchPage(const QString &id, const QString &file, int chunk = 0, double delay = 0)
    {
        page(QStringLiteral("/watch?v=") + id, youTubeBody(youTubeSection(id)));
        video(QStringLiteral("/get_video?video_id=") + id, file, chunk, delay);
        return youTubePage(QStringLiteral("v=") + id);
    }
    // A watch page of the old layout: its first CDATA section names the video by video_id=.
    static QString youTubeBody(const QString &firstSection, const QString &laterSection = {})
    {
        return QStringLiteral("<html><head><script><![CDATA[%1]]></script></head><body><script><![CDATA[%2]]>"
                              "</script></body></html>").arg(firstSection, laterSection);
    }
    static QString youTubeSection(const QString &videoValue)
    {
        return QStringLiteral("var swfArgs = {\"video_id=%1\", \"l\": 212};").arg(videoValue);
    }
    // A Google Video page of the old layout: the escaped "=" then the video's address
    // percent-escaped, ended by "&".
    static QString googleBody(const QString &videoAddress, const QString &marker = QStringLiteral("videoUrl\\u003d"))
    {
        return QStringLiteral("<html><script>var flashvars = \"%1%2&thumbnailUrl\\u003dx\";</script></html>")
            .arg(marker, QString::fromLatin1(QUrl::toPercentEncoding(videoAddress)));
    }

private:
    void write() const
    {
        QFile f(m_routesFile);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(QJsonDocument(m_routes).toJson());
    }

    QProcess m_process;
    QString m_routesFile;
    QJsonObject m_routes;

public:
    QString origin;
};

// HOME and XDG_CONFIG_HOME under root, with the desktop's videos folder at $HOME/Movies (not
// made: the player makes what it needs). Answers that videos folder.
inline QString useVideosHome(const QString &root)
{
    const QString home = QDir(root).filePath(QStringLiteral("home"));
    const QString config = QDir(root).filePath(QStringLiteral("config"));
    QDir().mkpath(home);
    QDir().mkpath(config);
    QFile dirs(config + QStringLiteral("/user-dirs.dirs"));
    if (dirs.open(QIODevice::WriteOnly))
        dirs.write("XDG_VIDEOS_DIR=\"$HOME/Movies\"\n");
    qputenv("HOME", QFile::encodeName(home));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
    return home + QStringLiteral("/Movies");
}

} // namespace testsupport
