// The controller's side of online video: entries of watch pages (and addresses that answer
// with a web page) download in the background; the controller shows their progress, opens
// the saved file in their place, and says why when nothing could be saved.
#include "app/QXMPController.h"

#include "engine/QXFileNames.h"
#include "engine/QXMovie.h"
#include "engine/QXMovieView.h"
#include "player/QXTransport.h"
#include "playlist/QXOnlineVideoDownloads.h"
#include "playlist/QXPlaylistModel.h"

#include <QDebug>
#include <QTimer>

void QXMPController::wireOnlineVideoDownloads()
{
    m_downloads = new QXOnlineVideoDownloads(this);
    connect(m_downloads, &QXOnlineVideoDownloads::progressed, this, &QXMPController::onlineVideoProgressed);
    connect(m_downloads, &QXOnlineVideoDownloads::saved, this,
            [this](const QXMovieRepresentationRef &entry, const QString &path) {
                m_playlist.setAddress(entry, QXFileNames::fileURL(path));
                updateDownloadedMovieRepresentation(entry);
            });
    connect(m_downloads, &QXOnlineVideoDownloads::failed, this, &QXMPController::onlineVideoFailed);
    connect(m_downloads, &QXOnlineVideoDownloads::pageHasNoVideo, this, &QXMPController::onlineVideoHasNoVideo);
    m_progressRedraw = new QTimer(this);
    m_progressRedraw->setSingleShot(true);
    m_progressRedraw->setInterval(500);
    connect(m_progressRedraw, &QTimer::timeout, this, [this] {
        if (m_ui.playerView)
            m_ui.playerView->update();
    });
}

void QXMPController::startOnlineVideos(const QList<QXMovieRepresentationRef> &entries)
{
    bool any = false;
    for (const QXMovieRepresentationRef &e : entries) {
        if (e && !e->isDownloadingOnlineFlashMovie() && QXOnlineVideoDownloads::isOnlineVideoPage(*e)) {
            m_downloads->startPage(e);
            any = true;
        }
    }
    if (any && m_ui.playlistModel)
        m_ui.playlistModel->redisplay();
}

void QXMPController::onlineVideoProgressed(const QXMovieRepresentationRef &entry)
{
    if (entry == m_playlist.current() && !m_progressRedraw->isActive())
        m_progressRedraw->start();
}

void QXMPController::updateDownloadedMovieRepresentation(const QXMovieRepresentationRef &entry)
{
    if (m_ui.playlistModel)
        m_ui.playlistModel->redisplay();
    if (!entry || entry != m_playlist.current())
        return;
    const QUrl url = entry->URL();
    chooseNoMovie();
    chooseMovie(url, false, false, false);
}

void QXMPController::onlineVideoFailed(const QXMovieRepresentationRef &entry, const QString &reason)
{
    qWarning().noquote() << QStringLiteral("Vistrel: cannot open %1: %2").arg(entry->URLString(), reason);
    if (m_ui.playlistModel)
        m_ui.playlistModel->redisplay();
    if (entry != m_playlist.current())
        return;
    // Listed still under its page address; choosing it again tries again.
    m_downloadFailure = reason;
    m_downloadFailureFor = entry;
    beep();
    updateButtons();
    m_ui.playerView->update();
}

void QXMPController::onlineVideoHasNoVideo(const QXMovieRepresentationRef &entry, const QString &reason)
{
    qWarning().noquote() << QStringLiteral("Vistrel: cannot open %1: %2").arg(entry->URLString(), reason);
    const bool wasCurrent = entry == m_playlist.current();
    if (wasCurrent) {
        chooseNoMovie();
        m_transport->updateTimeField(0, 0);
    }
    QList<int> rows;
    for (int i = 0; i < m_playlist.count(); ++i)
        if (m_playlist.at(i) == entry)
            rows.append(i);
    // An entry already removed has nothing left to take back.
    if (rows.isEmpty() && !wasCurrent)
        return;
    m_playlist.removeRows(rows);
    beep();
    if (wasCurrent)
        m_openFailure = tr("\"%1\"\nCannot open: %2").arg(entry->displayName(), reason);
    updateButtons();
    if (m_ui.playerView)
        m_ui.playerView->update();
}

bool QXMPController::downloadCurrentWebPage()
{
    const QXMovieRepresentationRef entry = m_playlist.current();
    QXMovie *m = entry ? entry->openedMovie() : nullptr;
    if (!m || !m->isWebPage() || m_downloads->isDownloading(entry.get()))
        return false;
    disposeStopCallback();
    m_ui.playerView->setMovie(nullptr);
    entry->forgetMovie();
    m_failureShownFor = nullptr;
    m_currentMovieIsPlayable = false;
    m_currentMovieHasVideo = false;
    m_downloads->startWebPage(entry);
    if (m_ui.playlistModel)
        m_ui.playlistModel->redisplay();
    updateButtons();
    m_ui.playerView->update();
    return true;
}
