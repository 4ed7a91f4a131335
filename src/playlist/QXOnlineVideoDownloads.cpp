#include "playlist/QXOnlineVideoDownloads.h"

#include "playlist/QXMovieDownload.h"
#include "playlist/QXOnlineVideoPage.h"
#include "playlist/QXPageFetch.h"


QXOnlineVideoDownloads::~QXOnlineVideoDownloads()
{
    cancelAll();
}

bool QXOnlineVideoDownloads::isOnlineVideoPage(const QXMovieRepresentation &entry)
{
    // Cheap first: most entries are files, and a page address is http(s).
    if (!entry.address().startsWith("http"))
        return false;
    return QXOnlineVideo::pageKind(entry.URL()) != QXOnlineVideo::PageKind::None;
}

bool QXOnlineVideoDownloads::isDownloading(const QXMovieRepresentation *entry) const
{
    return m_jobs.contains(entry);
}

QXOnlineVideoDownloads::Job *QXOnlineVideoDownloads::begin(const QXMovieRepresentationRef &entry)
{
    if (!entry || m_jobs.contains(entry.get()))
        return nullptr;
    Job &job = m_jobs[entry.get()];
    job.entry = entry;
    entry->setDownloadingOnlineFlashMovie(true);
    return &job;
}

void QXOnlineVideoDownloads::startPage(const QXMovieRepresentationRef &entry)
{
    Job *job = begin(entry);
    if (!job)
        return;
    job->isPage = true;
    const QUrl page = QXOnlineVideo::secureAddress(entry->URL());
    if (!page.isValid()) {
        pageFetched(entry.get(), QString());
        return;
    }
    auto *fetch = new QXPageFetch(page, this);
    job->fetch = fetch;
    const QXMovieRepresentation *key = entry.get();
    connect(fetch, &QXPageFetch::fetched, this, [this, key, fetch](const QString &text, bool) {
        fetch->deleteLater();
        pageFetched(key, text);
    });
    fetch->start();
}

void QXOnlineVideoDownloads::pageFetched(const QXMovieRepresentation *key, const QString &text)
{
    const auto it = m_jobs.find(key);
    if (it == m_jobs.end())
        return;
    Job &job = *it;
    const QUrl page = job.entry->URL();
    const QUrl video = text.isNull() ? QUrl() : QXOnlineVideo::videoAddress(QXOnlineVideo::pageKind(page), text);
    if (!video.isValid()) {
        // Today's pages name no video the old way: what yt-dlp can take it takes.
        startYtDlp(job);
        return;
    }
    run(job, new QXHttpDownload(video, QXOnlineVideo::targetPath(page), this));
}

void QXOnlineVideoDownloads::startWebPage(const QXMovieRepresentationRef &entry)
{
    if (Job *job = begin(entry))
        startYtDlp(*job);
}

void QXOnlineVideoDownloads::startYtDlp(Job &job)
{
    const QString program = QXYtDlpDownload::program();
    if (program.isEmpty()) {
        const QString reason = job.isPage ? tr("no video found on the page")
                                          : tr("this page needs yt-dlp, which is not installed");
        end(job.entry.get(), [this, reason](const QXMovieRepresentationRef &e) { emit pageHasNoVideo(e, reason); }, true);
        return;
    }
    const QUrl page = job.isPage ? QXOnlineVideo::secureAddress(job.entry->URL()) : job.entry->URL();
    run(job, new QXYtDlpDownload(page, QXOnlineVideo::onlineVideoFolder(), program, this));
}

void QXOnlineVideoDownloads::run(Job &job, QXMovieDownload *download)
{
    job.download = download;
    const QXMovieRepresentation *key = job.entry.get();
    connect(download, &QXMovieDownload::progressed, this, [this, key](qint64 received, qint64 expected) {
        const auto it = m_jobs.find(key);
        if (it == m_jobs.end())
            return;
        it->progressed = true;
        it->received = received;
        it->expected = expected;
        emit progressed(it->entry);
    });
    connect(download, &QXMovieDownload::finished, this, [this, key, download](const QString &path) {
        download->deleteLater();
        end(key, [this, path](const QXMovieRepresentationRef &e) { emit saved(e, path); });
    });
    connect(download, &QXMovieDownload::failed, this, [this, key, download](const QString &reason) {
        download->deleteLater();
        const auto it = m_jobs.find(key);
        if (it == m_jobs.end())
            return;
        // yt-dlp giving up before a byte came found nothing it could take.
        const bool nothing = qobject_cast<QXYtDlpDownload *>(download) && !it->progressed;
        if (nothing)
            end(key, [this](const QXMovieRepresentationRef &e) { emit pageHasNoVideo(e, tr("no video found on the page")); });
        else
            end(key, [this, reason](const QXMovieRepresentationRef &e) { emit failed(e, reason); });
    });
    download->start();
}

void QXOnlineVideoDownloads::end(const QXMovieRepresentation *key,
                                 std::function<void(const QXMovieRepresentationRef &)> tell, bool deferred)
{
    if (deferred) {
        QMetaObject::invokeMethod(this, [this, key, tell] { end(key, tell); }, Qt::QueuedConnection);
        return;
    }
    const auto it = m_jobs.find(key);
    if (it == m_jobs.end())
        return;   // cancelled meanwhile
    const QXMovieRepresentationRef entry = it->entry;
    m_jobs.erase(it);
    entry->setDownloadingOnlineFlashMovie(false);
    tell(entry);
}

void QXOnlineVideoDownloads::cancelAll()
{
    for (Job &job : m_jobs) {
        if (job.fetch)
            job.fetch->cancel();
        if (job.download)
            job.download->cancel();
        delete job.fetch;
        delete job.download;
        job.entry->setDownloadingOnlineFlashMovie(false);
    }
    m_jobs.clear();
}

QString QXOnlineVideoDownloads::progressText(const QXMovieRepresentation *entry) const
{
    const auto it = m_jobs.constFind(entry);
    return it == m_jobs.cend() || !it->progressed ? QString() : progressText(it->received, it->expected);
}

QString QXOnlineVideoDownloads::progressText(qint64 received, qint64 expected)
{
    if (expected > 0)
        return tr("%1%").arg(qBound(qint64(0), received * 100 / expected, qint64(100)));
    // Tenths of a megabyte, rounded down so that "12.3 MB" never overstates what arrived.
    const qint64 tenths = qMax<qint64>(0, received) / 100000;
    return tr("%1.%2 MB").arg(tenths / 10).arg(tenths % 10);
}
