#pragma once
// Where movies were left, kept across launches: "positions.json" beside the settings, the
// 1,000 movies left most recently, each by a digest of its address (so the file stays small
// whatever the names) with the second it was left at. Written like the other stored files,
// atomically and checked; a file that cannot be read as such is moved aside, never trusted.
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>
#include <utility>

class QTimer;
class QXMovie;

// A movie left more than 10 s in and before its last 5 % is kept at that second; any other
// (near its start or end, without a known length) is forgotten.
std::optional<double> QXPositionToKeep(double position, double duration);
// "0:42:10": the time a resumed movie starts at.
QString QXResumeTimeText(double seconds);

// The positions themselves, most recent first; no file, no clock.
class QXPositionStore
{
public:
    static constexpr int Capacity = 1000;

    // The digest an address is kept by (40 hex digits).
    static QByteArray keyOf(const QByteArray &address);

    int count() const { return int(m_entries.size()); }
    std::optional<double> position(const QByteArray &key) const;
    // Keeps the position as the most recent; the oldest goes past Capacity.
    void record(const QByteArray &key, double seconds);
    void forget(const QByteArray &key);

    // One entry a line: ["<key>", seconds].
    QByteArray toBytes() const;
    // The store the bytes hold, or none (and why) when any part of them is not as written.
    static std::optional<QXPositionStore> fromBytes(const QByteArray &bytes, QString *problem);

private:
    QList<std::pair<QByteArray, double>> m_entries;
};

// Follows the current movie: the movie file left is recorded, one opened for the first time in
// this run starts where it was left (with a short message on the picture). Off while the
// settings say "Do Not Resume Movies".
class QXResumeKeeper : public QObject
{
    Q_OBJECT
public:
    // filePath: the store's file (QXResumeKeeper::standardFilePath() beside the settings).
    explicit QXResumeKeeper(const QString &filePath, QObject *parent = nullptr);
    ~QXResumeKeeper() override;
    static QString standardFilePath();

    // The current movie is now that (none: nothing is current); the one before is left.
    void currentMovieChanged(QXMovie *movie, const QByteArray &address);
    // The current movie is left (quit); everything recorded is written now.
    void leaveCurrentMovie();
    // Writes what is pending; true when it is on disk (or nothing was pending).
    bool flush();

    // The store as loaded (for tests and the benchmark).
    const QXPositionStore &store();

    // Delay of the write after a movie is left, so switching movies does not wait on the disk.
    static constexpr int WriteDelayMs = 1000;
    // A longer file is set aside unread.
    static constexpr qint64 MaxFileBytes = 1 << 20;

private:
    void load();
    void record(QXMovie *movie, const QByteArray &address);
    bool enabled() const;

    QString m_path;
    QXPositionStore m_store;
    bool m_loaded = false;
    // A device in the file's place, or a broken file that could not be moved: never written.
    bool m_writeBlocked = false;
    bool m_dirty = false;
    bool m_saidWriteFailed = false;
    QTimer *m_writeTimer = nullptr;
    QPointer<QXMovie> m_current;
    QByteArray m_currentAddress;
};
