#include "WriteClip.h"

#include "ClipJob.h"
#include "ClipProgress.h"
#include "OutputPlace.h"
#include "ResourceTool.h"
#include "StandardOutput.h"

#include <QElapsedTimer>
#include <QFile>

#include <fcntl.h>

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

ToolRun runFfmpeg(const ClipRequest& request, const OutputPlace& place, const ClipWriting& writing)
{
    ClipRequest intoClip = request;
    intoClip.outputPath = place.clipPath();
    ToolRunOptions options;
    options.stop = writing.stop;
    options.onOutput =
        ProgressReader{ClipProgress(expectedClipSeconds(request.startTime, request.duration,
                                                        request.videoSeconds)),
                       writing.progressed, QElapsedTimer(), -1};
    options.waitForExit = true; // its exit status is part of the verdict
    return runResourceToolToEnd(QStringLiteral("ffmpeg"), clipArguments(intoClip), options);
}

// The input is opened once, as ffmpeg will find it; one that cannot be is
// ffmpeg's to report.
bool isVideoBeingCut(const QString& inputPath, const OutputPlace& place)
{
    const FileDescriptor input(
        ::open(QFile::encodeName(inputPath).constData(), O_PATH | O_CLOEXEC));
    return input.isOpen() && place.wouldReplace(input.get());
}

// Why the clip cannot go to the place, before anything runs; empty when it can.
QString whyNotWritten(const ClipRequest& request, OutputPlace& place, const ClipWriting& writing)
{
    if (writing.refuseToReplace && place.replaces())
        return writing.refuseToReplace->arg(place.name());
    if (isVideoBeingCut(request.inputPath, place))
        return QStringLiteral("%1 is the video being cut; choose another name").arg(place.name());
    QString error;
    place.prepare(error);
    return error;
}

} // namespace

ClipVerdict writeClip(const ClipRequest& request, const ClipWriting& writing)
{
    QString error;
    std::optional<OutputPlace> place = OutputPlace::resolve(request.outputPath, error);
    if (place)
        error = whyNotWritten(request, *place, writing);
    if (!error.isEmpty()) {
        writing.ffmpegEnded();
        return refused(request, error);
    }

    const ToolRun run = runFfmpeg(request, *place, writing);
    writing.ffmpegEnded();
    // Whatever ffmpeg said is passed on byte for byte, whatever its encoding.
    if (run.answered())
        printBytesLine(run.output);

    ClipVerdict verdict = judgeClip(request.outputPath, place->clipPath(), run);
    // The person chose a name; the private one means nothing to them.
    verdict.reason.replace(place->clipPath(), request.outputPath);
    verdict.notChecked.replace(place->clipPath(), request.outputPath);
    if (verdict.written && !place->commit(error))
        return refused(request, error);
    return verdict;
}
