#include "ClipArguments.h"

#include "ClipJob.h"
#include "ClipProgress.h"

#include <cmath>

namespace {

// Cutting 3 s from 2.0 s and from 4.0 s with `-ss S -i IN`, the clip's first
// frame against the source's frame at S (PSNR of 47–53 dB against it, or
// against the frame it is off by), 320x240 at 24 fps, key frames every 40:
//   MPEG-TS (.ts, .m2ts), H.264:      31 and 24 frames late
//   MPEG-TS, MPEG-2, GOP 12, at 4.3:  4 frames late
//   MPEG-PS (.mpg, .vob), MPEG-2, GOP 40: 32 and 25 frames late
//   raw H.264 and MPEG-2 streams:     …
// and exact (0 frames off) in MP4, M4V, MOV, fragmented MP4, 3GP, MKV with
// and without cues, WebM (VP9), AVI with and without an index, FLV (FLV1 and
// H.264), Ogg (Theora), ASF/WMV (WMV2, MS-MPEG4) and DV. Seeking 3 s before S
// and then S less that on the output side was exact in every one of these,
// FLV aside, where it started 33 frames late.
const QStringList inexactSeeking{QStringLiteral("mpegts"), QStringLiteral("mpeg"),
                                 QStringLiteral("mpegvideo"), QStringLiteral("h264"),
                                 QStringLiteral("hevc")};

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
    const std::optional<double> start = secondsOfTimeCode(request.startTime);
    if (start && seeksPastTheStart(source.formats))
        seekExactly(arguments, *start);
    const QStringList picture = pictureArguments(source);
    for (const QString& argument : picture)
        arguments.insert(arguments.size() - 1, argument);
    return arguments;
}
