// Signatures of the first bytes of a file: what a head alone says of movies and non-movies.
#include "QXMovieProbe_p.h"

#include <QtGlobal>

#include <cstring>

using QXMovieProbeInternal::ContentProbeBytes;
using QXMovieProbeInternal::HeadVerdict;

namespace QXMovieProbeInternal {

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

} // namespace QXMovieProbeInternal

namespace {

quint32 be32(const uchar *b)
{
    return (quint32(b[0]) << 24) | (quint32(b[1]) << 16) | (quint32(b[2]) << 8) | b[3];
}

bool startsWith(const uchar *b, size_t size, const char *magic, size_t length)
{
    return size >= length && std::memcmp(b, magic, length) == 0;
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

} // namespace

namespace QXMovieProbeInternal {

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

} // namespace QXMovieProbeInternal
