// The controller as the session bus's media player sees it: its state and commands for QXMpris,
// and the changes QXMpris must tell.
#include "app/QXMPController.h"

#include "app/QXMpris.h"
#include "engine/QXMovie.h"
#include "engine/QXMovieView.h"
#include "player/QXControlBar.h"
#include "player/QXMenuValidation.h"
#include "player/QXPlayerWindow.h"
#include "player/QXSpeed.h"
#include "player/QXWindowSizer.h"

#include <QDBusConnection>
#include <QHash>
#include <QTimer>

#include <cmath>

namespace {

qint64 microseconds(const QXTime &t) { return std::llround(t.seconds() * 1e6); }

class QXControllerMprisHost : public QXMprisHost
{
public:
    explicit QXControllerMprisHost(QXMPController *c) : m_c(c) {}

    QXMprisState mprisState() const override
    {
        QXMprisState s;
        const QXControlState cs = m_c->controlState();
        const QXMovieRepresentationRef &entry = m_c->playlist().current();
        QXMovie *movie = entry ? entry->openedMovie() : nullptr;
        const bool playing = m_c->ui().playerView->isPlaying();
        s.status = !entry || m_c->isStopped() ? QStringLiteral("Stopped") : playing ? QStringLiteral("Playing") : QStringLiteral("Paused");
        s.canGoNext = s.canGoPrevious = QXValidateMenuItem(QXCommand::WalkPlaylist, cs);
        s.canPlay = s.canPause = QXValidateMenuItem(QXCommand::PlayPause, cs);
        // The time slider's rule, for a movie that has a time line to move on.
        s.canSeek = QXValidateMenuItem(QXCommand::TimeControls, cs) && movie && !movie->duration().isIndefinite();
        s.volume = m_c->controlBar()->volume();
        s.rate = m_c->speedControl()->speed();
        if (entry) {
            s.trackPath = trackPath(entry);
            s.title = entry->displayName();
            s.url = entry->URL();
            if (movie && !movie->duration().isIndefinite())
                s.lengthUs = microseconds(movie->duration());
        }
        return s;
    }

    qint64 positionUs() const override
    {
        QXMovie *movie = currentMovie();
        return movie && !movie->currentTime().isIndefinite() ? microseconds(movie->currentTime()) : 0;
    }

    void raise() override
    {
        QWidget *window = m_c->isPresenting() ? m_c->presentation()->window() : m_c->ui().playerWindow;
        if (!m_c->isPresenting())
            m_c->windowSizer()->showPlayerWindow();
        // A minimized window is shown again, not just raised behind its icon.
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
        window->raise();
        window->activateWindow();
    }

    // After the reply has gone: the quit command's own path, playlist saved.
    void quit() override { QTimer::singleShot(0, m_c, &QXMPController::terminate); }

    void play() override { if (mayPlay()) m_c->play(); }
    void pause() override { if (mayPlay()) m_c->pause(); }
    void playPause() override { if (mayPlay()) m_c->playPause(); }
    void stop() override { if (mayPlay()) m_c->stop(); }
    void next() override { if (mayWalk()) m_c->forwardPlaylist(); }
    void previous() override { if (mayWalk()) m_c->backwardPlaylist(); }

    void setPositionUs(qint64 us) override
    {
        QXMovie *movie = currentMovie();
        if (!movie || movie->currentTime().isIndefinite())
            return;
        const qint64 scale = movie->currentTime().timeScale;
        m_c->transport()->setTime(std::llround(double(us) / 1e6 * double(scale)), movie);
    }

    // As the slider dragged there: the movie, the slider and the stored volume.
    void setVolume(double volume) override { m_c->transport()->setVolume(float(volume), true, true); }
    void setRate(double rate) override { m_c->speedControl()->setSpeed(rate); }
    void openUrl(const QUrl &url) override { m_c->applicationOpenURLs({url}); }

private:
    QXMovie *currentMovie() const { return m_c->playlist().current() ? m_c->playlist().current()->openedMovie() : nullptr; }
    bool mayPlay() const { return QXValidateMenuItem(QXCommand::PlayPause, m_c->controlState()); }
    bool mayWalk() const { return QXValidateMenuItem(QXCommand::WalkPlaylist, m_c->controlState()); }

    // One path per entry for as long as it is listed; a path is never given to another entry.
    QString trackPath(const QXMovieRepresentationRef &entry) const
    {
        auto it = m_ids.find(entry.data());
        if (it == m_ids.end() || it->first.toStrongRef() != entry) {
            // Entries come and go with the playlist: the forgotten ones' numbers go with them.
            for (auto i = m_ids.begin(); i != m_ids.end();)
                i = i->first.isNull() ? m_ids.erase(i) : std::next(i);
            it = m_ids.insert(entry.data(), {entry.toWeakRef(), m_nextId++});
        }
        return QStringLiteral("/org/vistrel/entry/%1").arg(it->second);
    }

    QXMPController *m_c;
    mutable QHash<const QXMovieRepresentation *, std::pair<QWeakPointer<QXMovieRepresentation>, quint64>> m_ids;
    mutable quint64 m_nextId = 1;
};

} // namespace

void QXMPController::startMpris()
{
    m_mpris = new QXMpris(std::make_unique<QXControllerMprisHost>(this), QDBusConnection::sessionBus(), this);
    if (m_mpris->serviceName().isEmpty())
        return;
    QXMpris *mpris = m_mpris;
    const auto changed = [mpris] { mpris->stateMayHaveChanged(); };
    connect(this, &QXMPController::playerStateChanged, mpris, changed);
    connect(this, &QXMPController::currentMovieChanged, mpris, changed);
    connect(this, &QXMPController::playlistChanged, mpris, changed);
    connect(m_transport, &QXTransport::muteShown, mpris, changed);
    connect(m_speed, &QXSpeedControl::speedChanged, mpris, changed);
    connect(QXMovieCenter::shared(), &QXMovieCenter::movieLoadStateDidChange, mpris, changed);
    connect(QXMovieCenter::shared(), &QXMovieCenter::movieSought, mpris, [this, mpris](QXMovie *m) {
        if (m == currentMovie())
            mpris->sought();
    });
}
