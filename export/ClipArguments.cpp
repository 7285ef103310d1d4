#include "ClipArguments.h"

#include "ClipJob.h"
#include "ClipProgress.h"

#include <algorithm>
#include <cmath>

namespace {

// Measured with ffmpeg 5.1: 3 s cut with `-ss S -i IN` from 320x240 sources
// at 24 fps, key frames every 40 frames, the clip's first frame matched (PSNR
// 47-54 dB) against the source decoded from its start; frames late at S = 2.0,
// 4.0 and 4.3 s:
//   MPEG-TS (.ts, .m2ts), H.264, also starting at 1 h:  31, 24, 16
//   MPEG-PS (.mpg, .vob), MPEG-2:                       31, 24, 16
//   MPEG-TS and MPEG-PS, MPEG-2 with key frames every 12:  0,  0,  4
// None (0, 0, 0) in MP4, M4V, MOV, fragmented MP4, 3GP (H.263, H.264), MKV
// with and without cues, WebM (VP9), AVI with and without an index, FLV (FLV1,
// H.264), Ogg (Theora), ASF (WMV2, MS-MPEG4), DV (25 fps) and, at 2.0 and
// 4.0 s, a raw MPEG-2 stream. The seek lands on the first key frame after the
// point sought. Seeking 3 s before S and the rest on the output side gave the
// frame at S in TS and PS (at 4.3 s, between two frames, the one then on
// screen), and so did 12 s before 21 s and 29.5 s in a TS with key frames
// 10 s apart. FLV keeps the plain seek: from `-ss 0` it started 32 frames
// late.
const QStringList inexactSeeking{QStringLiteral("mpegts"), QStringLiteral("mpeg")};

// ffmpeg's microseconds as seconds, exactly.
QString secondsText(long long microseconds)
{
    return QString::number(static_cast<double>(microseconds) / 1e6, 'f', 6);
}

// `-ss S -i IN` becomes `-ss S-P -i IN -ss P`: the input is sought before the
// start, and the frames up to the start are decoded and dropped.
void seekExactly(QStringList& arguments, double startSeconds)
{
    const long long start = std::llround(startSeconds * 1e6);
    const long long preRoll = std::min(start, std::llround(preRollSeconds * 1e6));
    const qsizetype inputSeek = arguments.indexOf(QStringLiteral("-ss")) + 1;
    const qsizetype inputPath = arguments.indexOf(QStringLiteral("-i")) + 1;
    arguments[inputSeek] = secondsText(start - preRoll);
    arguments.insert(inputPath + 1, secondsText(preRoll));
    arguments.insert(inputPath + 1, QStringLiteral("-ss"));
}

bool isEightBit420(const QString& pixelFormat)
{
    static const QStringList formats{QStringLiteral("yuv420p"), QStringLiteral("yuvj420p"),
                                     QStringLiteral("nv12"), QStringLiteral("nv21")};
    return formats.contains(pixelFormat);
}

// ffprobe names the field shown first first ("tb": top shown first, as
// ffmpeg itself writes it); "progressive" and "unknown" are not interlaced.
std::optional<QString> x264FieldOrder(const QString& fieldOrder)
{
    if (fieldOrder == u"tt" || fieldOrder == u"tb")
        return QStringLiteral("tff=1");
    if (fieldOrder == u"bb" || fieldOrder == u"bt")
        return QStringLiteral("bff=1");
    return std::nullopt;
}

// What the encoder needs, placed before the output path.
QStringList pictureArguments(const SourceFacts& source)
{
    QStringList arguments;
    if (source.hasCover && !source.hasVideo)
        return {QStringLiteral("-vn")};
    if (!source.hasVideo)
        return arguments;
    if (!isEightBit420(source.pixelFormat))
        arguments << QStringLiteral("-pix_fmt") << QStringLiteral("yuv420p");
    if (const std::optional<QString> order = x264FieldOrder(source.fieldOrder))
        arguments << QStringLiteral("-x264-params") << *order;
    return arguments;
}

} // namespace

bool seeksPastTheStart(const QStringList& formats)
{
    return std::any_of(formats.cbegin(), formats.cend(),
                       [](const QString& format) { return inexactSeeking.contains(format); });
}

QStringList exactClipArguments(const ClipRequest& request, const SourceFacts& source)
{
    QStringList arguments = clipArguments(request);
    // A copy starts at a key frame and keeps the picture as it is.
    if (request.copyStreams)
        return arguments;
    const std::optional<double> start = secondsOfTimeCode(request.startTime);
    if (start && seeksPastTheStart(source.formats))
        seekExactly(arguments, *start);
    const QStringList picture = pictureArguments(source);
    for (const QString& argument : picture)
        arguments.insert(arguments.size() - 1, argument);
    return arguments;
}
