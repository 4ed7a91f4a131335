#pragma once
// The one mpv player of the process. Only the movie shown in the view is attached to it;
// attaching another movie saves the current one's position and loads the new one's file at
// its own saved position, so a movie that is not on screen costs no decoder.
//
// mpv calls back on its own threads; those callbacks only post to the main thread, which
// drains the event queue and keeps the attached movie's state.
#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include "QXMovieTracks.h"

#include <atomic>
#include <functional>

struct mpv_handle;
struct mpv_event;
class QTimer;
class QXMovie;
class QXVideoRenderer;

class QXMovieEngine : public QObject
{
    Q_OBJECT
public:
    // The player, made on first use; nullptr without an application object or after the
    // application has begun to quit.
    static QXMovieEngine *shared();
    // The player if it was made and is still alive, without making it.
    static QXMovieEngine *existing();
    // mpv handles alive in this process (0 or 1).
    static int liveHandleCount();

    mpv_handle *handle() const { return m_mpv; }
    // What draws the pictures through mpv's render API; nullptr for another video output
    // such as VISTREL_VO=null.
    QXVideoRenderer *renderer() const { return m_renderer; }

    QXMovie *attachedMovie() const { return m_attached; }
    // Saves the attached movie's state and loads the given one (nullptr: stops playback).
    void attach(QXMovie *movie);
    // Opens a file, paused at its start, before its movie is made (at launch, while the window
    // is made): the movie of that address attached next at its start takes the file over
    // rather than loading it again. Nothing while a movie is attached or a file loads.
    void loadAhead(const QUrl &url);
    // Closes the file opened ahead when no movie took it over.
    void dropLoadAhead();
    // The file of the attached movie is open (its duration and time are known to mpv).
    bool isFileLoaded() const { return m_fileLoaded; }
    // A file is loading or open for the attached movie (false after its end or an error).
    bool hasFile() const { return m_entryId >= 0; }
    // The attached movie's picture reached the video output.
    bool isVideoConfigured() const { return m_videoConfigured; }
    // The attached file has shown its first frame or sound since it was loaded.
    bool hasRestartedPlayback() const { return m_playbackRestarted; }

    // Frees the render context and destroys the handle. Called when the application quits;
    // later calls of shared() answer nullptr.
    void shutdown();

    void setKeepAspect(bool keep);

    // Playback speed of whatever plays, kept across movies; the pitch stays (mpv corrects it).
    void setSpeed(double speed);
    double speed() const { return m_speed; }

    // The engine's safe automatic choice of a hardware decoder (falling back to software where
    // none works), or software alone. Set before the player is made, it also decides whether
    // the OpenGL interop is loaded at all; later it takes effect at once (the decoder restarts).
    static void setHardwareDecoding(bool on);
    // What the player is told: "auto-safe" when on and the machine has a GPU's device,
    // VISTREL_HWDEC instead when that is set, else "no".
    static QString hardwareDecodingChoice();
    // The choice in force and the decoder in use for the playing file ("no" in software, else
    // the decoder's name), as the player reports them.
    QString hardwareDecoding() const;
    QString hardwareDecoderInUse() const;

    // Writes the attached file's frame now shown, at the movie's own resolution, with the
    // subtitles only when they show, to path (PNG by its name). done runs on the main thread
    // with an empty text once written, else why not.
    void saveFrame(const QString &path, std::function<void(const QString &)> done);

signals:
    // Emitted before the handle goes away; the owner of a render context frees it now.
    void aboutToShutDown();
    // The attached movie's video output was (re)configured or went away.
    void videoConfiguredChanged(bool configured);
    // The attached file plays (or stands paused) at its start or saved position.
    void playbackRestarted();

private:
    friend class QXMovie;
    QXMovieEngine();
    ~QXMovieEngine() override;
    bool start();

    void drainEvents();
    void handleEvent(const mpv_event *event);
    void handlePropertyChange(const mpv_event *event);
    void reachedEnd();
    void checkStreamComplete();
    void loadAttached();
    // loadfile, replacing what plays; false when the player refuses it.
    bool loadFile(const QByteArray &address, const QByteArray &options);
    void stopAttached();
    void saveAttachedState();
    void resetFileState();
    void fileDidEnd(int reason, int error);

    // For QXMovie, acting on the attached movie.
    bool readDouble(const char *name, double *value) const;
    // The attached file's position as the player last reported it.
    bool timePosition(double *seconds) const;
    bool eofReached() const { return m_eofReached; }
    bool readFlag(const char *name, bool *value) const;
    void setFlag(const char *name, bool value);
    void setDouble(const char *name, double value);
    void setInt(const char *name, qint64 value);
    bool changesSetting(const char *name, double value);
    void command(std::initializer_list<const char *> args);
    QString readString(const char *name) const;
    // Without waiting for the player (it may be opening a file); done, when given, runs on the
    // main thread with an empty text once carried out, else why not.
    void commandAsync(std::initializer_list<const char *> args, std::function<void(const QString &)> done = {});
    void setSubtitleDelay(double seconds);
    void seekAttached(double seconds);
    // A step asked for while the player still seeks (a file opening at its remembered place)
    // would be taken by that seek's first frame: it waits for the seek to land.
    void stepFrame(bool forward);
    bool canSeekAttached() const;
    void refuseSeek();

    mpv_handle *m_mpv = nullptr;
    QXVideoRenderer *m_renderer = nullptr;
    // A seek shows as a seek event at once when the player carries it out; one that does not
    // was refused (a stream without byte ranges).
    QTimer *m_seekWatch = nullptr;
    bool m_seekSeen = false;
    std::atomic<bool> m_wakeupPosted{false};
    QPointer<QXMovie> m_attached;
    QUrl m_aheadUrl;   // the file opened by loadAhead, until attach takes it or not
    // Per loaded file. mpv numbers each loadfile; events of an earlier entry are ignored.
    qint64 m_entryId = -1;
    bool m_fileStarted = false;
    bool m_fileLoaded = false;
    bool m_playbackRestarted = false;
    bool m_videoConfigured = false;
    bool m_saidNoSound = false;
    bool m_eofReached = false;
    QHash<QByteArray, double> m_sentSettings;
    int m_pendingStep = 0;
    QList<QXTrack> m_tracks;
    QList<QXChapter> m_chapters;
    bool m_hasTimePos = false;
    double m_timePos = 0;
    double m_speed = 1.0;
    // Commands whose answer comes later, by their reply number.
    QHash<quint64, std::function<void(const QString &)>> m_replies;
    quint64 m_lastReply = 0;
};
