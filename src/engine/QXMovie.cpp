#include "QXMovie.h"

#include "QXFileNames.h"
#include "QXMovieEngine.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>

#include <algorithm>
#include <cmath>

QXTime QXTime::fromSeconds(double seconds, qint32 scale)
{
    QXTime t;
    t.timeScale = scale > 0 ? scale : 1000;
    t.timeValue = std::isfinite(seconds) ? std::llround(seconds * t.timeScale) : 0;
    return t;
}

QXTime QXTime::indefinite()
{
    QXTime t;
    t.flags = IndefiniteFlag;
    return t;
}

QXMovie::QXMovie(const QUrl &url, const QXMovieProbe &probe, QObject *parent)
    : QObject(parent), m_url(url), m_probe(probe), m_probed(url.isLocalFile())
{
    // A local file that probed fine plays at once; a stream once its probe has answered and
    // the player has it open.
    m_loadState = url.isLocalFile() ? QXMovieLoadStateComplete : QXMovieLoadStateLoading;
}

QXMovie::~QXMovie()
{
    if (m_cancelProbe)
        *m_cancelProbe = true;
    if (QXMovieEngine *engine = attachedEngine())
        engine->attach(nullptr);
}

QXMovie *QXMovie::movieWithFile(const QString &path, QObject *parent)
{
    const QXMovieProbe probe = QXProbeMovieFile(path);
    if (!probe.canOpen)
        return nullptr;
    return new QXMovie(QXFileNames::fileURL(QXFileNames::absolutePath(path)), probe, parent);
}

QXMovie *QXMovie::movieWithURL(const QUrl &url, QObject *parent)
{
    if (!url.isValid())
        return nullptr;
    if (url.isLocalFile())
        return movieWithFile(QXFileNames::localPath(url), parent);
    if (!canInitWithURL(url))
        return nullptr;
    auto *movie = new QXMovie(url, QXMovieProbe{}, parent);
    movie->m_cancelProbe = std::make_shared<std::atomic<bool>>(false);
    QXProbeMovieURLAsync(url, movie->m_cancelProbe, movie,
                         [movie](const QXMovieProbe &probe) { movie->probeFinished(probe); });
    return movie;
}

void QXMovie::probeFinished(const QXMovieProbe &probe)
{
    m_cancelProbe.reset();
    if (m_loadState == QXMovieLoadStateError)
        return;
    if (!probe.canOpen) {
        m_isWebPage = probe.isWebPage;
        fail(probe.failure.isEmpty() ? tr("not a movie") : probe.failure);
        return;
    }
    if (!m_playerFailure.isEmpty()) {
        fail(m_playerFailure);
        return;
    }
    // What the player learnt meanwhile (a size, a duration) stays where the probe knows none.
    const QXMovieProbe learnt = m_probe;
    m_probe = probe;
    if (m_probe.naturalSize.isEmpty() && !learnt.naturalSize.isEmpty()) {
        m_probe.naturalSize = learnt.naturalSize;
        m_probe.hasVideo = true;
    }
    m_probed = true;
    updateStreamState();
}

void QXMovie::updateStreamState()
{
    if (m_url.isLocalFile() || !m_probed || m_loadState == QXMovieLoadStateError)
        return;
    const QXMovieEngine *engine = attachedEngine();
    if (engine && engine->isFileLoaded()) {
        if (m_loadState < QXMovieLoadStatePlayable) {
            changeLoadState(QXMovieLoadStatePlayable);
            if (QXMovieEngine *e = attachedEngine())
                e->checkStreamComplete();   // it may have been read whole already
        }
    } else if (m_loadState < QXMovieLoadStateLoaded) {
        changeLoadState(QXMovieLoadStateLoaded);
    }
}

void QXMovie::playerFailed(const QString &reason)
{
    if (!m_probed && m_cancelProbe) {
        m_playerFailure = reason;
        return;
    }
    fail(reason);
}

void QXMovie::fail(const QString &reason)
{
    if (m_loadState == QXMovieLoadStateError)
        return;
    m_failure = reason;
    m_wantsPlay = false;
    if (QXMovieEngine *engine = attachedEngine())
        engine->stopAttached();
    changeLoadState(QXMovieLoadStateError);
}

QXMovieEngine *QXMovie::attachedEngine() const
{
    QXMovieEngine *engine = QXMovieEngine::existing();
    return engine && engine->attachedMovie() == this ? engine : nullptr;
}

bool QXMovie::isAttached() const
{
    return attachedEngine() != nullptr;
}

void QXMovie::changeLoadState(long state)
{
    if (state == m_loadState)
        return;
    m_loadState = state;
    emit loadStateDidChange();
    emit QXMovieCenter::shared()->movieLoadStateDidChange(this);
}

bool QXMovie::hasVideo() const
{
    return m_probe.hasVideo;
}

QSizeF QXMovie::naturalSize() const
{
    return m_probe.naturalSize;
}

long QXMovie::loadState() const
{
    return m_loadState;
}

void QXMovie::play()
{
    m_wantsPlay = true;
    QXMovieEngine *engine = attachedEngine();
    // Playing a movie that stands at its end starts it again (also when it was sought to
    // the end while paused: mpv would report no new end then).
    bool restart = m_atEnd;
    if (!restart && engine) {
        // A seek to the end while paused brings no news of the end: ask. A loaded machine may
        // not have got there yet, or still be opening the file there, so a position within a
        // frame or two of the end counts too.
        double at = m_position;
        bool eof = false;
        if (engine->isFileLoaded()) {
            eof = engine->eofReached();
            if (!eof)
                engine->readFlag("eof-reached", &eof);
            if (!m_seekPending)
                engine->timePosition(&at);
        }
        const bool nearEnd = !m_probe.isIndefinite && m_probe.duration > 0.5 && at >= m_probe.duration - 0.1;
        restart = (eof || nearEnd) && at > 0.05;   // an end at the start is no end
    }
    if (restart) {
        m_atEnd = false;
        m_position = 0;
    }
    if (!engine)
        return;
    // A stream that cannot seek starts over by opening it again.
    if (!engine->hasFile() || (restart && (!engine->isFileLoaded() || !engine->canSeekAttached()))) {
        engine->loadAttached();
        return;
    }
    if (restart)
        engine->seekAttached(0);
    engine->setFlag("pause", false);
}

void QXMovie::stop()
{
    m_wantsPlay = false;
    if (QXMovieEngine *engine = attachedEngine())
        engine->setFlag("pause", true);
}

float QXMovie::rate() const
{
    const QXMovieEngine *engine = attachedEngine();
    return engine && engine->hasFile() && m_wantsPlay && !m_atEnd ? 1.0f : 0.0f;
}

QXTime QXMovie::currentTime() const
{
    if (m_probe.isIndefinite)
        return QXTime::indefinite();
    if (m_atEnd && !m_probe.isIndefinite && m_probe.duration > 0)
        return QXTime::fromSeconds(m_probe.duration);
    // Until a seek lands the player still reports the old time; the target is the answer.
    if (const QXMovieEngine *engine = attachedEngine(); engine && !m_seekPending) {
        double t = 0;
        if (engine->timePosition(&t))
            return QXTime::fromSeconds(qMax(0.0, t));
    }
    return QXTime::fromSeconds(m_position);
}

void QXMovie::setCurrentTime(const QXTime &time)
{
    double seconds = time.isIndefinite() ? 0.0 : time.seconds();
    if (!std::isfinite(seconds) || seconds < 0)
        seconds = 0;
    if (!m_probe.isIndefinite && m_probe.duration > 0)
        seconds = qMin(seconds, m_probe.duration);
    m_position = seconds;
    m_atEnd = false;
    QXMovieEngine *engine = attachedEngine();
    if (!engine)
        return;
    if (engine->isFileLoaded()) {
        m_seekPending = true;
        engine->seekAttached(seconds);
    }
    else
        engine->loadAttached();   // not open yet, or ended: open at the new position
    emit QXMovieCenter::shared()->movieSought(this);
}

QXTime QXMovie::duration() const
{
    if (m_probe.isIndefinite || m_probe.duration < 0)
        return QXTime::indefinite();
    return QXTime::fromSeconds(m_probe.duration);
}

void QXMovie::stepForward()
{
    QXMovieEngine *engine = attachedEngine();
    if (!engine || !engine->isFileLoaded() || m_atEnd)
        return;
    m_wantsPlay = false;   // mpv pauses after the step
    engine->stepFrame(true);
}

void QXMovie::stepBackward()
{
    QXMovieEngine *engine = attachedEngine();
    if (!engine || !engine->isFileLoaded())
        return;
    m_wantsPlay = false;
    m_atEnd = false;
    engine->stepFrame(false);
}

float QXMovie::volume() const
{
    return m_volume;
}

void QXMovie::setVolume(float volume)
{
    if (!std::isfinite(volume))
        volume = 0;
    m_volume = qBound(0.0f, volume, 1.0f);
    if (QXMovieEngine *engine = attachedEngine())
        engine->setDouble("volume", double(m_volume) * 100.0);
}

void QXMovie::showMessage(const QString &text, int durationMs)
{
    QXMovieEngine *engine = attachedEngine();
    if (!engine || text.isEmpty())
        return;
    // Commands sent as arguments expand no ${...} properties: a file name shows as it is.
    const QByteArray utf8 = text.toUtf8(), duration = QByteArray::number(qMax(durationMs, 1));
    engine->command({"show-text", utf8.constData(), duration.constData()});
}

void QXMovie::saveFrame(const QString &path, std::function<void(const QString &)> done)
{
    if (QXMovieEngine *engine = attachedEngine())
        engine->saveFrame(path, std::move(done));
    else
        done(tr("the movie is not shown"));
}

QList<QXTrack> QXMovie::tracks() const
{
    const QXMovieEngine *engine = attachedEngine();
    return engine ? engine->m_tracks : QList<QXTrack>();
}

QList<QXChapter> QXMovie::chapters() const
{
    const QXMovieEngine *engine = attachedEngine();
    return engine ? engine->m_chapters : QList<QXChapter>();
}

bool QXMovie::selectTrack(QXTrack::Type type, qint64 id)
{
    QXMovieEngine *engine = attachedEngine();
    const char *property = type == QXTrack::Type::Audio ? "aid" : type == QXTrack::Type::Subtitle ? "sid" : nullptr;
    if (!engine || !property)
        return false;
    const bool known = std::any_of(engine->m_tracks.cbegin(), engine->m_tracks.cend(),
                                   [&](const QXTrack &t) { return t.type == type && t.id == id; });
    if (!known && !(id == 0 && type == QXTrack::Type::Subtitle))
        return false;
    const QByteArray value = id == 0 ? QByteArray("no") : QByteArray::number(id);
    engine->commandAsync({"set", property, value.constData()});
    return true;
}

QString QXMovie::addSubtitleFile(const QString &path, bool *guessedEncoding)
{
    QXMovieEngine *engine = attachedEngine();
    if (!engine)
        return tr("no movie plays");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return tr("the file cannot be read");
    // Read whole only when it is small enough to be subtitles.
    const qint64 size = file.size();
    const QByteArray text = size <= QXSubtitleFileLimit ? file.readAll() : QByteArray();
    if (const QString problem = QXSubtitleFileProblem(size, text); !problem.isEmpty())
        return problem;
    if (guessedEncoding)
        *guessedEncoding = QXSubtitleTextIsGuessed(text);
    const QByteArray name = QXFileNames::encode(path);
    // The player's refusal comes later, for this movie if it is still the one shown; a file
    // it took is kept.
    engine->commandAsync({"sub-add", name.constData(), "select"}, [movie = QPointer<QXMovie>(this), path](const QString &error) {
        if (!movie)
            return;
        if (error.isEmpty()) {
            movie->m_subtitleFiles.removeAll(path);
            movie->m_subtitleFiles.append(path);
        } else if (movie->isAttached()) {
            emit movie->subtitleFailed(tr("the player cannot read it as subtitles"));
        }
    });
    return {};
}

void QXMovie::setSubtitleDelay(double seconds)
{
    if (!std::isfinite(seconds))
        return;
    // Whole tenths, so steps up and down come back to exactly 0.
    m_subtitleDelay = std::round(seconds * 1000.0) / 1000.0;
    if (QXMovieEngine *engine = attachedEngine())
        engine->setSubtitleDelay(m_subtitleDelay);
}

bool QXMovie::stepChapter(int step)
{
    const QXMovieEngine *engine = attachedEngine();
    if (!engine)
        return false;
    const int target = QXChapterStepTarget(engine->m_chapters, currentTime().seconds(), step);
    if (target < 0)
        return false;
    setCurrentTime(QXTime::fromSeconds(engine->m_chapters.at(target).start));
    return true;
}

double QXMovie::maxLoadedTime() const
{
    if (m_url.isLocalFile())
        return qMax(0.0, m_probe.duration);
    return m_loadedTime;
}

void QXMovie::setAngle(int degrees)
{
    const int angle = ((degrees % 360) + 360) % 360;
    if (angle == m_angle)
        return;
    m_angle = angle;
    if (QXMovieEngine *engine = attachedEngine())
        engine->setInt("video-rotate", angle);
}

bool QXMovie::armStopCallback(std::function<void()> callback)
{
    if (!callback)
        return false;
    m_stopCallback = std::move(callback);
    return true;
}

void QXMovie::disposeStopCallback()
{
    m_stopCallback = nullptr;
}

QXMovieCenter *QXMovieCenter::shared()
{
    static QXMovieCenter *singletonCenter = new QXMovieCenter;
    return singletonCenter;
}
