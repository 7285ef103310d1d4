#include "WriteClip.h"

#include "ClipJob.h"
#include "ResourceTool.h"
#include "SameFile.h"
#include "StandardOutput.h"
#include "TemporaryClip.h"

#include <QFileInfo>

namespace {

ClipVerdict refused(const ClipRequest& request, const QString& reason)
{
    return {request.outputPath, false, {}, reason, {}};
}

ToolRun runFfmpeg(const ClipRequest& request, const TemporaryClip& clip)
{
    ClipRequest intoClip = request;
    intoClip.outputPath = clip.path();
    return runResourceToolToEnd(QStringLiteral("ffmpeg"), clipArguments(intoClip));
}

} // namespace

ClipVerdict writeClip(const ClipRequest& request, const std::function<void()>& ffmpegEnded)
{
    if (namesSameFile(request.inputPath, request.outputPath)) {
        ffmpegEnded();
        return refused(request, QStringLiteral("%1 is the video being cut; choose another name")
                                    .arg(QFileInfo(request.outputPath).fileName()));
    }
    QString error;
    std::optional<TemporaryClip> clip = TemporaryClip::create(request.outputPath, error);
    if (!clip) {
        ffmpegEnded();
        return refused(request, error);
    }

    const ToolRun run = runFfmpeg(request, *clip);
    ffmpegEnded();
    // Whatever ffmpeg said is passed on byte for byte, whatever its encoding.
    if (run.answered())
        printBytesLine(run.output);

    ClipVerdict verdict = judgeClip(request.outputPath, clip->path(), run);
    // The person chose a name; the hidden one means nothing to them.
    verdict.reason.replace(clip->path(), request.outputPath);
    if (verdict.written && !clip->commit(error))
        return refused(request, error);
    return verdict;
}
