#include "ShortClip.h"

#include "ClipProgress.h"
#include "DurationText.h"

#include <chrono>
#include <cmath>

namespace {

const QString damaged = QStringLiteral("the video is damaged");

std::chrono::microseconds microsecondsOf(double seconds)
{
    return std::chrono::microseconds(std::llround(seconds * 1e6));
}

bool isShort(const ClipVerdict& verdict, const ClipRequest& request, const SourceFacts& source)
{
    const std::optional<double> promised =
        expectedClipSeconds(request.startTime, request.duration, source.seconds);
    return source.seconds && promised && verdict.seconds &&
           *verdict.seconds < *promised - source.frameSeconds;
}

} // namespace

bool reportsDamagedInput(const QByteArray& ffmpegOutput)
{
    return ffmpegOutput.contains("partial file") || ffmpegOutput.contains("Invalid data") ||
           ffmpegOutput.contains("moov atom not found");
}

void noteShortClip(ClipVerdict& verdict, const ClipRequest& request, const SourceFacts& source,
                   const QByteArray& ffmpegOutput)
{
    const bool isDamaged = reportsDamagedInput(ffmpegOutput);
    if (!verdict.written) {
        if (isDamaged)
            verdict.reason = damaged + QStringLiteral("; ") + verdict.reason;
        return;
    }
    if (!isShort(verdict, request, source))
        return;
    const double end = secondsOfTimeCode(request.startTime).value_or(0) + *verdict.seconds;
    verdict.shorter = QStringLiteral("shorter than asked: the video ends at %1")
                          .arg(durationTextOf(microsecondsOf(end)));
    if (isDamaged)
        verdict.shorter += QStringLiteral("; ") + damaged;
}
