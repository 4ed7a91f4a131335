#pragma once
// A movie as the rest of the player sees it. Attributes come from a fast synchronous probe
// (libavformat) when the movie is made; playback runs on the shared mpv player
// (QXMovieEngine), which only the movie shown in the view is attached to. A movie that is
// not attached keeps its position, rate wish, volume and angle and hands them to the player
// when it is attached again, so any number of playlist entries cost no decoder each.
#include "QXMovieTracks.h"

#include <QObject>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <atomic>
#include <functional>
#include <memory>

// A time as count + units per second; flag 1 marks an indefinite time (a live stream).
struct QXTime
{
    qint64 timeValue = 0;
    qint32 timeScale = 1000;
    qint32 flags = 0;

    static constexpr qint32 IndefiniteFlag = 1;
    bool isIndefinite() const { return flags & IndefiniteFlag; }
    double seconds() const { return timeScale > 0 ? double(timeValue) / timeScale : 0.0; }
    static QXTime fromSeconds(double seconds, qint32 scale = 1000);
    static QXTime indefinite();
};

// What a probe tells before playback.
struct QXMovieProbe
{
    bool canOpen = false;
    bool hasVideo = false;
    bool hasAudio = false;
    QSizeF naturalSize;          // display size, aspect-corrected; empty without video
    double duration = -1.0;      // seconds; below 0 when unknown or indefinite
    bool isIndefinite = false;   // a live stream
    int rotation = 0;            // the file's own clockwise turn, applied by the player
    QString failure;             // why it cannot be opened, when canOpen is false
    // The server answered with a web page (HTML) rather than a movie: a page that may show
    // one, which the engine does not open.
    bool isWebPage = false;
};

// Content probe of a local file: opens the container, reads stream headers, never decodes
// frames. Images, text and unknown data answer canOpen = false.
QXMovieProbe QXProbeMovieFile(const QString &path);
// The same for a web address, with a time-out so a dead server cannot hang the caller; gives
// up early once *cancel turns true.
QXMovieProbe QXProbeMovieURL(const QUrl &url, int timeoutMs = 5000, const std::atomic<bool> *cancel = nullptr);
// The same on a probe thread of its own (dead servers do not queue behind each other); done
// runs on receiver's thread, and not at all once receiver is gone.
void QXProbeMovieURLAsync(const QUrl &url, std::shared_ptr<std::atomic<bool>> cancel, QObject *receiver,
                          std::function<void(const QXMovieProbe &)> done);
// Ends every web probe still running (at quit) and waits briefly for their threads.
void QXCancelMovieProbes();

// Load states, in the engine's long-integer scale; playable is 10000 and above.
enum QXMovieLoadState : long {
    QXMovieLoadStateError = -1,
    QXMovieLoadStateLoading = 1000,
    QXMovieLoadStateLoaded = 2000,
    QXMovieLoadStatePlayable = 10000,
    QXMovieLoadStatePlaythroughOK = 20000,
    QXMovieLoadStateComplete = 100000,
};

class QXMovieEngine;

class QXMovie : public QObject
{
    Q_OBJECT
public:
    static bool canInitWithFile(const QString &path);
    // The same for the regular file listed as name (its bytes; fileName decoded) in the
    // folder open as folderFd: a walk that knows the entry's type needs no stat of its path.
    static bool canInitWithFileAt(int folderFd, const char *name, const QString &fileName);
    static bool canInitWithURL(const QUrl &url);
    // A new movie, or nullptr when the address cannot be opened. A web address gives a movie at
    // once, in the loading state: it is probed on a thread of its own and goes to the loaded
    // or the error state when the answer comes (the main thread never waits on the network).
    static QXMovie *movieWithURL(const QUrl &url, QObject *parent = nullptr);
    static QXMovie *movieWithFile(const QString &path, QObject *parent = nullptr);
    ~QXMovie() override;

    QUrl url() const { return m_url; }

    // Attributes.
    bool hasVideo() const;
    QSizeF naturalSize() const;      // unrotated display size
    long loadState() const;
    // Why the movie cannot be played, once its load state is the error state.
    QString failureReason() const { return m_failure; }
    // Failed because its address is a web page (see QXMovieProbe::isWebPage).
    bool isWebPage() const { return m_isWebPage; }

    // Playback; callable attached or not.
    void play();
    void stop();                     // rate 0
    float rate() const;              // non-zero while playing
    bool isPlaying() const { return rate() != 0.0f; }
    QXTime currentTime() const;      // indefinite for a live stream
    // Seeks; a stream that cannot seek there keeps its place (see QXMovieCenter::seekRefused).
    void setCurrentTime(const QXTime &time);
    QXTime duration() const;         // indefinite for a live stream
    void stepForward();
    void stepBackward();
    float volume() const;            // 0.0 ... 1.0
    void setVolume(float volume);
    // How far a stream has loaded, in seconds of movie time; the duration for a local file.
    double maxLoadedTime() const;

    // A short message drawn on the picture for a while (a changed setting, where a file went);
    // nothing while the movie is not attached.
    void showMessage(const QString &text, int durationMs = 2000);
    // Saves the frame shown (QXMovieEngine::saveFrame); done answers at once, with the reason,
    // while the movie is not attached.
    void saveFrame(const QString &path, std::function<void(const QString &)> done);

    // The attached movie's tracks and chapters as the player lists them (none while detached);
    // tracksDidChange and chaptersDidChange say when they change.
    QList<QXTrack> tracks() const;
    QList<QXChapter> chapters() const;
    // Shows or plays that track (subtitles: 0 for none); false when not attached or there is
    // no such track.
    bool selectTrack(QXTrack::Type type, qint64 id);
    // Adds a subtitle file to the attached movie and shows it. Empty when it went to the
    // player, else why not; a file the player cannot read is told later by subtitleFailed.
    // The movie keeps it: shown again, the last one added is shown.
    // guessedEncoding: its text is not UTF-8, and the player guesses how it is written.
    QString addSubtitleFile(const QString &path, bool *guessedEncoding = nullptr);
    // How late subtitles show, in seconds (negative: early); kept while detached.
    double subtitleDelay() const { return m_subtitleDelay; }
    void setSubtitleDelay(double seconds);
    // Goes to the start of the chapter a step away (QXChapterStepTarget); false when none.
    bool stepChapter(int step);

    // Rotation in whole degrees, 0 ... 359 (applied as the picture's rotation).
    int angle() const { return m_angle; }
    void setAngle(int degrees);

    // One-shot end-of-movie callback: fires once when playback reaches the end while playing
    // forward, then is gone until armed again. False (and nothing armed) when it cannot be
    // armed.
    bool armStopCallback(std::function<void()> callback);
    void disposeStopCallback();
    bool isStopCallbackArmed() const { return bool(m_stopCallback); }

    bool isAttached() const;

signals:
    // Posted as the movie loads (also via QXMovieCenter for "any movie").
    void loadStateDidChange();
    void tracksDidChange();
    void chaptersDidChange();
    // The player could not read a subtitle file given to addSubtitleFile.
    void subtitleFailed(const QString &reason);

private:
    explicit QXMovie(const QUrl &url, const QXMovieProbe &probe, QObject *parent);
    friend class QXMovieEngine;
    // The player when this movie is the one attached to it, else nullptr.
    QXMovieEngine *attachedEngine() const;
    void changeLoadState(long state);
    void fail(const QString &reason);
    // The player could not open it; a probe still under way gives the better reason.
    void playerFailed(const QString &reason);
    void probeFinished(const QXMovieProbe &probe);
    // Playable once the probe answered and the player has the file open.
    void updateStreamState();

    QUrl m_url;
    QXMovieProbe m_probe;
    long m_loadState = QXMovieLoadStateLoading;
    double m_position = 0.0;         // kept while detached
    bool m_wantsPlay = false;
    float m_volume = 1.0f;
    int m_angle = 0;
    double m_subtitleDelay = 0;
    QStringList m_subtitleFiles;   // added to it, added again each time its file is opened
    bool m_atEnd = false;
    bool m_seekPending = false;      // the player has not reached m_position yet
    double m_loadedTime = 0.0;       // a stream's loaded extent, kept while detached
    bool m_probed = false;           // the probe has answered (at once for a local file)
    QString m_failure;
    QString m_playerFailure;
    bool m_isWebPage = false;
    std::shared_ptr<std::atomic<bool>> m_cancelProbe;
    std::function<void()> m_stopCallback;
};

// Posts the load-state change of any movie, for observers that watch them all.
class QXMovieCenter : public QObject
{
    Q_OBJECT
public:
    static QXMovieCenter *shared();
signals:
    void movieLoadStateDidChange(QXMovie *movie);
    // A seek the player could not carry out (a stream without byte ranges); the movie stays
    // where the player is.
    void seekRefused(QXMovie *movie);
    // The movie was sent to another time (a seek asked for, not playback going on).
    void movieSought(QXMovie *movie);
};
