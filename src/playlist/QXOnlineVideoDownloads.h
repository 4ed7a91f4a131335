#pragma once
// The online video downloads under way, one per entry. Each holds its entry (so a removed entry
// still gets its file) until it ends; the controller hears of every change through signals.
#include "playlist/QXMovieRepresentation.h"

#include <QHash>
#include <functional>
#include <QObject>
#include <QPointer>

class QXMovieDownload;
class QXPageFetch;

class QXOnlineVideoDownloads : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~QXOnlineVideoDownloads() override;     // cancels all
    // A watch page (QXOnlineVideo::pageKind): fetch, extract, download; no video found → yt-dlp
    // when installed, else pageHasNoVideo.
    void startPage(const QXMovieRepresentationRef &entry);
    // A plain address that answered with a web page: yt-dlp, or pageHasNoVideo with
    // "this page needs yt-dlp, which is not installed".
    void startWebPage(const QXMovieRepresentationRef &entry);
    bool isDownloading(const QXMovieRepresentation *entry) const;
    void cancelAll();                       // at quit

    // An address of an entry that downloads rather than plays: a watch page not yet saved.
    static bool isOnlineVideoPage(const QXMovieRepresentation &entry);
    // What the loading message and the row's tool tip add while the entry downloads: "42%",
    // or the amount so far ("12.3 MB") when the size is unknown; empty before any progress.
    QString progressText(const QXMovieRepresentation *entry) const;
    static QString progressText(qint64 received, qint64 expected);

signals:
    void progressed(const QXMovieRepresentationRef &entry);
    void saved(const QXMovieRepresentationRef &entry, const QString &path);   // → updateDownloadedMovieRepresentation
    void failed(const QXMovieRepresentationRef &entry, const QString &reason);
    void pageHasNoVideo(const QXMovieRepresentationRef &entry, const QString &reason);

private:
    struct Job
    {
        QXMovieRepresentationRef entry;
        QPointer<QXPageFetch> fetch;
        QPointer<QXMovieDownload> download;
        bool isPage = false;        // a watch page, so yt-dlp finding nothing means no video
        bool progressed = false;
        qint64 received = 0;
        qint64 expected = -1;
    };
    Job *begin(const QXMovieRepresentationRef &entry);
    void pageFetched(const QXMovieRepresentation *key, const QString &text);
    void startYtDlp(Job &job);
    void run(Job &job, QXMovieDownload *download);
    // The job is over: its entry loses the loading mark, then hears why (deferred: once
    // control is back in the event loop, never from inside a start call).
    void end(const QXMovieRepresentation *key, std::function<void(const QXMovieRepresentationRef &)> tell,
             bool deferred = false);

    QHash<const QXMovieRepresentation *, Job> m_jobs;
};
