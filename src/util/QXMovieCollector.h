#pragma once
// Collecting movies as QXAddMovieURLs does, on a thread of its own: a huge folder does not
// hold the event loop, the window can show how far the walk got, and the user can stop it
// and keep what was found. The answer is delivered on the owner's thread.
#include "util/QXMovieCollection.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QUrl>

class QThread;

// How long a walk runs before the window shows its progress.
constexpr int QXWalkProgressDelayMs = 500;

class QXMovieCollector : public QObject
{
    Q_OBJECT
public:
    // Starts at once.
    QXMovieCollector(const QList<QUrl> &urls, bool revealPackageContents, QObject *parent = nullptr);
    // Stops the walk and waits for it; finished is not emitted then.
    ~QXMovieCollector() override;

    // Ends the walk early; what it found so far is still delivered.
    void stop();
    bool isStopped() const { return m_control.stop.load(std::memory_order_relaxed); }
    qint64 filesSeen() const { return m_control.filesSeen.load(std::memory_order_relaxed); }
    qint64 elapsedMs() const { return m_clock.elapsed(); }

    // True when any of the addresses is a local folder (the walk may take long).
    static bool namesFolder(const QList<QUrl> &urls);

signals:
    void finished(const QList<QUrl> &collected);

private:
    QXWalkControl m_control;
    QList<QUrl> m_collected;   // written by the walk's thread until it ends
    QThread *m_thread = nullptr;
    QElapsedTimer m_clock;
};
