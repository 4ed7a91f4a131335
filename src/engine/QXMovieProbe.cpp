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

QString fileNameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

// ---- The first bytes -------------------------------------------------------------------

quint32 be32(const uchar *b)
{
    return (quint32(b[0]) << 24) | (quint32(b[1]) << 16) | (quint32(b[2]) << 8) | b[3];
}

bool startsWith(const uchar *b, size_t size, const char *magic, size_t length)
{
    return size >= length && std::memcmp(b, magic, length) == 0;
}

// An ID3v2 tag (often with cover art) can fill many kilobytes before the first audio frame;
// the content is what follows it. 0 when there is no valid tag header.
qint64 id3v2Length(const uchar *b, size_t size)
{
    if (size < 10 || std::memcmp(b, "ID3", 3) != 0 || b[3] == 0xff || b[4] == 0xff)
        return 0;
    if ((b[6] | b[7] | b[8] | b[9]) & 0x80)
        return 0;
    const qint64 length = (qint64(b[6]) << 21) | (qint64(b[7]) << 14) | (qint64(b[8]) << 7) | b[9];
    return 10 + length + ((b[5] & 0x10) ? 10 : 0);
}

// Length of the MPEG audio frame whose header is at b, 0 when it is none (or a free-format
// one, which says no length). *shape is what stays the same from frame to frame.
int mpegAudioFrameLength(const uchar *b, quint32 *shape)
{
    const quint32 h = be32(b);
    const int version = (h >> 19) & 3;   // 0: MPEG-2.5, 1: reserved, 2: MPEG-2, 3: MPEG-1
    const int layer = 3 - ((h >> 17) & 3);   // 0: I, 1: II, 2: III, 3: reserved
    const int bitrateIndex = (h >> 12) & 15;
    const int rateIndex = (h >> 10) & 3;
    if ((h & 0xffe00000) != 0xffe00000 || version == 1 || layer == 3 || bitrateIndex == 0
        || bitrateIndex == 15 || rateIndex == 3)
        return 0;
    static const short kbps[2][3][15] = {
        {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
         {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
         {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
        {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}};
    static const int rates[3] = {44100, 48000, 32000};
    const bool mpeg1 = version == 3;
    const int bitrate = kbps[mpeg1 ? 0 : 1][layer][bitrateIndex] * 1000;
    const int rate = rates[rateIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
    const int padding = (h >> 9) & 1;
    *shape = h & 0xfffe0c00;
    if (layer == 0)
        return (12 * bitrate / rate + padding) * 4;
    return (layer == 2 && !mpeg1 ? 72 : 144) * bitrate / rate + padding;
}

// Four frames in a row, as libavformat's MP3 probe wants before it is sure.
bool startsWithMpegAudioFrames(const uchar *b, size_t size)
{
    size_t at = 0;
    quint32 first = 0;
    for (int frame = 0; frame < 4; ++frame) {
        quint32 shape = 0;
        const int length = at + 4 <= size ? mpegAudioFrameLength(b + at, &shape) : 0;
        if (length == 0 || (frame > 0 && shape != first))
            return false;
        first = shape;
        at += size_t(length);
    }
    return true;
}

// Every whole packet in the head has the sync byte, no error flag and a payload or
// adaptation field; and there are enough of them that a stray 'G' does not count.
bool isTransportStream(const uchar *b, size_t size, size_t first, size_t stride)
{
    const size_t packets = size > first ? (size - first) / stride : 0;
    if (packets < 12)
        return false;
    for (size_t i = 0; i < packets; ++i) {
        const uchar *p = b + first + i * stride;
        if (p[0] != 0x47 || (p[1] & 0x80) || !(p[3] & 0x30))
            return false;
    }
    return true;
}

// A pack header with its marker bits, followed by another system start code.
bool isProgramStream(const uchar *b, size_t size)
{
    if (size < 16 || be32(b) != 0x000001ba)
        return false;
    size_t next = 0;
    if ((b[4] & 0xc4) == 0x44) {   // MPEG-2
        if (!(b[6] & 0x04) || !(b[8] & 0x04) || !(b[9] & 0x01) || (b[12] & 0x03) != 0x03)
            return false;
        next = 14 + (b[13] & 0x07);
    } else if ((b[4] & 0xf1) == 0x21) {   // MPEG-1
        if (!(b[6] & 0x01) || !(b[8] & 0x01) || !(b[9] & 0x80) || !(b[11] & 0x01))
            return false;
        next = 12;
    } else {
        return false;
    }
    if (next + 4 > size)
        return false;
    const uchar *s = b + next;
    return s[0] == 0 && s[1] == 0 && s[2] == 1 && (s[3] == 0xba || s[3] == 0xbb || s[3] >= 0xbd);
}

bool isMovieBrand(const uchar *brand)
{
    static const char *const prefixes[] = {"iso", "mp4", "avc1", "M4", "qt  ", "3g", "dash",
                                           "msnv", "MSNV", "f4", "mmp4", "XAVC", "mjp2", "mj2s"};
    for (const char *prefix : prefixes)
        if (std::memcmp(brand, prefix, std::strlen(prefix)) == 0)
            return true;
    return false;
}

// HEIF and AVIF pictures come in a movie's box; libavformat takes them for movies it then
// cannot open.
bool isPictureBrand(const uchar *brand)
{
    static const char *const brands[] = {"mif1", "heic", "heix", "heim", "heis", "avif"};
    for (const char *picture : brands)
        if (std::memcmp(brand, picture, 4) == 0)
            return true;
    return false;
}

// The signatures of the common containers and of the common files that are none. A
// container whose header is all the file holds is no movie. Anything unclear is Undecided
// and goes to libavformat. `rest` counts the file's bytes from b on; size is how many of
// them are in b.
HeadVerdict sniffHead(const uchar *b, size_t size, qint64 rest)
{
    auto header = [rest](qint64 end, bool complete) {
        if (rest <= end)
            return HeadVerdict::NotMovie;
        return complete ? HeadVerdict::Movie : HeadVerdict::Undecided;
    };

    // Pictures, documents, archives, programs.
    if (startsWith(b, size, "\xff\xd8\xff", 3) || startsWith(b, size, "\x89PNG\r\n\x1a\n", 8)
        || startsWith(b, size, "GIF87a", 6) || startsWith(b, size, "GIF89a", 6)
        || startsWith(b, size, "%PDF-", 5) || startsWith(b, size, "PK\x03\x04", 4)
        || startsWith(b, size, "\x7f" "ELF", 4))
        return HeadVerdict::NotMovie;

    // MP4, QuickTime, 3GP, M4A: an ftyp box first, with a major brand of a movie.
    if (size >= 8 && std::memcmp(b + 4, "ftyp", 4) == 0) {
        const quint32 box = be32(b);
        if (size >= 12 && isPictureBrand(b + 8))
            return HeadVerdict::NotMovie;
        if (box == 0 || box == 1)   // to the end of the file, or a 64-bit size
            return HeadVerdict::Undecided;
        const bool plain = box >= 16 && box <= quint32(ContentProbeBytes);
        return header(qMax<qint64>(box, 16), plain && isMovieBrand(b + 8));
    }

    // Matroska and WebM: the EBML header names its document type.
    if (startsWith(b, size, "\x1a\x45\xdf\xa3", 4)) {
        if (size < 5 || b[4] == 0)
            return header(4, false);
        int lengthBytes = 1;
        while (!(b[4] & (0x80 >> (lengthBytes - 1))))
            ++lengthBytes;
        if (size < size_t(4 + lengthBytes))
            return header(4 + lengthBytes, false);
        quint64 length = b[4] & (0xff >> lengthBytes);
        for (int i = 1; i < lengthBytes; ++i)
            length = (length << 8) | b[4 + i];
        if (length + 1 == quint64(1) << (7 * lengthBytes))   // unknown size
            return HeadVerdict::Undecided;
        const quint64 end = 4 + lengthBytes + length;
        if (end > size)
            return header(qint64(end), false);
        const QByteArrayView fields(reinterpret_cast<const char *>(b + 4 + lengthBytes),
                                    qsizetype(length));
        return header(qint64(end), fields.contains("matroska") || fields.contains("webm"));
    }

    // AVI and WAV.
    if (startsWith(b, size, "RIFF", 4)) {
        if (size < 12)
            return header(12, false);
        if (std::memcmp(b + 8, "WEBP", 4) == 0)
            return HeadVerdict::NotMovie;
        if (std::memcmp(b + 8, "AVI ", 4) == 0)
            return header(24, size >= 24 && std::memcmp(b + 12, "LIST", 4) == 0
                                  && std::memcmp(b + 20, "hdrl", 4) == 0);
        if (std::memcmp(b + 8, "WAVE", 4) == 0) {
            if (size < 20 || std::memcmp(b + 12, "fmt ", 4) != 0)
                return header(20, false);
            const quint32 fmt = b[16] | (b[17] << 8) | (b[18] << 16) | (quint32(b[19]) << 24);
            return header(20 + qint64(fmt), fmt >= 16);
        }
        return HeadVerdict::Undecided;
    }

    // Ogg: a page header (version 0) and its segment table, then a packet.
    if (startsWith(b, size, "OggS", 4)) {
        if (size < 27)
            return header(27, false);
        return header(27 + b[26], b[4] == 0 && b[5] <= 7);
    }

    // FLV: a version, a header length, and (as libavformat wants) the first tag in view.
    if (startsWith(b, size, "FLV", 3) && size >= 9) {
        const quint32 offset = be32(b + 5);
        const bool plain = b[3] < 5 && b[5] == 0 && offset > 8 && offset < 1024;
        if (!plain)
            return HeadVerdict::Undecided;
        if (rest <= offset + 4)
            return HeadVerdict::NotMovie;
        return size > offset + 100 ? HeadVerdict::Movie : HeadVerdict::Undecided;
    }

    // FLAC: the stream information block comes first.
    if (startsWith(b, size, "fLaC", 4)) {
        if (size < 42)
            return header(42, false);
        const int minBlock = (b[8] << 8) | b[9], maxBlock = (b[10] << 8) | b[11];
        const quint32 rate = (quint32(b[18]) << 12) | (b[19] << 4) | (b[20] >> 4);
        return header(42, (b[4] & 0x7f) == 0 && (be32(b + 4) & 0xffffff) == 34 && minBlock >= 16
                              && maxBlock >= minBlock && rate > 0 && rate <= 655350);
    }

    // An ID3v2 tag still in front means the tag runs to the end of the file.
    if (const qint64 tag = id3v2Length(b, size); tag > 0)
        return header(tag, false);

    if (startsWithMpegAudioFrames(b, size))
        return HeadVerdict::Movie;
    if (isTransportStream(b, size, 0, 188) || isTransportStream(b, size, 4, 192))   // TS, M2TS
        return HeadVerdict::Movie;
    if (isProgramStream(b, size))
        return HeadVerdict::Movie;
    return HeadVerdict::Undecided;
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
