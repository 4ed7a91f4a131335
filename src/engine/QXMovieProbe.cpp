// Synchronous probes through libavformat. Nothing here decodes a frame: a folder walk asks
// canInitWithFile of thousands of files, so the cheap tests settle most answers first: the
// name (cached per suffix), one stat, and the signature in the first 4 KB. libavformat's
// content probe, which runs every demuxer's probe over the bytes, is left for the rest.
#include "QXMovie.h"
#include "QXFileNames.h"
#include "QXMovieProbe_p.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThreadPool>
#include <QUrl>
#include <QSet>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <mutex>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/display.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libavutil/time.h>
}

using QXMovieProbeInternal::HeadVerdict;
using QXMovieProbeInternal::nameSaysNoMovie;
using QXMovieProbeInternal::nameSaysWebPage;
using QXMovieProbeInternal::id3v2Length;
using QXMovieProbeInternal::sniffHead;
using QXMovieProbeInternal::ContentProbeBytes;

namespace {

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

QString fileNameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}


// The head of a regular, non-empty file, past an ID3v2 tag (unless the tag is all there
// is), zero-padded as libavformat's probes need. One stat, one open, one or two reads.
class FileHead
{
public:
    FileHead() = default;
    FileHead(const FileHead &) = delete;
    FileHead &operator=(const FileHead &) = delete;
    ~FileHead()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    bool read(const QString &path)
    {
        if (path.isEmpty())
            return false;
        const QByteArray native = QXFileNames::encode(path);
        // Only a regular file is opened: opening a device may act on it.
        struct stat st;
        if (::stat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode))
            return false;
        return openAt(AT_FDCWD, native.constData());
    }

    // The file called name in the folder open as folderFd, known to be a regular file.
    bool openAt(int folderFd, const char *name)
    {
        // Non-blocking in case a FIFO took the file's place since it was listed.
        m_fd = ::openat(folderFd, name, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        struct stat st;
        if (m_fd < 0 || ::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0)
            return false;
        m_fileSize = st.st_size;
        if (!fill(0))
            return false;
        if (const qint64 tag = id3v2Length(m_bytes, m_size); tag > 0 && tag < m_fileSize)
            return fill(tag);
        return true;
    }

    const uchar *bytes() const { return m_bytes; }
    size_t size() const { return m_size; }
    qint64 rest() const { return m_fileSize - m_start; }
    HeadVerdict verdict() const { return sniffHead(m_bytes, m_size, rest()); }

    // A longer stretch from the same start, padded.
    std::vector<uchar> readLonger(int length) const
    {
        std::vector<uchar> bytes(size_t(length) + AVPROBE_PADDING_SIZE, 0);
        const ssize_t got = readAt(bytes.data(), size_t(length), m_start);
        bytes.resize(size_t(qMax<ssize_t>(got, 0)));
        bytes.resize(bytes.size() + AVPROBE_PADDING_SIZE, 0);
        return bytes;
    }

private:
    ssize_t readAt(uchar *into, size_t length, qint64 offset) const
    {
        size_t done = 0;
        while (done < length) {
            const ssize_t n = ::pread(m_fd, into + done, length - done, off_t(offset + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += size_t(n);
        }
        return ssize_t(done);
    }

    bool fill(qint64 offset)
    {
        m_start = offset;
        m_size = size_t(readAt(m_bytes, ContentProbeBytes, offset));
        std::memset(m_bytes + m_size, 0, AVPROBE_PADDING_SIZE);
        return m_size > 0;
    }

    int m_fd = -1;
    qint64 m_fileSize = 0;
    qint64 m_start = 0;
    size_t m_size = 0;
    uchar m_bytes[ContentProbeBytes + AVPROBE_PADDING_SIZE];
};

// ---- libavformat's content probe -------------------------------------------------------

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

// Asks libavformat's content probes which container the padded bytes are, with their
// certainty.
const AVInputFormat *probeBuffer(const uchar *bytes, size_t size, const QByteArray &fileName,
                                 int *score)
{
    // The name lets demuxers that match on their extension break a tie, nothing more:
    // a text called "fake.mp4" gets no score from the MP4 probe.
    AVProbeData pd{};
    pd.filename = fileName.constData();
    pd.buf = const_cast<uchar *>(bytes);
    pd.buf_size = int(size);
    *score = 0;
    return av_probe_input_format3(&pd, 1, score);
}

// Probes the head; only when that is inconclusive, as with a few large MP3 frames, a
// longer stretch. Answers the container when libavformat is sure of it and it holds audio
// or video.
const AVInputFormat *probeContent(const FileHead &head, const QString &path)
{
    initLibav();
    const QByteArray fileName = QXFileNames::encode(fileNameOf(path));
    int score = 0;
    const AVInputFormat *format = probeBuffer(head.bytes(), head.size(), fileName, &score);
    if (format && score > 0 && score <= AVPROBE_SCORE_RETRY
        && head.size() == size_t(ContentProbeBytes)) {
        const std::vector<uchar> longer = head.readLonger(LongContentProbeBytes);
        format = probeBuffer(longer.data(), longer.size() - AVPROBE_PADDING_SIZE,
                             fileName, &score);
    }
    if (!format || score <= AVPROBE_SCORE_RETRY || isRejectedFormat(format))
        return nullptr;
    return format;
}

// Set at quit: every web probe gives up at its next chance.
std::atomic<bool> s_cancelAllProbes{false};

struct Deadline
{
    int64_t until = 0;   // av_gettime_relative() microseconds
    const std::atomic<bool> *cancel = nullptr;
    bool network = false;
};

int interruptAtDeadline(void *opaque)
{
    const auto *d = static_cast<Deadline *>(opaque);
    if ((d->cancel && d->cancel->load()) || (d->network && s_cancelAllProbes.load()))
        return 1;
    return av_gettime_relative() > d->until ? 1 : 0;
}

// The clockwise quarter turns a player applies to the stream (its display matrix).
int streamRotation(AVStream *st)
{
    double degrees = 0;
    if (const uint8_t *matrix = av_stream_get_side_data(st, AV_PKT_DATA_DISPLAYMATRIX, nullptr)) {
        degrees = -av_display_rotation_get(reinterpret_cast<const int32_t *>(matrix));
    } else if (const AVDictionaryEntry *tag = av_dict_get(st->metadata, "rotate", nullptr, 0)) {
        degrees = QByteArray(tag->value).toDouble();
    }
    if (!std::isfinite(degrees))
        return 0;
    const int quarter = int(std::lround(degrees / 90.0));
    return ((quarter % 4) + 4) % 4 * 90;
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

bool isWebAddress(const QByteArray &address)
{
    return address.startsWith("http://") || address.startsWith("https://");
}

// The content type the server gave: an HTML page is a page, whatever its bytes would probe as.
bool answersWithWebPage(AVIOContext *io)
{
    uint8_t *type = nullptr;
    if (av_opt_get(io, "mime_type", AV_OPT_SEARCH_CHILDREN, &type) < 0 || !type)
        return false;
    const QByteArray mime = QByteArray(reinterpret_cast<const char *>(type)).trimmed().toLower();
    av_free(type);
    return mime.startsWith("text/html") || mime.startsWith("application/xhtml+xml");
}

// Errors after which the server's answer is known well enough; others of a web address are
// looked into by following its redirects by hand.
bool saysWhyByItself(int error)
{
    switch (error) {
    case AVERROR_HTTP_BAD_REQUEST:
    case AVERROR_HTTP_UNAUTHORIZED:
    case AVERROR_HTTP_FORBIDDEN:
    case AVERROR_HTTP_NOT_FOUND:
    case AVERROR_HTTP_OTHER_4XX:
    case AVERROR_HTTP_SERVER_ERROR:
    case AVERROR(ECONNREFUSED):
    case AVERROR(EHOSTUNREACH):
    case AVERROR(ENETUNREACH): return true;
    default: return false;
    }
}

QXMovieProbe failedProbe(QXMovieProbeInternal::OpenFailure failure, const QByteArray &address,
                         const Deadline &deadline)
{
    // Only a server that answered something, fast, is asked again; the same deadline holds.
    if (failure.network && !failure.answered && !failure.timedOut && !saysWhyByItself(failure.error)
        && isWebAddress(address)) {
        const int64_t left = (deadline.until - av_gettime_relative()) / 1000;
        const QXRedirectTrace trace = QXTraceRedirects(
            QUrl::fromEncoded(address), int(qMax<int64_t>(left, 1)),
            [d = deadline]() mutable { return interruptAtDeadline(&d) != 0; });
        failure.trace = trace.outcome;
    }
    QXMovieProbe failed;
    failed.failure = QXMovieProbeInternal::failureReason(failure);
    return failed;
}

QXMovieProbe openAndDescribe(const QByteArray &address, const AVInputFormat *format,
                             bool network, int timeoutMs, const std::atomic<bool> *cancel = nullptr)
{
    initLibav();
    QXMovieProbe result;
    AVFormatContext *ic = avformat_alloc_context();
    if (!ic)
        return result;
    Deadline deadline{av_gettime_relative() + int64_t(timeoutMs) * 1000, cancel, network};
    ic->interrupt_callback.callback = interruptAtDeadline;
    ic->interrupt_callback.opaque = &deadline;
    QXMovieProbeInternal::OpenFailure failure;
    failure.network = network;

    AVDictionary *options = nullptr;
    if (network) {
        const QByteArray us = QByteArray::number(qint64(timeoutMs) * 1000);
        av_dict_set(&options, "rw_timeout", us.constData(), 0);
        av_dict_set(&options, "timeout", us.constData(), 0);
        av_dict_set(&options, "reconnect", "0", 0);
    } else {
        av_dict_set(&options, "protocol_whitelist", "file,crypto,data", 0);
    }
    // A web address's connection is opened here, so that a failure tells whether the server
    // answered at all, and the connection outlives a failed opening of the container.
    AVIOContext *io = nullptr;
    // Said to be a web page by its server; its bytes still decide when they make a movie.
    bool webPage = false;
    if (network && isWebAddress(address)) {
        const int connected = avio_open2(&io, address.constData(), AVIO_FLAG_READ, &ic->interrupt_callback, &options);
        if (connected < 0) {
            av_dict_free(&options);
            avformat_free_context(ic);
            failure.error = connected;
            failure.timedOut = interruptAtDeadline(&deadline) != 0;
            return failedProbe(failure, address, deadline);
        }
        failure.answered = true;
        webPage = answersWithWebPage(io);
        ic->pb = io;
    }
    const int opened = avformat_open_input(&ic, address.constData(), format, &options);
    av_dict_free(&options);
    if (opened < 0) {
        // avformat_open_input freed the context, not a connection of ours
        avio_closep(&io);
        failure.error = opened;
        failure.timedOut = interruptAtDeadline(&deadline) != 0;
        QXMovieProbe failed = failedProbe(failure, address, deadline);
        failed.isWebPage = webPage;
        return failed;
    }

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
            // A phone video turned a quarter by its file shows with its sides swapped.
            result.rotation = streamRotation(video);
            if (result.rotation % 180 != 0)
                result.naturalSize.transpose();
        }
        if (ic->duration != AV_NOPTS_VALUE && ic->duration > 0)
            result.duration = double(ic->duration) / AV_TIME_BASE;
        result.isIndefinite = network && result.duration < 0;
        result.canOpen = (result.hasVideo || result.hasAudio) && !interruptAtDeadline(&deadline);
    }
    failure.timedOut = interruptAtDeadline(&deadline) != 0;
    avformat_close_input(&ic);
    avio_closep(&io);
    if (!result.canOpen) {
        failure.error = failure.timedOut ? AVERROR_EXIT : AVERROR_INVALIDDATA;
        QXMovieProbe failed = failedProbe(failure, address, deadline);
        failed.isWebPage = webPage;
        return failed;
    }
    return result;
}

bool isStreamingScheme(const QString &scheme)
{
    static const QSet<QString> schemes{"http", "https", "rtsp", "rtsps", "rtmp", "rtmps", "mms",
                                       "mmsh", "mmst"};
    return schemes.contains(scheme.toLower());
}

} // namespace

namespace {

bool headSaysMovie(const FileHead &head, const QString &fileName)
{
    switch (head.verdict()) {
    case HeadVerdict::Movie: return true;
    case HeadVerdict::NotMovie: return false;
    case HeadVerdict::Undecided: break;
    }
    return probeContent(head, fileName) != nullptr;
}

} // namespace

bool QXMovie::canInitWithFile(const QString &path)
{
    if (path.isEmpty() || nameSaysNoMovie(fileNameOf(path)))
        return false;
    FileHead head;
    return head.read(path) && headSaysMovie(head, path);
}

bool QXMovie::canInitWithFileAt(int folderFd, const char *name, const QString &fileName)
{
    if (fileName.isEmpty() || nameSaysNoMovie(fileName))
        return false;
    FileHead head;
    return head.openAt(folderFd, name) && headSaysMovie(head, fileName);
}

// No network here: a web address is judged by its form and by the type its name says. The
// real test is the probe of movieWithURL, which may wait for the server.
bool QXMovie::canInitWithURL(const QUrl &url)
{
    if (!url.isValid())
        return false;
    if (url.isLocalFile())
        return canInitWithFile(QXFileNames::localPath(url));
    if (!isStreamingScheme(url.scheme()) || url.host().isEmpty())
        return false;
    const QString name = url.fileName();
    if (name.isEmpty() || !nameSaysNoMovie(name))
        return true;
    // A web page is opened too: its probe tells it as a page, and the page's video is sought.
    const QString scheme = url.scheme().toLower();
    return (scheme == QLatin1String("http") || scheme == QLatin1String("https")) && nameSaysWebPage(name);
}

QXMovieProbe QXProbeMovieFile(const QString &path)
{
    if (path.isEmpty() || nameSaysNoMovie(fileNameOf(path)))
        return {};
    FileHead head;
    if (!head.read(path) || head.verdict() == HeadVerdict::NotMovie)
        return {};
    // The demuxer to open with is libavformat's choice, even where the signature was clear.
    const AVInputFormat *format = probeContent(head, path);
    if (!format)
        return {};
    // "file:" keeps a colon in the path from being read as a protocol.
    const QByteArray address = "file:" + QXFileNames::encode(QXFileNames::absolutePath(path));
    return openAndDescribe(address, format, false, LocalOpenTimeoutMs);
}

QXMovieProbe QXProbeMovieURL(const QUrl &url, int timeoutMs, const std::atomic<bool> *cancel)
{
    QXMovieProbe refused;
    refused.failure = QCoreApplication::translate("QXMovie", "not an address to play");
    if (!url.isValid())
        return refused;
    if (url.isLocalFile())
        return QXProbeMovieFile(QXFileNames::localPath(url));
    if (!isStreamingScheme(url.scheme()) || url.host().isEmpty())
        return refused;
    return openAndDescribe(url.toEncoded(), nullptr, true, qMax(timeoutMs, 1), cancel);
}

namespace {

// Probes wait on the network, not the processor: enough threads that dead servers never
// queue live ones behind them.
QThreadPool *probePool()
{
    static QThreadPool *pool = [] {
        auto *p = new QThreadPool;
        p->setMaxThreadCount(32);
        p->setExpiryTimeout(10000);
        qAddPostRoutine(QXCancelMovieProbes);
        return p;
    }();
    return pool;
}

} // namespace

void QXProbeMovieURLAsync(const QUrl &url, std::shared_ptr<std::atomic<bool>> cancel, QObject *receiver,
                          std::function<void(const QXMovieProbe &)> done)
{
    QPointer<QObject> target(receiver);
    QCoreApplication *app = QCoreApplication::instance();
    probePool()->start([url, cancel, target, app, done = std::move(done)] {
        const QXMovieProbe probe = QXProbeMovieURL(url, 5000, cancel.get());
        if ((cancel && cancel->load()) || s_cancelAllProbes.load())
            return;
        // Through the application object, which outlives the receiver: whether the receiver
        // is still there is asked on its own thread.
        QMetaObject::invokeMethod(app, [target, done, probe] {
            if (target)
                done(probe);
        }, Qt::QueuedConnection);
    });
}

void QXCancelMovieProbes()
{
    s_cancelAllProbes = true;
    probePool()->waitForDone(2000);
}

namespace QXMovieProbeInternal {

HeadVerdict sniffFile(const QString &path)
{
    FileHead head;
    return head.read(path) ? head.verdict() : HeadVerdict::NotMovie;
}

bool contentProbeSaysMovie(const QString &path)
{
    FileHead head;
    return head.read(path) && probeContent(head, path) != nullptr;
}

} // namespace QXMovieProbeInternal
