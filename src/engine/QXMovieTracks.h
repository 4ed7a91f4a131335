#pragma once
// The attached movie's tracks and chapters as plain values, read from the player's lists, and
// the checks a subtitle file passes before the player is given it.
#include <QList>
#include <QString>
#include <QVariant>

struct QXTrack
{
    enum class Type { Video, Audio, Subtitle, Other };
    qint64 id = 0;              // the player's number within its type
    Type type = Type::Other;
    QString language;           // as the file says ("en", "ger"), empty when it says none
    QString title;
    bool external = false;      // added from a file of its own
    bool selected = false;
    int channels = 0;           // audio only; 0 when unknown
    bool operator==(const QXTrack &) const = default;
};

struct QXChapter
{
    QString title;
    double start = 0;           // seconds
    bool operator==(const QXChapter &) const = default;
};

// The player's "track-list" and "chapter-list" as variants (lists of maps); entries without an
// id or a time, or of a form the player never gives, are left out. Chapters come by start.
QList<QXTrack> QXParseTrackList(const QVariant &list);
QList<QXChapter> QXParseChapterList(const QVariant &list);

// The index of the chapter a step (+1 next, -1 previous) from the time lands on, or -1 when
// there is none that way. Back within the first seconds of a chapter goes to the one before,
// later to the start of the one playing, as players do.
int QXChapterStepTarget(const QList<QXChapter> &chapters, double time, int step);

// The id of the track of the type a step from the selected one lands on, in the list's order;
// subtitles pass through "none" (0) between the last and the first. -1: no such track.
qint64 QXNextTrackId(const QList<QXTrack> &tracks, QXTrack::Type type, int step);

// Why a subtitle file cannot be handed to the player, or an empty text: too large to be
// subtitles, or not text at all. size is the file's, head its first bytes.
QString QXSubtitleFileProblem(qint64 size, const QByteArray &head);
// Its text is not UTF-8 (the player then guesses the encoding).
bool QXSubtitleTextIsGuessed(const QByteArray &head);
constexpr qint64 QXSubtitleFileLimit = 20 * 1024 * 1024;
