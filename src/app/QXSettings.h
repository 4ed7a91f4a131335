#pragma once
// The per-user settings store: one JSON object in $XDG_CONFIG_HOME/Vistrel/settings.json,
// rewritten atomically after changes so a crash or a full disk never leaves a half-written
// file. The stored playlist, which can run to megabytes, lives in playlist.json beside it and
// is written only at quit, so a setting change costs a few hundred bytes.
#include <QColor>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <memory>

class QTimer;

namespace QXKeys {
inline const QString DoNotForgetPlaylistOnQuit = QStringLiteral("Do Not Forget Playlist On Quit");
inline const QString ForgetPlaylistOnOpen = QStringLiteral("Forget Playlist On Open");
inline const QString ForgetPlaylistOnClose = QStringLiteral("Forget Playlist On Close");
// Where older versions kept the stored playlist; moved to the playlist file at load.
inline const QString PlaylistMovies = QStringLiteral("Playlist Movies");
inline const QString ForgetRotation = QStringLiteral("Forget Rotation");
inline const QString RotatedMovies = QStringLiteral("Rotated Movies");
inline const QString RotateCounterclockwise = QStringLiteral("Rotate Counterclockwise");
inline const QString DoNotPlayOnOpen = QStringLiteral("Do Not Play On Open");
inline const QString DoNotPlayOnPresent = QStringLiteral("Do Not Play On Present");
inline const QString PauseOnWindow = QStringLiteral("Pause On Window");
inline const QString DoNotPauseOnClose = QStringLiteral("Do Not Pause On Close");
inline const QString QuitOnClose = QStringLiteral("Quit On Close");
inline const QString DoNotPauseOnUserSwitch = QStringLiteral("Do Not Pause On User Switch");
inline const QString DoNotShowWindowOnStartup = QStringLiteral("Do Not Show Window On Startup");
inline const QString PlayerHasBeenCentered = QStringLiteral("Player Has Been Centered");
// Where the user left the player window ({"x", "y"} of its client area), kept across launches.
inline const QString PlayerWindowPosition = QStringLiteral("Player Window Position");
inline const QString HidePlaylist = QStringLiteral("Hide Playlist");
inline const QString VariableAspectRatio = QStringLiteral("Variable Aspect Ratio");
inline const QString OverlayControlsInWindowMode = QStringLiteral("Overlay Controls In Window Mode");
inline const QString ShowWindButtons = QStringLiteral("Show Wind Buttons");
inline const QString HideFileExtensions = QStringLiteral("Hide File Extensions");
// On by default: movies start where they were left in an earlier launch (QXResumeKeeper).
inline const QString DoNotResumeMovies = QStringLiteral("Do Not Resume Movies");
// On by default: the engine picks a hardware decoder where one works.
inline const QString DoNotUseHardwareDecoding = QStringLiteral("Do Not Use Hardware Decoding");
inline const QString PresentationMode = QStringLiteral("Presentation Mode");
inline const QString StepInterval = QStringLiteral("Step Interval");
inline const QString ControlInterval = QStringLiteral("Control Interval");
inline const QString Volume = QStringLiteral("Volume");
inline const QString DividerWidthFormat = QStringLiteral("QXTarvelShiftButton Left Width %1");
inline const QString PlaylistDividerName = QStringLiteral("PlaylistDivider");
inline const QString UpdateCheckAtStartup = QStringLiteral("QXRWUpdateCheckerCheckAtStartup");
inline const QString UpdateLastCheckDate = QStringLiteral("QXRWUpdateCheckerLastCheckDate");
inline const QString UpdateStatus = QStringLiteral("QXRWUpdateCheckerStatus");
inline const QString UpdateStatusDate = QStringLiteral("QXRWUpdateCheckerStatusDate");
inline const QString UpdateStatusVersion = QStringLiteral("QXRWUpdateCheckerStatusVersion");
inline const QString UpdateStatusColor = QStringLiteral("QXRWUpdateCheckerStatusColor");
// Keys of one stored playlist entry.
inline const QString EntryPath = QStringLiteral("Path");
inline const QString EntryURL = QStringLiteral("URL");
} // namespace QXKeys

class QXSettings
{
public:
    // The user's store, loaded on first use from standardFilePath().
    static QXSettings &standard();
    // Drops the loaded standard store so the next standard() reads the file again (tests).
    static void resetStandard();
    // $XDG_CONFIG_HOME/Vistrel/settings.json, or ~/.config/Vistrel/settings.json.
    static QString standardFilePath();

    // Loads the file. A file that cannot be read or parsed as a JSON object, a named pipe or a
    // file over MaxFileBytes is renamed aside (never deleted) and the store starts empty; a
    // line on stderr says where it went. A device in the file's place is not read and never
    // written over. Temporary files left by a write that was killed midway are removed.
    // A file that can be neither read nor moved aside is never written over: changes then
    // stay in memory and every setter answers false.
    // The playlist file of settings moved aside goes aside with them ("playlist.json.kept-…",
    // said on stderr); with settings neither read nor moved, it is never written or removed.
    // A "Playlist Movies" key left by an older version is moved to the playlist file: the
    // key leaves the settings file only once the playlist file is written.
    explicit QXSettings(const QString &filePath);
    // Writes what is still pending.
    ~QXSettings();
    QXSettings(const QXSettings &) = delete;
    QXSettings &operator=(const QXSettings &) = delete;

    QString filePath() const { return m_path; }
    // Where a corrupt file was moved at load, or empty.
    QString movedAsidePath() const { return m_movedAside; }

    bool hasKey(const QString &key) const;
    // Absent or unconvertible values read as false / 0 / an undefined value.
    bool boolForKey(const QString &key) const;
    qint64 integerForKey(const QString &key) const;
    double doubleForKey(const QString &key) const;
    QJsonValue objectForKey(const QString &key) const;

    // A change is seen by readers at once. The file is written at once when the last write
    // is WriteIntervalMs old, else once that much time has passed since it (by a timer, when
    // this thread runs an event loop; else by the next change, flush() or the destructor), so
    // a dragged slider costs at most four writes a second. Setters answer false when the
    // write failed (the value is still held in memory); after a failure every change is
    // written at once until a write succeeds.
    bool setBool(bool value, const QString &key);
    bool setInteger(qint64 value, const QString &key);
    bool setFloat(double value, const QString &key);
    bool setObject(const QJsonValue &value, const QString &key);
    bool removeObjectForKey(const QString &key);
    // Removes the key only if a value is present; no write otherwise.
    void tryToRemoveObjectForKey(const QString &key);

    // Colours are kept as portable text ("#aarrggbb"); an invalid colour leaves the key as is.
    void setColor(const QColor &color, const QString &key);
    // An invalid QColor when absent or unreadable.
    QColor colorForKey(const QString &key) const;

    // Writes pending changes now (and retries a failed write); true when all is on disk.
    bool flush();

    QJsonObject toJson() const { return m_values; }

    // The stored playlist: "playlist.json" beside the settings file, a JSON array of
    // {"Path": "~/..."} or {"URL": "..."} objects, one a line.
    QString playlistFilePath() const;
    // Read from the file each time (the player does so once, at launch). A file that cannot
    // be read or holds no array is moved aside as a broken settings file is, and reads as
    // empty; a device is not read.
    QJsonArray storedPlaylist();
    // Writes the playlist file atomically, then drops the older key; false, with a line on
    // stderr, when the file could not be written.
    bool setStoredPlaylist(const QJsonArray &entries);
    // Removes the playlist file and the older key. A link stays a link (the file it leads to
    // is emptied); a device, a pipe or a folder in its place is left alone.
    void removeStoredPlaylist();

    // A longer file is moved aside unread.
    static constexpr qint64 MaxFileBytes = 16 << 20;
    // Room for 200,000 entries of 300 bytes.
    static constexpr qint64 MaxPlaylistFileBytes = 64 << 20;
    static constexpr int WriteIntervalMs = 250;

private:
    bool write();
    // Writes now or schedules the write, by the time since the last one.
    bool save();
    void scheduleWrite();
    void load();
    void parse(const QByteArray &bytes);
    void migratePlaylist();
    // Renames a file aside as "<path><label><time>", says so on stderr; false when it could not.
    bool moveAside(const QString &path, const QString &problem, QString *target,
                   const QString &label = QStringLiteral(".corrupt-"));
    void keepPlaylistOfUnreadSettings();
    bool put(const QString &key, const QJsonValue &value);

    QString m_path;
    QString m_movedAside;
    QJsonObject m_values;
    // A file we could neither read nor move aside, or a device: never written over, changes
    // stay in memory.
    bool m_writeBlocked = false;
    // The last write failed; the next call writes even if its value is unchanged.
    bool m_unsaved = false;
    // Changes held until WriteIntervalMs after the last write.
    bool m_pending = false;
    QElapsedTimer m_lastWrite;
    std::unique_ptr<QTimer> m_writeTimer;
    // A broken playlist file that could not be moved aside: never written over.
    bool m_playlistWriteBlocked = false;
};

// Readers with the fallbacks every caller shares.
int QXStepInterval(const QXSettings &settings);    // below 1 or absent: 10
double QXControlInterval(const QXSettings &settings); // below 1 or absent: 5.0
// Seconds as a QTimer interval: clamped to 0 ... INT_MAX ms, so a huge or infinite value waits
// as long as a timer can instead of wrapping round; NaN gives 0.
int QXTimerIntervalMs(double seconds);
float QXVolume(const QXSettings &settings);        // absent: 1.0; clamped to 0.0 ... 1.0

// Dictionary helpers for the rotation table.
void QXDictSetInteger(QJsonObject &dict, qint64 value, const QString &key);
void QXDictTryToRemoveObjectForKey(QJsonObject &dict, const QString &key);
// The value's integer value when it has one (numbers, numeric text, booleans), else 0.
qint64 QXDictIntegerForKey(const QJsonObject &dict, const QString &key);
