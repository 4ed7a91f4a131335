#pragma once
// Downloads of online videos into the Movies folder. They run on the main thread's event loop
// and write what arrives straight to a temporary file beside the target, so memory stays
// bounded whatever the size; only a complete, successful download is renamed into place (a
// same-named file is replaced; of two downloads to one name the last to complete wins).
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;
class QProcess;
class QSaveFile;

class QXMovieDownload : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~QXMovieDownload() override;            // a running download is cancelled
    virtual void start() = 0;
    // Ends it at once: temporary files removed, nothing emitted afterwards.
    virtual void cancel() = 0;
    bool isRunning() const { return m_running; }
    qint64 bytesReceived() const { return m_received; }
    qint64 bytesExpected() const { return m_expected; }  // -1 when unknown

    // The shortest time between two progress signals.
    static constexpr int ProgressIntervalMs = 100;

signals:
    void progressed(qint64 received, qint64 expected);
    void finished(const QString &savedPath);
    // Why, as the player shows it after "Cannot open: " — e.g. "download failed: server
    // answered 404", "download failed: nothing received for 30 seconds", "download failed:
    // cannot write /home/u/Movies/YouTube", or yt-dlp's last error line.
    void failed(const QString &reason);

protected:
    void begin();
    void setProgress(qint64 received, qint64 expected);
    // Both end the download; the subclass has cleaned up before. The signal is the last thing
    // done, since its receiver may delete this object.
    void succeed(const QString &savedPath);
    void fail(const QString &reason);
    // A failure found inside start(), reported from the event loop so that start() never
    // emits; cancel() before then keeps it unsaid.
    void failLater(const QString &reason);
    void stop() { m_running = false; }
    static QString cannotWrite(const QString &folder);

private:
    bool m_running = false;
    int m_runs = 0;   // a later start() outdates a failure still on its way
    qint64 m_received = 0;
    qint64 m_expected = -1;
    QElapsedTimer m_lastProgress;
};

// One video address over Qt Network into targetPath (its folder made with missing parents).
// An HTTP error status, a body shorter than announced, a write error or stallMs without a byte
// is a failure; redirects are followed, never from https to http.
class QXHttpDownload : public QXMovieDownload
{
    Q_OBJECT
public:
    QXHttpDownload(const QUrl &video, const QString &targetPath, QObject *parent = nullptr,
                   int stallMs = 30000);
    ~QXHttpDownload() override;
    void start() override;
    void cancel() override;

    // What the network stack holds of the body at a time: each refill costs a round trip
    // between threads, so much smaller slows a fast server down.
    static constexpr qint64 ReadBufferBytes = 1 << 20;

private:
    void takeOrFail();
    QString take();
    QString endReason() const;
    void end();
    void discard(bool abort = true);

    QUrl m_video;
    QString m_target;
    int m_stallMs;
    QNetworkAccessManager *m_manager = nullptr;
    QNetworkReply *m_reply = nullptr;
    QSaveFile *m_file = nullptr;
    QTimer m_stall;
};

// Any page yt-dlp can take, into outputFolder (made on start). No shell; the address after
// "--"; progress parsed from a template of the player's own.
class QXYtDlpDownload : public QXMovieDownload
{
    Q_OBJECT
public:
    QXYtDlpDownload(const QUrl &page, const QString &outputFolder, const QString &program,
                    QObject *parent = nullptr);
    ~QXYtDlpDownload() override;
    void start() override;
    void cancel() override;
    // VISTREL_YTDLP when set (empty when it names no executable file), else yt-dlp found on
    // PATH, else empty: then the player says "this page needs yt-dlp, which is not installed".
    static QString program();

    // yt-dlp's command line: the saved file goes directly into outputFolder, its parts into
    // tempFolder while it downloads.
    static QStringList arguments(const QUrl &page, const QString &outputFolder,
                                 const QString &tempFolder);
    // What one line yt-dlp prints tells.
    struct Line
    {
        enum Kind { Other, Progress, Saved, Error };
        Kind kind = Other;
        qint64 received = 0;
        qint64 expected = -1;   // -1 when unknown
        QString text;           // the saved path, or the error without its "ERROR: "
    };
    static Line parseLine(const QString &line);

private:
    void readOutput();
    void readErrors();
    void end();
    void discard();

    QUrl m_page;
    QString m_folder;
    QString m_program;
    QString m_tempFolder;
    QProcess *m_process = nullptr;
    qint64 m_pid = 0;         // also its process group
    QString m_savedPath;
    QString m_lastError;      // the last "ERROR:" line
    QString m_lastErrorLine;  // the last line on stderr, whatever it says
};
