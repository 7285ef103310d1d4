#include "WriteClip.h"

#include "ClipJob.h"
#include "ClipProgress.h"
#include "CopyArguments.h"
#include "ResourceTool.h"
#include "SameFile.h"
#include "StandardOutput.h"
#include "TemporaryClip.h"

#include <QElapsedTimer>
#include <QFileInfo>

namespace {

ClipVerdict refused(const ClipRequest& request, const QString& reason)
{
    return {request.outputPath, false, {}, reason, {}};
}

// Hands on each new percentage, but no more than four a second.
struct ProgressReader {
    ClipProgress progress;
    std::function<void(int)> progressed;
    QElapsedTimer sinceShown;
    int shown = -1;

    void operator()(const QByteArray& piece)
    {
        const std::optional<int> percent = progress.take(piece);
        if (!percent || *percent == shown || (sinceShown.isValid() && sinceShown.elapsed() < 250))
            return;
        shown = *percent;
        sinceShown.start();
        progressed(*percent);
    }
};

ToolRun runFfmpeg(const ClipRequest& request, const TemporaryClip& clip, const ClipWriting& writing)
{
    ClipRequest intoClip = request;
    intoClip.outputPath = clip.path();
    ToolRunOptions options;
    options.stop = writing.stop;
    options.onOutput =
        ProgressReader{ClipProgress(expectedClipSeconds(request.startTime, request.duration,
                                                        request.videoSeconds)),
                       writing.progressed, QElapsedTimer(), -1};
    options.waitForExit = true; // its exit status is part of the verdict
    return runResourceToolToEnd(QStringLiteral("ffmpeg"), clipArguments(intoClip), options);
}

} // namespace

ClipVerdict writeClip(const ClipRequest& request, const ClipWriting& writing)
{
    if (namesSameFile(request.inputPath, request.outputPath)) {
        writing.ffmpegEnded();
        return refused(request, QStringLiteral("%1 is the video being cut; choose another name")
                                    .arg(QFileInfo(request.outputPath).fileName()));
    }
    QString error;
    std::optional<TemporaryClip> clip = TemporaryClip::create(request.outputPath, error);
    if (!clip) {
        writing.ffmpegEnded();
        return refused(request, error);
    }

    const ToolRun run = runFfmpeg(request, *clip, writing);
    writing.ffmpegEnded();
    // Whatever ffmpeg said is passed on byte for byte, whatever its encoding.
    if (run.answered())
        printBytesLine(run.output);

    ClipVerdict verdict = judgeClip(request.outputPath, clip->path(), run);
    // The person chose a name; the hidden one means nothing to them.
    verdict.reason.replace(clip->path(), request.outputPath);
    noteCopy(verdict, request, run.output);
    if (verdict.written && !clip->commit(error))
        return refused(request, error);
    return verdict;
}
