#include "KeyFrameSnap.h"

#include "VideoFile.h"

#include <QFileInfo>

#include <algorithm>

using std::chrono::microseconds;

microseconds keyFrameAtOrBefore(const std::vector<microseconds>& keyFrames, microseconds start)
{
    const auto after = std::upper_bound(keyFrames.begin(), keyFrames.end(), start);
    return after == keyFrames.begin() ? microseconds(0) : *std::prev(after);
}

CutTimes snappedToKeyFrame(const std::vector<microseconds>& keyFrames, CutTimes cut)
{
    const microseconds keyFrame = keyFrameAtOrBefore(keyFrames, cut.start);
    return {keyFrame, cut.length + (cut.start - keyFrame)};
}

std::optional<QString> copyFromKeyFrame(ClipRequest& request)
{
    const std::optional<TimeTexts> start = timeTextsOf(request.startTime);
    const std::optional<TimeTexts> length = timeTextsOf(request.duration);
    const KeyFrames keyFrames = keyFramesOf(request.inputPath);
    if (!keyFrames.known)
        return QStringLiteral("%1 keeps no index of its key frames, so it can only be re-encoded")
            .arg(QFileInfo(request.inputPath).fileName());
    if (!start || !length)
        return QStringLiteral("the times are not times");
    const CutTimes snapped =
        snappedToKeyFrame(keyFrames.times, {timeOfTexts(*start), timeOfTexts(*length)});
    request.startTime = timeCodeOfTexts(timeTextsOfTime(snapped.start));
    request.duration = timeCodeOfTexts(timeTextsOfTime(snapped.length));
    request.copyStreams = true;
    return std::nullopt;
}
