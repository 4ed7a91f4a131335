// Synchronous probes through libavformat. Nothing here decodes a frame: a folder walk asks
// canInitWithFile of thousands of files, so the cheap tests (file kind, name, 4 KB of
// content) settle most answers before a container is ever opened.
#include "QXMovie.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QSet>

#include <mutex>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/log.h>
#include <libavutil/time.h>
}

namespace {

constexpr int ContentProbeBytes = 4096;
constexpr int LongContentProbeBytes = 65536;
constexpr int LocalOpenTimeoutMs = 10000;   // a stalled network mount, not a normal file

void initLibav()
{
    static std::once_flag once;
    std::call_once(once, [] {
        av_log_set_level(AV_LOG_QUIET);
        avformat_network_init();
    });
}

// Application types that hold audio or video without saying so in their name.
bool isContainerMime(const QString &name)
{
    static const QSet<QString> containers{
        "application/ogg", "application/x-ogg", "application/x-matroska",
        "application/vnd.rn-realmedia", "application/vnd.rn-realmedia-vbr", "application/mxf",
        "application/vnd.ms-asf", "application/x-flash-video"};
    return containers.contains(name);
}

bool mimeMayBeMovie(const QMimeType &type)
{
    const QStringList ancestors = type.allAncestors();
    // Playlists and subtitles are text even when their type says audio/ (audio/x-mpegurl).
    if (ancestors.contains("text/plain"))
        return false;
    const QString name = type.name();
    if (name.startsWith("video/") || name.startsWith("audio/") || isContainerMime(name))
        return true;
    for (const QString &a : ancestors)
        if (a.startsWith("video/") || a.startsWith("audio/") || isContainerMime(a))
            return true;
    return false;
}

// True when the file name alone says this is something other than a movie (an image, a
// text, a document, an archive...). Names that say nothing, or that could be a movie
// (".ts" is both a Qt translation and MPEG-TS), are left to the content probe.
bool nameSaysNoMovie(const QString &fileName)
{
    static QMimeDatabase db;
    const QList<QMimeType> candidates = db.mimeTypesForFileName(fileName);
    if (candidates.isEmpty())
        return false;
    for (const QMimeType &type : candidates)
        if (mimeMayBeMovie(type))
            return false;
    return true;
}

// Demuxers that open things which are no movie to play: still images, text art,
// subtitles, playlists and metadata files, and virtual devices.
bool isRejectedFormat(const AVInputFormat *format)
{
    if (!format || !format->name)
        return true;
    if (format->flags & AVFMT_NOFILE)
        return true;
    const QByteArray name(format->name);
    if (name.endsWith("_pipe") || name.startsWith("image2"))
        return true;
    static const QSet<QByteArray> rejected{
        // pictures
        "mjpeg", "mjpeg_2000", "gif", "apng", "fits", "alias_pix", "brender_pix", "frm", "ico",
        "txd", "vbn", "jpegxl_anim",
        // text art
        "tty", "bin", "xbin", "adf", "idf", "ansi",
        // subtitles
        "srt", "ass", "webvtt", "subviewer", "subviewer1", "microdvd", "sami", "mpl2",
        "mpsub", "jacosub", "lrc", "pjs", "realtext", "stl", "vplayer", "aqtitle", "scc",
        "mcc", "sup", "vobsub", "tedcaptions", "dvbsub", "dvbtxt",
        // playlists, metadata, descriptions of other files
        "ffmetadata", "concat", "hls", "dash", "imf", "sdp", "data", "lavfi"};
    return rejected.contains(name);
}

bool isRegularReadableFile(const QString &path, QFileInfo *infoOut = nullptr)
{
    QFileInfo info(path);
    if (!info.exists() || !info.isFile() || info.size() <= 0)
        return false;
    if (infoOut)
        *infoOut = info;
    return true;
}

// An ID3v2 tag (often with cover art) can fill many kilobytes before the first audio frame;
// the content is what follows it.
qint64 id3v2Length(const QByteArray &head)
{
    if (head.size() < 10 || !head.startsWith("ID3"))
        return 0;
    const auto b = reinterpret_cast<const uchar *>(head.constData());
    if ((b[6] | b[7] | b[8] | b[9]) & 0x80)
        return 0;
    const qint64 size = (qint64(b[6]) << 21) | (qint64(b[7]) << 14) | (qint64(b[8]) << 7) | b[9];
    return 10 + size + ((b[5] & 0x10) ? 10 : 0);
}

// Asks libavformat's content probes which container the bytes are, with their certainty.
const AVInputFormat *probeBuffer(QByteArray bytes, const QByteArray &fileName, int *score)
{
    const int size = int(bytes.size());
    bytes.append(QByteArray(AVPROBE_PADDING_SIZE, '\0'));
    // The name lets demuxers that match on their extension break a tie, nothing more:
    // a text called "fake.mp4" gets no score from the MP4 probe.
    AVProbeData pd{};
    pd.filename = fileName.constData();
    pd.buf = reinterpret_cast<unsigned char *>(bytes.data());
    pd.buf_size = size;
    *score = 0;
    return av_probe_input_format3(&pd, 1, score);
}

// Reads the head of the file (past an ID3v2 tag) and probes it; only when that is
// inconclusive, as with a few large MP3 frames, a longer stretch. Answers the container
// when libavformat is sure of it and it holds audio or video.
const AVInputFormat *probeContent(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    QByteArray head = file.read(ContentProbeBytes);
    if (head.isEmpty())
        return nullptr;
    qint64 start = 0;
    if (const qint64 skip = id3v2Length(head); skip > 0 && file.seek(skip)) {
        const QByteArray after = file.read(ContentProbeBytes);
        if (!after.isEmpty()) {
            head = after;
            start = skip;
        }
    }
    initLibav();
    const QByteArray fileName = QFile::encodeName(QFileInfo(path).fileName());
    int score = 0;
    const AVInputFormat *format = probeBuffer(head, fileName, &score);
    if (format && score > 0 && score <= AVPROBE_SCORE_RETRY && head.size() == ContentProbeBytes
        && file.seek(start))
        format = probeBuffer(file.read(LongContentProbeBytes), fileName, &score);
    if (!format || score <= AVPROBE_SCORE_RETRY || isRejectedFormat(format))
        return nullptr;
    return format;
}

struct Deadline
{
    int64_t until = 0;   // av_gettime_relative() microseconds
};

int interruptAtDeadline(void *opaque)
{
    return av_gettime_relative() > static_cast<Deadline *>(opaque)->until ? 1 : 0;
}

bool needsStreamInfo(const AVFormatContext *ic)
{
    if (ic->nb_streams == 0 || (ic->ctx_flags & AVFMTCTX_NOHEADER))
        return true;
    if (ic->duration == AV_NOPTS_VALUE || ic->duration <= 0)
        return true;
    for (unsigned i = 0; i < ic->nb_streams; ++i) {
        const AVCodecParameters *par = ic->streams[i]->codecpar;
        if (par->codec_type == AVMEDIA_TYPE_UNKNOWN)
            return true;
        if (par->codec_type == AVMEDIA_TYPE_VIDEO && (par->width <= 0 || par->height <= 0)
            && !(ic->streams[i]->disposition & AV_DISPOSITION_ATTACHED_PIC))
            return true;
    }
    return false;
}

// Display size as the player shows it: the stored size stretched (never shrunk) by the
// sample aspect ratio. The stream's own rotation is not applied.
QSizeF displaySize(AVFormatContext *ic, AVStream *st)
{
    qint64 w = st->codecpar->width, h = st->codecpar->height;
    const AVRational sar = av_guess_sample_aspect_ratio(ic, st, nullptr);
    if (sar.num > 0 && sar.den > 0) {
        if (sar.num > sar.den)
            w = w * sar.num / sar.den;
        else if (sar.den > sar.num)
            h = h * sar.den / sar.num;
    }
    return QSizeF(double(w), double(h));
}

QXMovieProbe openAndDescribe(const QByteArray &address, const AVInputFormat *format,
                             bool network, int timeoutMs)
{
    initLibav();
    QXMovieProbe result;
    AVFormatContext *ic = avformat_alloc_context();
    if (!ic)
        return result;
    Deadline deadline{av_gettime_relative() + int64_t(timeoutMs) * 1000};
    ic->interrupt_callback.callback = interruptAtDeadline;
    ic->interrupt_callback.opaque = &deadline;

    AVDictionary *options = nullptr;
    if (network) {
        const QByteArray us = QByteArray::number(qint64(timeoutMs) * 1000);
        av_dict_set(&options, "rw_timeout", us.constData(), 0);
        av_dict_set(&options, "timeout", us.constData(), 0);
        av_dict_set(&options, "reconnect", "0", 0);
    } else {
        av_dict_set(&options, "protocol_whitelist", "file,crypto,data", 0);
    }
    const int opened = avformat_open_input(&ic, address.constData(), format, &options);
    av_dict_free(&options);
    if (opened < 0)
        return result;   // avformat_open_input freed the context

    if (!isRejectedFormat(ic->iformat)) {
        if (needsStreamInfo(ic)) {
            // Enough to learn sizes and the duration; this may read (not show) a few packets.
            ic->max_analyze_duration = AV_TIME_BASE;
            avformat_find_stream_info(ic, nullptr);
        }
        AVStream *video = nullptr;
        for (unsigned i = 0; i < ic->nb_streams; ++i) {
            AVStream *st = ic->streams[i];
            const AVCodecParameters *par = st->codecpar;
            if (par->codec_type == AVMEDIA_TYPE_AUDIO)
                result.hasAudio = true;
            // Cover art in a sound file is a picture, not a movie.
            if (par->codec_type == AVMEDIA_TYPE_VIDEO && par->width > 0 && par->height > 0
                && !(st->disposition & AV_DISPOSITION_ATTACHED_PIC)) {
                if (!video || ((st->disposition & AV_DISPOSITION_DEFAULT)
                               && !(video->disposition & AV_DISPOSITION_DEFAULT)))
                    video = st;
            }
        }
        if (video) {
            result.hasVideo = true;
            result.naturalSize = displaySize(ic, video);
        }
        if (ic->duration != AV_NOPTS_VALUE && ic->duration > 0)
            result.duration = double(ic->duration) / AV_TIME_BASE;
        result.isIndefinite = network && result.duration < 0;
        result.canOpen = (result.hasVideo || result.hasAudio) && !interruptAtDeadline(&deadline);
    }
    avformat_close_input(&ic);
    if (!result.canOpen)
        return QXMovieProbe{};
    return result;
}

bool isStreamingScheme(const QString &scheme)
{
    static const QSet<QString> schemes{"http", "https", "rtsp", "rtsps", "rtmp", "rtmps", "mms",
                                       "mmsh", "mmst"};
    return schemes.contains(scheme.toLower());
}

} // namespace

bool QXMovie::canInitWithFile(const QString &path)
{
    QFileInfo info;
    if (path.isEmpty() || !isRegularReadableFile(path, &info))
        return false;
    if (nameSaysNoMovie(info.fileName()))
        return false;
    return probeContent(path) != nullptr;
}

// No network here: a web address is judged by its form and by the type its name says. The
// real test is the probe of movieWithURL, which may wait for the server.
bool QXMovie::canInitWithURL(const QUrl &url)
{
    if (!url.isValid())
        return false;
    if (url.isLocalFile())
        return canInitWithFile(url.toLocalFile());
    if (!isStreamingScheme(url.scheme()) || url.host().isEmpty())
        return false;
    const QString name = url.fileName();
    return name.isEmpty() || !nameSaysNoMovie(name);
}

QXMovieProbe QXProbeMovieFile(const QString &path)
{
    QFileInfo info;
    if (path.isEmpty() || !isRegularReadableFile(path, &info) || nameSaysNoMovie(info.fileName()))
        return {};
    const AVInputFormat *format = probeContent(path);
    if (!format)
        return {};
    // "file:" keeps a colon in the path from being read as a protocol.
    const QByteArray address = "file:" + QFile::encodeName(info.absoluteFilePath());
    return openAndDescribe(address, format, false, LocalOpenTimeoutMs);
}

QXMovieProbe QXProbeMovieURL(const QUrl &url, int timeoutMs)
{
    if (!url.isValid())
        return {};
    if (url.isLocalFile())
        return QXProbeMovieFile(url.toLocalFile());
    if (!isStreamingScheme(url.scheme()) || url.host().isEmpty())
        return {};
    return openAndDescribe(url.toEncoded(), nullptr, true, qMax(timeoutMs, 1));
}
