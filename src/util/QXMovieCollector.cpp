#include "util/QXMovieCollector.h"

#include "engine/QXFileNames.h"
#include "util/QXPathInfo.h"

#include <QThread>

QXMovieCollector::QXMovieCollector(const QList<QUrl> &urls, bool revealPackageContents, QObject *parent)
    : QObject(parent)
{
    m_clock.start();
    m_thread = QThread::create([this, urls, revealPackageContents] {
        QXAddMovieURLs(m_collected, urls, revealPackageContents, &m_control);
    });
    // Queued onto this object's thread; the list is complete once the walk's thread ended.
    connect(m_thread, &QThread::finished, this, [this] { emit finished(m_collected); });
    m_thread->start();
}

QXMovieCollector::~QXMovieCollector()
{
    disconnect(m_thread, nullptr, this, nullptr);
    stop();
    m_thread->wait();
    delete m_thread;
}

void QXMovieCollector::stop()
{
    m_control.stop.store(true, std::memory_order_relaxed);
}

bool QXMovieCollector::namesFolder(const QList<QUrl> &urls)
{
    for (const QUrl &url : urls)
        if (url.isLocalFile() && QXPathInfo::isFolderPath(QXFileNames::localPath(url)))
            return true;
    return false;
}
