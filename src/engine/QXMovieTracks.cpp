#include "QXMovieTracks.h"

#include <QCoreApplication>
#include <QStringDecoder>
#include <QVariantMap>

#include <algorithm>
#include <cmath>

namespace {

QXTrack::Type trackType(const QString &name)
{
    if (name == QLatin1String("video"))
        return QXTrack::Type::Video;
    if (name == QLatin1String("audio"))
        return QXTrack::Type::Audio;
    if (name == QLatin1String("sub"))
        return QXTrack::Type::Subtitle;
    return QXTrack::Type::Other;
}

bool isWhole(const QVariant &v)
{
    return v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int;
}

// Seconds back from a chapter's start within which "previous" goes to the one before it.
constexpr double ChapterBackThreshold = 3.0;

} // namespace

QList<QXTrack> QXParseTrackList(const QVariant &list)
{
    QList<QXTrack> tracks;
    if (list.typeId() != QMetaType::QVariantList)
        return tracks;
    for (const QVariant &entry : list.toList()) {
        if (entry.typeId() != QMetaType::QVariantMap)
            continue;
        const QVariantMap m = entry.toMap();
        const QVariant id = m.value(QStringLiteral("id"));
        if (!isWhole(id) || id.toLongLong() <= 0)
            continue;
        QXTrack t;
        t.id = id.toLongLong();
        t.type = trackType(m.value(QStringLiteral("type")).toString());
        t.language = m.value(QStringLiteral("lang")).toString();
        t.title = m.value(QStringLiteral("title")).toString();
        t.external = m.value(QStringLiteral("external")).toBool();
        t.selected = m.value(QStringLiteral("selected")).toBool();
        // Newer players name it demux-channel-count, older ones audio-channels.
        for (const char *key : {"demux-channel-count", "audio-channels"}) {
            const QVariant c = m.value(QLatin1String(key));
            if (isWhole(c) && c.toLongLong() > 0) {
                t.channels = int(qMin<qint64>(c.toLongLong(), 64));
                break;
            }
        }
        // An added file without a title is known by its name.
        if (t.title.isEmpty() && t.external) {
            const QString file = m.value(QStringLiteral("external-filename")).toString();
            t.title = file.mid(file.lastIndexOf(u'/') + 1);
        }
        tracks.append(t);
    }
    return tracks;
}

QList<QXChapter> QXParseChapterList(const QVariant &list)
{
    QList<QXChapter> chapters;
    if (list.typeId() != QMetaType::QVariantList)
        return chapters;
    for (const QVariant &entry : list.toList()) {
        const QVariantMap m = entry.toMap();
        bool ok = false;
        const double start = m.value(QStringLiteral("time")).toDouble(&ok);
        if (!ok || !std::isfinite(start))
            continue;
        chapters.append({m.value(QStringLiteral("title")).toString(), qMax(0.0, start)});
    }
    std::stable_sort(chapters.begin(), chapters.end(),
                     [](const QXChapter &a, const QXChapter &b) { return a.start < b.start; });
    return chapters;
}

int QXChapterStepTarget(const QList<QXChapter> &chapters, double time, int step)
{
    if (chapters.isEmpty() || step == 0 || !std::isfinite(time))
        return -1;
    // The chapter playing: the last one begun (a small margin for a seek that landed just short).
    int current = -1;
    for (int i = 0; i < chapters.size(); ++i)
        if (chapters.at(i).start <= time + 0.05)
            current = i;
    if (step > 0) {
        const int target = current + step;
        return target < chapters.size() ? target : -1;
    }
    if (current < 0)
        return -1;
    const bool justBegun = time - chapters.at(current).start < ChapterBackThreshold;
    const int target = justBegun ? current + step : current + step + 1;
    return target >= 0 ? target : (justBegun ? -1 : 0);
}

qint64 QXNextTrackId(const QList<QXTrack> &tracks, QXTrack::Type type, int step)
{
    QList<qint64> ids;
    int at = -1;
    for (const QXTrack &t : tracks) {
        if (t.type != type)
            continue;
        if (t.selected)
            at = int(ids.size());
        ids.append(t.id);
    }
    if (ids.isEmpty() || step == 0)
        return -1;
    // Subtitles have "none" as one more place in the ring, at its end; other types do not.
    const bool withNone = type == QXTrack::Type::Subtitle;
    const int places = int(ids.size()) + (withNone ? 1 : 0);
    if (at < 0)
        at = withNone ? int(ids.size()) : (step > 0 ? -1 : 0);
    const int next = ((at + step) % places + places) % places;
    return next < ids.size() ? ids.at(next) : 0;
}

QString QXSubtitleFileProblem(qint64 size, const QByteArray &head)
{
    if (size > QXSubtitleFileLimit)
        return QCoreApplication::translate("QXMovieTracks", "the file is too large for subtitles");
    if (size <= 0)
        return QCoreApplication::translate("QXMovieTracks", "the file is empty");
    // Text in any of the encodings subtitles come in has no NUL bytes outside UTF-16, which
    // announces itself with its byte order mark.
    const bool utf16 = head.startsWith("\xff\xfe") || head.startsWith("\xfe\xff");
    if (!utf16 && head.contains('\0'))
        return QCoreApplication::translate("QXMovieTracks", "the file is not text");
    return {};
}

bool QXSubtitleTextIsGuessed(const QByteArray &head)
{
    if (head.startsWith("\xff\xfe") || head.startsWith("\xfe\xff"))
        return false;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(head);   // decoded only once made a string
    Q_UNUSED(text);
    return decoder.hasError();
}
