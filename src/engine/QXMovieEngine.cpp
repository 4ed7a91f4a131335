#include "QXMovieEngine.h"

#include "QXFileNames.h"
#include "QXMovie.h"
#include "QXVideoRenderer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QTimer>
#include <QVarLengthArray>
#include <QtDebug>

#include <mpv/client.h>

#include <clocale>
#include <cmath>
#include <utility>
#include <dlfcn.h>
#include <cstdio>

namespace {

QXMovieEngine *s_engine = nullptr;
bool s_shutDown = false;
int s_liveHandles = 0;
bool s_hardwareDecoding = true;

enum ObservedProperty : quint64 {
    PropEofReached = 1,
    PropDuration,
    PropCacheTime,
    PropVoConfigured,
    PropDWidth,
    PropDHeight,
    PropTimePos,
    PropCurrentAo,
    PropTrackList,
    PropChapterList,
};

// A node of the player as a variant: maps and lists of strings, numbers and flags.
QVariant variantFromNode(const mpv_node &node)
{
    switch (node.format) {
    case MPV_FORMAT_STRING:
        return QString::fromUtf8(node.u.string);
    case MPV_FORMAT_FLAG:
        return bool(node.u.flag);
    case MPV_FORMAT_INT64:
        return qlonglong(node.u.int64);
    case MPV_FORMAT_DOUBLE:
        return node.u.double_;
    case MPV_FORMAT_NODE_ARRAY: {
        QVariantList list;
        for (int i = 0; i < node.u.list->num; ++i)
            list.append(variantFromNode(node.u.list->values[i]));
        return list;
    }
    case MPV_FORMAT_NODE_MAP: {
        QVariantMap map;
        for (int i = 0; i < node.u.list->num; ++i)
            map.insert(QString::fromUtf8(node.u.list->keys[i]), variantFromNode(node.u.list->values[i]));
        return map;
    }
    default:
        return {};
    }
}

// Keeps the fresh list; true when it differs from the one kept.
template <typename T>
bool replaced(QList<T> &kept, QList<T> fresh)
{
    if (fresh == kept)
        return false;
    kept = std::move(fresh);
    return true;
}

QVariant propertyVariant(const mpv_event_property *prop)
{
    return prop->format == MPV_FORMAT_NODE ? variantFromNode(*static_cast<const mpv_node *>(prop->data)) : QVariant();
}

void setOption(mpv_handle *mpv, const char *name, const QByteArray &value)
{
    mpv_set_option_string(mpv, name, value.constData());
}

// Seconds with a decimal point whatever the locale (mpv parses numbers the C way).
QByteArray secondsText(double seconds)
{
    return QByteArray::number(seconds, 'f', 3);
}

void ignoreAlsaMessage(const char *, int, const char *, int, const char *, ...) {}

// Without a sound device every sound library mpv tries writes lines of its own to stderr
// (sixteen from ALSA alone) before mpv falls back to no sound; the player says it once
// instead. ALSA is asked for its handler by name, as it is mpv's library, not ours.
void quietenSoundLibraries()
{
    using Handler = void (*)(const char *, int, const char *, int, const char *, ...);
    if (auto setHandler = reinterpret_cast<int (*)(Handler)>(dlsym(RTLD_DEFAULT, "snd_lib_error_set_handler")))
        setHandler(ignoreAlsaMessage);
    // PipeWire's own log; a level the user set stands.
    if (!qEnvironmentVariableIsSet("PIPEWIRE_DEBUG"))
        qputenv("PIPEWIRE_DEBUG", "0");
}

} // namespace

QXMovieEngine *QXMovieEngine::shared()
{
    if (s_engine)
        return s_engine->m_mpv ? s_engine : nullptr;
    QCoreApplication *app = QCoreApplication::instance();
    if (s_shutDown || !app || QThread::currentThread() != app->thread())
        return nullptr;
    auto *engine = new QXMovieEngine;
    if (!engine->start()) {
        delete engine;
        return nullptr;
    }
    s_engine = engine;
    QObject::connect(app, &QCoreApplication::aboutToQuit, engine, &QXMovieEngine::shutdown);
    // Also when the application object goes away without a running event loop (tests).
    qAddPostRoutine([] {
        if (s_engine)
            s_engine->shutdown();
    });
    return engine;
}

QXMovieEngine *QXMovieEngine::existing()
{
    return s_engine && s_engine->m_mpv ? s_engine : nullptr;
}

int QXMovieEngine::liveHandleCount()
{
    return s_liveHandles;
}

QXMovieEngine::QXMovieEngine() = default;

QXMovieEngine::~QXMovieEngine()
{
    shutdown();
}

bool QXMovieEngine::start()
{
    // QApplication sets the locale from the environment; mpv refuses to run unless numbers
    // are written the C way.
    std::setlocale(LC_NUMERIC, "C");
    // Before mpv's threads can read the environment.
    quietenSoundLibraries();
    m_mpv = mpv_create();
    if (!m_mpv)
        return false;
    ++s_liveHandles;

    QByteArray vo = qgetenv("VISTREL_VO");
    if (vo.isEmpty())
        vo = "libmpv";
    setOption(m_mpv, "vo", vo);
    const QByteArray ao = qgetenv("VISTREL_AO");
    if (!ao.isEmpty())
        setOption(m_mpv, "ao", ao);

    setOption(m_mpv, "config", "no");
    setOption(m_mpv, "terminal", "no");
    setOption(m_mpv, "idle", "yes");
    setOption(m_mpv, "keep-open", "yes");           // stay on the last frame at the end
    setOption(m_mpv, "audio-fallback-to-null", "yes");
    setOption(m_mpv, "audio-pitch-correction", "yes");   // voices keep their pitch at any speed
    // Without hardware decoding at start, no GPU decoder library is loaded for it either.
    // With it, VA-API hands frames to OpenGL; other decoders (NVDEC) copy them back. Only that
    // interop: loading every kind makes absent vendors' libraries write to stderr.
    setOption(m_mpv, "hwdec", hardwareDecodingChoice().toUtf8());
    setOption(m_mpv, "gpu-hwdec-interop", s_hardwareDecoding ? "vaapi" : "no");
    setOption(m_mpv, "input-default-bindings", "no");
    setOption(m_mpv, "input-vo-keyboard", "no");
    setOption(m_mpv, "osc", "no");
    // Nothing of mpv's own on the picture; the player's short messages (show-text) still show,
    // in plain light type with a soft edge, at the top left (subtitles keep the bottom), scaled
    // with the picture.
    setOption(m_mpv, "osd-level", "0");
    setOption(m_mpv, "osd-font", "sans-serif");
    setOption(m_mpv, "osd-font-size", "36");
    setOption(m_mpv, "osd-color", "#F0F0F0");
    setOption(m_mpv, "osd-border-size", "1.5");
    setOption(m_mpv, "osd-border-color", "#A0000000");
    setOption(m_mpv, "osd-shadow-offset", "1");
    setOption(m_mpv, "osd-align-x", "left");
    setOption(m_mpv, "osd-align-y", "top");
    setOption(m_mpv, "osd-margin-x", "24");
    setOption(m_mpv, "osd-margin-y", "24");
    // Subtitles beside the movie with its name ("name.srt", "name.en.srt") load by themselves;
    // text subtitles are drawn in the picture, scaled with it, in the player's plain type.
    setOption(m_mpv, "sub-auto", "exact");
    setOption(m_mpv, "sub-font", "sans-serif");
    setOption(m_mpv, "sub-font-size", "46");
    setOption(m_mpv, "sub-border-size", "2.5");
    setOption(m_mpv, "sub-scale-by-window", "yes");
    // The built-in scripts cost a Lua start-up per handle and are of no use here.
    setOption(m_mpv, "load-scripts", "no");
    setOption(m_mpv, "ytdl", "no");
    setOption(m_mpv, "load-stats-overlay", "no");
    setOption(m_mpv, "load-osd-console", "no");
    setOption(m_mpv, "load-auto-profiles", "no");
    // Cover art of a sound file is not shown as a picture (the probe says "no video").
    setOption(m_mpv, "audio-display", "no");
    setOption(m_mpv, "keepaspect", "no");
    // A frame is handed over when it is due, not up to 50 ms before: the main thread draws it at
    // once, and mpv's render call would otherwise hold it (keys, the playlist) until then.
    setOption(m_mpv, "video-timing-offset", "0");
    // Bounded read-ahead for streams; a dead server gives up in reasonable time.
    setOption(m_mpv, "demuxer-max-bytes", "64MiB");
    setOption(m_mpv, "demuxer-max-back-bytes", "16MiB");
    setOption(m_mpv, "network-timeout", "15");

    if (mpv_initialize(m_mpv) < 0) {
        mpv_terminate_destroy(m_mpv);
        m_mpv = nullptr;
        --s_liveHandles;
        return false;
    }
    // The render context exists before any file is loaded: the output never changes under one.
    if (vo == "libmpv") {
        m_renderer = QXVideoRenderer::create(m_mpv, this);
        if (!m_renderer)
            mpv_set_property_string(m_mpv, "vo", "null");
        else
            m_renderer->setEventCatchUp([this] { drainEvents(); });
    }
    m_seekWatch = new QTimer(this);
    m_seekWatch->setSingleShot(true);
    m_seekWatch->setInterval(1000);
    connect(m_seekWatch, &QTimer::timeout, this, [this] {
        // A busy machine can leave the seek's start waiting in the queue: read it first.
        drainEvents();
        if (!m_seekSeen && m_attached && m_attached->m_seekPending)
            refuseSeek();
    });
    const QByteArray logLevel = qgetenv("VISTREL_MPV_LOG");
    if (!logLevel.isEmpty())
        mpv_request_log_messages(m_mpv, logLevel.constData());

    mpv_observe_property(m_mpv, PropEofReached, "eof-reached", MPV_FORMAT_FLAG);
    mpv_observe_property(m_mpv, PropDuration, "duration", MPV_FORMAT_DOUBLE);
    mpv_observe_property(m_mpv, PropCacheTime, "demuxer-cache-time", MPV_FORMAT_DOUBLE);
    mpv_observe_property(m_mpv, PropVoConfigured, "vo-configured", MPV_FORMAT_FLAG);
    mpv_observe_property(m_mpv, PropDWidth, "dwidth", MPV_FORMAT_INT64);
    mpv_observe_property(m_mpv, PropDHeight, "dheight", MPV_FORMAT_INT64);
    // The position comes with the events, so the window never waits on the player to ask.
    mpv_observe_property(m_mpv, PropTimePos, "time-pos", MPV_FORMAT_DOUBLE);
    mpv_observe_property(m_mpv, PropCurrentAo, "current-ao", MPV_FORMAT_STRING);
    // A track chosen changes the list too (its "selected" flags).
    mpv_observe_property(m_mpv, PropTrackList, "track-list", MPV_FORMAT_NODE);
    mpv_observe_property(m_mpv, PropChapterList, "chapter-list", MPV_FORMAT_NODE);

    // Runs on mpv's threads: only post to the main thread, at most one pending drain.
    mpv_set_wakeup_callback(
        m_mpv,
        [](void *context) {
            auto *engine = static_cast<QXMovieEngine *>(context);
            if (!engine->m_wakeupPosted.exchange(true))
                QMetaObject::invokeMethod(engine, [engine] { engine->drainEvents(); },
                                          Qt::QueuedConnection);
        },
        this);
    return true;
}

void QXMovieEngine::shutdown()
{
    if (!m_mpv)
        return;
    emit aboutToShutDown();
    // For the playback benchmark, beside the command-line player's own count.
    if (qEnvironmentVariableIsSet("VISTREL_BENCH_REPORT")) {
        // "vo-drop-frame-count" is another name for "frame-drop-count": each counted once.
        int64_t decoder = 0, output = 0;
        mpv_get_property(m_mpv, "decoder-frame-drop-count", MPV_FORMAT_INT64, &decoder);
        mpv_get_property(m_mpv, "frame-drop-count", MPV_FORMAT_INT64, &output);
        fprintf(stderr, "vistrel-bench-dropped=%lld \n", static_cast<long long>(decoder + output));
    }
    if (m_attached)
        saveAttachedState();
    m_attached = nullptr;
    resetFileState();
    // The render context must go before the handle.
    if (m_renderer) {
        m_renderer->release();
        delete m_renderer;
        m_renderer = nullptr;
    }
    mpv_set_wakeup_callback(m_mpv, nullptr, nullptr);
    mpv_terminate_destroy(m_mpv);
    m_mpv = nullptr;
    --s_liveHandles;
    s_shutDown = true;
}

void QXMovieEngine::drainEvents()
{
    m_wakeupPosted = false;
    while (m_mpv) {
        const mpv_event *event = mpv_wait_event(m_mpv, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        handleEvent(event);
    }
}

void QXMovieEngine::handleEvent(const mpv_event *event)
{
    QXMovie *movie = m_attached;
    switch (event->event_id) {
    case MPV_EVENT_START_FILE: {
        const auto *data = static_cast<const mpv_event_start_file *>(event->data);
        if (m_entryId >= 0 && data->playlist_entry_id == m_entryId)
            m_fileStarted = true;
        break;
    }
    case MPV_EVENT_FILE_LOADED:
        // Open and its tracks known: a stream can start now. Waiting for its first frame would
        // wait forever on a paused stream, which decodes none.
        if (m_fileStarted && !m_fileLoaded) {
            m_fileLoaded = true;
            if (m_renderer)
                m_renderer->nextFileOpened();
            // Subtitle files added to the movie before; the last one shows.
            if (movie)
                for (const QString &path : std::as_const(movie->m_subtitleFiles)) {
                    const QByteArray name = QXFileNames::encode(path);
                    const bool last = &path == &movie->m_subtitleFiles.constLast();
                    commandAsync({"sub-add", name.constData(), last ? "select" : "auto"});
                }
            if (movie) {
                // Reaching the old file's end can pause the player (keep-open) between the
                // wish set before loading and the load itself: the wish holds for the new file.
                setFlag("pause", !movie->m_wantsPlay);
                movie->updateStreamState();
            }
        }
        break;
    case MPV_EVENT_SEEK:
        m_seekSeen = true;
        break;
    case MPV_EVENT_PLAYBACK_RESTART:

        if (movie)
            movie->m_seekPending = false;
        m_seekWatch->stop();
        if (m_pendingStep != 0 && m_fileLoaded) {
            command({m_pendingStep > 0 ? "frame-step" : "frame-back-step"});
            m_pendingStep = 0;
        }
        if (m_fileLoaded && !m_playbackRestarted) {
            m_playbackRestarted = true;
            if (m_renderer)
                m_renderer->nextFileShown();
            emit playbackRestarted();
            // A short stream may be in the cache already; no further change would say so.
            if (movie && !movie->m_url.isLocalFile())
                checkStreamComplete();
        }
        break;
    case MPV_EVENT_END_FILE: {
        const auto *data = static_cast<const mpv_event_end_file *>(event->data);
        if (m_entryId < 0 || data->playlist_entry_id != m_entryId)
            break;
        fileDidEnd(data->reason, data->error);
        break;
    }
    case MPV_EVENT_PROPERTY_CHANGE:
        handlePropertyChange(event);
        break;
    case MPV_EVENT_COMMAND_REPLY: {
        const std::function<void(const QString &)> done = m_replies.take(event->reply_userdata);
        if (done)
            done(event->error < 0 ? QString::fromUtf8(mpv_error_string(event->error)) : QString());
        break;
    }
    case MPV_EVENT_LOG_MESSAGE: {
        const auto *msg = static_cast<const mpv_event_log_message *>(event->data);
        qDebug().noquote() << "mpv" << msg->prefix << QByteArray(msg->text).trimmed();
        break;
    }
    default:
        break;
    }
}

void QXMovieEngine::handlePropertyChange(const mpv_event *event)
{
    const auto *prop = static_cast<const mpv_event_property *>(event->data);
    if (event->reply_userdata == PropCurrentAo) {
        // No output could be opened and mpv fell back to none: said once a run, unless no
        // sound was asked for.
        const char *ao = prop->format == MPV_FORMAT_STRING ? *static_cast<char **>(prop->data) : nullptr;
        if (ao && qstrcmp(ao, "null") == 0 && qgetenv("VISTREL_AO") != "null" && !m_saidNoSound) {
            m_saidNoSound = true;
            fputs("Vistrel: no sound device could be opened; movies play without sound\n", stderr);
        }
        return;
    }
    if (event->reply_userdata == PropVoConfigured) {
        // The state of the output itself, whichever file is loading.
        const bool configured = prop->format == MPV_FORMAT_FLAG && *static_cast<int *>(prop->data);
        if (configured != m_videoConfigured) {
            m_videoConfigured = configured;
            emit videoConfiguredChanged(configured);
        }
        return;
    }
    // Values seen before our file started belong to the one it replaced.
    if (!m_fileStarted)
        return;
    // Also for a file opened ahead: it reports its time once while it stands paused.
    if (event->reply_userdata == PropTimePos) {
        m_hasTimePos = prop->format == MPV_FORMAT_DOUBLE;
        if (m_hasTimePos)
            m_timePos = *static_cast<double *>(prop->data);
        return;
    }
    // Kept for a file opened ahead too: the movie that takes it over hears no change later.
    if (event->reply_userdata == PropTrackList) {
        if (replaced(m_tracks, QXParseTrackList(propertyVariant(prop))) && m_attached)
            emit m_attached->tracksDidChange();
        return;
    }
    if (event->reply_userdata == PropChapterList) {
        if (replaced(m_chapters, QXParseChapterList(propertyVariant(prop))) && m_attached)
            emit m_attached->chaptersDidChange();
        return;
    }
    QXMovie *movie = m_attached;
    if (!movie)
        return;
    const bool isStream = !movie->m_url.isLocalFile();
    switch (event->reply_userdata) {
    case PropEofReached: {
        const bool eof = prop->format == MPV_FORMAT_FLAG && *static_cast<int *>(prop->data);
        if (eof == m_eofReached)
            break;
        m_eofReached = eof;
        if (!eof)
            break;
        // The end at the very start of a movie that is longer: nothing could be played, as
        // with an MP4 whose index is at its end served without byte ranges.
        double t = 0;
        if (!timePosition(&t) || (t < 0.05 && movie->m_probe.duration > 0.5))
            movie->playerFailed(movie->m_url.isLocalFile() ? tr("nothing in it can be played")
                                                   : tr("the stream ended before anything could be played"));
        else
            reachedEnd();
        break;
    }
    case PropDuration:
        // For a live stream the player reports how much it has received as a "duration";
        // a stream the probe found without an end stays without one.
        if (isStream && !movie->m_probe.isIndefinite && prop->format == MPV_FORMAT_DOUBLE) {
            const double duration = *static_cast<double *>(prop->data);
            if (duration > 0) {
                movie->m_probe.duration = duration;
            }
        }
        break;
    case PropCacheTime:
        if (isStream && prop->format == MPV_FORMAT_DOUBLE) {
            movie->m_loadedTime = *static_cast<double *>(prop->data);
            checkStreamComplete();
        }
        break;
    case PropDWidth:
    case PropDHeight:
        // A stream whose probe gave no picture size learns it from the player.
        if (isStream && prop->format == MPV_FORMAT_INT64 && movie->m_probe.naturalSize.isEmpty()) {
            qint64 w = 0, h = 0;
            if (mpv_get_property(m_mpv, "dwidth", MPV_FORMAT_INT64, &w) >= 0
                && mpv_get_property(m_mpv, "dheight", MPV_FORMAT_INT64, &h) >= 0 && w > 0 && h > 0) {
                movie->m_probe.naturalSize = QSizeF(double(w), double(h));
                movie->m_probe.hasVideo = true;
            }
        }
        break;
    default:
        break;
    }
}

// A stream is complete once the cache holds it up to its end.
void QXMovieEngine::checkStreamComplete()
{
    QXMovie *movie = m_attached;
    if (!movie || movie->m_url.isLocalFile() || !m_playbackRestarted
        || movie->m_loadState < QXMovieLoadStatePlayable
        || movie->m_loadState >= QXMovieLoadStateComplete)
        return;
    const double duration = movie->m_probe.isIndefinite ? -1 : movie->m_probe.duration;
    bool cachedToEnd = duration > 0 && movie->m_loadedTime >= duration - 0.25;
    bool atEnd = false, eofCached = false;
    int64_t bytesAhead = -1;
    if (!cachedToEnd && m_mpv) {
        mpv_node state{};
        if (mpv_get_property(m_mpv, "demuxer-cache-state", MPV_FORMAT_NODE, &state) >= 0) {
            if (state.format == MPV_FORMAT_NODE_MAP)
                for (int i = 0; i < state.u.list->num; ++i) {
                    const char *key = state.u.list->keys[i];
                    const mpv_node &value = state.u.list->values[i];
                    if (value.format == MPV_FORMAT_FLAG && qstrcmp(key, "eof-cached") == 0)
                        eofCached = value.u.flag;
                    else if (value.format == MPV_FORMAT_FLAG && qstrcmp(key, "eof") == 0)
                        atEnd = value.u.flag;
                    else if (value.format == MPV_FORMAT_INT64 && qstrcmp(key, "fw-bytes") == 0)
                        bytesAhead = value.u.int64;
                }
            mpv_free_node_contents(&state);
        }
    }
    // Read to its end at its start with nothing in hand: an MP4 whose index is at its end, from
    // a server without byte ranges. The player would otherwise try forever to show a last frame.
    double t = 0;
    if ((atEnd || eofCached) && bytesAhead == 0 && duration > 2 && (!timePosition(&t) || t < 0.5)) {
        movie->playerFailed(tr("the stream ended before anything could be played"));
        return;
    }
    if (cachedToEnd || eofCached)
        movie->changeLoadState(QXMovieLoadStateComplete);
}

void QXMovieEngine::fileDidEnd(int reason, int error)
{
    QXMovie *movie = m_attached;
    const bool wasLoaded = m_fileLoaded;
    if (movie)
        movie->m_seekPending = false;
    m_seekWatch->stop();
    resetFileState();
    if (!movie)
        return;
    if (reason == MPV_END_FILE_REASON_ERROR) {
        QString why;
        switch (error) {
        case MPV_ERROR_UNKNOWN_FORMAT: why = tr("not a movie"); break;
        case MPV_ERROR_NOTHING_TO_PLAY: why = tr("nothing in it can be played"); break;
        case MPV_ERROR_LOADING_FAILED:
            why = movie->m_url.isLocalFile() ? tr("the file cannot be read") : tr("the stream cannot be loaded");
            break;
        default: why = QString::fromUtf8(mpv_error_string(error)); break;
        }
        movie->playerFailed(why);
    } else if (reason == MPV_END_FILE_REASON_EOF) {
        // An end before the file ever opened is a failure: a server that closed at once.
        if (!wasLoaded)
            movie->playerFailed(movie->m_url.isLocalFile() ? tr("the file cannot be read")
                                                   : tr("the server closed the connection"));
        else
            reachedEnd();
    }
}

void QXMovieEngine::reachedEnd()
{
    QXMovie *movie = m_attached;
    if (!movie)
        return;
    // Played to its end, a stream has been loaded whole.
    if (!movie->m_url.isLocalFile() && !movie->m_probe.isIndefinite
        && movie->m_loadState >= QXMovieLoadStatePlayable) {
        QPointer<QXMovie> guard(movie);
        movie->changeLoadState(QXMovieLoadStateComplete);
        if (!guard || guard != m_attached)
            return;   // an observer let go of it
    }
    movie->m_atEnd = true;
    if (!movie->m_probe.isIndefinite && movie->m_probe.duration > 0)
        movie->m_position = movie->m_probe.duration;
    // An end reached by seeking a paused movie is no end of playback.
    if (!movie->m_wantsPlay)
        return;
    movie->m_wantsPlay = false;
    if (movie->m_stopCallback) {
        std::function<void()> callback = std::move(movie->m_stopCallback);
        movie->m_stopCallback = nullptr;
        callback();
    }
}

bool QXMovieEngine::timePosition(double *seconds) const
{
    if (!m_fileLoaded || !m_hasTimePos)
        return false;
    *seconds = m_timePos;
    return true;
}

void QXMovieEngine::resetFileState()
{
    m_pendingStep = 0;
    m_hasTimePos = false;
    m_entryId = -1;
    m_fileStarted = false;
    m_fileLoaded = false;
    m_playbackRestarted = false;
    m_eofReached = false;
    m_tracks.clear();
    m_chapters.clear();
}

void QXMovieEngine::saveAttachedState()
{
    QXMovie *movie = m_attached;
    if (!movie || !m_fileLoaded)
        return;   // still loading: the position asked for stands
    double t = 0;
    if (m_eofReached) {
        movie->m_atEnd = true;
        if (!movie->m_probe.isIndefinite && movie->m_probe.duration > 0)
            movie->m_position = movie->m_probe.duration;
    } else if (!movie->m_seekPending && (readDouble("time-pos", &t) || timePosition(&t))) {
        // Asked afresh: the time of a seek that just landed may not have reached us yet.
        movie->m_position = qMax(0.0, t);
    }
}

void QXMovieEngine::attach(QXMovie *movie)
{
    if (!m_mpv)
        return;
    if (movie && movie == m_attached && m_entryId >= 0)
        return;
    if (m_attached != movie)
        saveAttachedState();
    m_attached = movie;
    loadAttached();
}

void QXMovieEngine::stopAttached()
{
    m_seekWatch->stop();
    resetFileState();
    command({"stop"});
}

void QXMovieEngine::loadAttached()
{
    QXMovie *movie = m_attached;
    const QUrl ahead = std::exchange(m_aheadUrl, QUrl());
    // Opened ahead for this movie at its start: what the movie wants is all the player needs.
    // A turned picture is not taken over: the unturned first frame could show before the turn.
    const bool takeOver = movie && m_entryId >= 0 && movie->m_url == ahead && movie->m_position <= 0
        && movie->m_angle == 0 && movie->m_loadState != QXMovieLoadStateError;
    if (!takeOver)
        resetFileState();
    if (!m_mpv)
        return;
    if (!movie || movie->m_loadState == QXMovieLoadStateError) {
        stopAttached();
        return;
    }
    // The volume before the pause is lifted on a file already open.
    setDouble("volume", double(movie->m_volume) * 100.0);
    setInt("video-rotate", movie->m_angle);
    setFlag("pause", !movie->m_wantsPlay);
    if (takeOver) {
        // Its lists came while no movie was attached.
        setSubtitleDelay(movie->m_subtitleDelay);
        emit movie->tracksDidChange();
        emit movie->chaptersDidChange();
        return;
    }

    const QByteArray address = movie->m_url.isLocalFile()
        ? QXFileNames::encode(QXFileNames::localPath(movie->m_url))
        : movie->m_url.toEncoded();
    // Tracks chosen for another movie are not this one's; its subtitle delay is its own.
    QByteArray options = "sid=auto,aid=auto,sub-delay=" + secondsText(movie->m_subtitleDelay);
    if (movie->m_position > 0)
        options += ",start=" + secondsText(movie->m_position);
    if (!loadFile(address, options))
        movie->changeLoadState(QXMovieLoadStateError);
}

bool QXMovieEngine::loadFile(const QByteArray &address, const QByteArray &options)
{
    const char *args[] = {"loadfile", address.constData(), "replace", options.constData(), nullptr};
    mpv_node result{};
    if (mpv_command_ret(m_mpv, args, &result) < 0)
        return false;
    if (m_renderer)
        m_renderer->awaitNextFile();
    if (result.format == MPV_FORMAT_NODE_MAP) {
        for (int i = 0; i < result.u.list->num; ++i)
            if (qstrcmp(result.u.list->keys[i], "playlist_entry_id") == 0
                && result.u.list->values[i].format == MPV_FORMAT_INT64)
                m_entryId = result.u.list->values[i].u.int64;
    }
    mpv_free_node_contents(&result);
    if (m_entryId < 0) {
        qint64 id = -1;
        if (mpv_get_property(m_mpv, "playlist/0/id", MPV_FORMAT_INT64, &id) >= 0)
            m_entryId = id;
    }
    return true;
}

void QXMovieEngine::loadAhead(const QUrl &url)
{
    if (!m_mpv || m_attached || m_entryId >= 0 || !url.isLocalFile())
        return;
    setFlag("pause", true);
    if (loadFile(QXFileNames::encode(QXFileNames::localPath(url)), QByteArray()))
        m_aheadUrl = url;
}

void QXMovieEngine::dropLoadAhead()
{
    if (m_aheadUrl.isEmpty() || m_attached)
        return;
    m_aheadUrl.clear();
    stopAttached();
}

void QXMovieEngine::seekAttached(double seconds)
{
    m_eofReached = false;
    if (!canSeekAttached()) {
        refuseSeek();
        return;
    }
    const QByteArray t = secondsText(seconds);
    m_seekSeen = false;
    command({"seek", t.constData(), "absolute+exact"});
    m_seekWatch->start();
}

bool QXMovieEngine::canSeekAttached() const
{
    bool seekable = true, partly = false;
    if (!readFlag("seekable", &seekable))
        return true;   // not known yet: let the player decide
    return seekable || (readFlag("partially-seekable", &partly) && partly);
}

void QXMovieEngine::stepFrame(bool forward)
{
    if (!m_playbackRestarted || (m_attached && m_attached->m_seekPending)) {
        m_pendingStep = forward ? 1 : -1;
        return;
    }
    command({forward ? "frame-step" : "frame-back-step"});
}

void QXMovieEngine::refuseSeek()
{
    m_seekWatch->stop();
    QXMovie *movie = m_attached;
    if (!movie)
        return;
    // The movie stays where the player is, not at the target it was asked for.
    movie->m_seekPending = false;
    double t = 0;
    if (timePosition(&t))
        movie->m_position = qMax(0.0, t);
    emit QXMovieCenter::shared()->seekRefused(movie);
}

void QXMovieEngine::setHardwareDecoding(bool on)
{
    // Each change of the choice restarts the decoder of the file playing.
    if (std::exchange(s_hardwareDecoding, on) == on)
        return;
    if (QXMovieEngine *engine = existing())
        mpv_set_property_string(engine->m_mpv, "hwdec", hardwareDecodingChoice().toUtf8().constData());
}

QString QXMovieEngine::hardwareDecodingChoice()
{
    if (!s_hardwareDecoding)
        return QStringLiteral("no");
    const QString forced = qEnvironmentVariable("VISTREL_HWDEC");
    if (!forced.isEmpty())
        return forced;
    // No decoder can work without a GPU's device, and trying each kind makes the vendors'
    // libraries (CUDA, VDPAU) say so on stderr: without one, software at once and silently.
    static const bool hasDevice = !QDir(QStringLiteral("/dev/dri")).entryList({QStringLiteral("renderD*")}, QDir::System).isEmpty()
        || QFileInfo::exists(QStringLiteral("/dev/nvidiactl"));
    return hasDevice ? QStringLiteral("auto-safe") : QStringLiteral("no");
}
