#include "WriteClip.h"

#include "ClipArguments.h"
#include "ClipProgress.h"
#include "CopyArguments.h"
#include "FfmpegTime.h"
#include "OutputPlace.h"
#include "ResourceTool.h"
#include "ShortClip.h"
#include "StandardOutput.h"

#include <QElapsedTimer>
#include <QFile>

#include <fcntl.h>

namespace {

ClipVerdict refused(const ClipRequest& request, const QString& reason)
{
    return {request.outputPath, false, {}, reason, {}};
}

// Hands on each new percentage, but no more than four a second; the last one
// withheld is handed on once ffmpeg has finished.
struct ProgressReader {
    ClipProgress progress;
    std::function<void(int)> progressed;
    QElapsedTimer sinceShown;
    int shown = -1;
    int latest = -1;

    void operator()(const QByteArray& piece)
    {
        const std::optional<int> percent = progress.take(piece);
        if (!percent)
            return;
        latest = *percent;
        if (*percent == shown || (sinceShown.isValid() && sinceShown.elapsed() < 250))
            return;
        show();
    }
    void show()
    {
        shown = latest;
        sinceShown.start();
        progressed(latest);
    }
    void finish()
    {
        if (latest != shown)
            show();
    }
};

ToolRun runFfmpeg(const ClipRequest& request, const SourceFacts& source, const OutputPlace& place,
                  const ClipWriting& writing)
{
    ClipRequest intoClip = request;
    intoClip.outputPath = place.clipPath();
    ProgressReader reader{ClipProgress(expectedClipSeconds(request.startTime, request.duration,
                                                           request.videoSeconds)),
                          writing.progressed, QElapsedTimer(), -1, -1};
    ToolRunOptions options;
    options.stop = writing.stop;
    options.onOutput = [&reader](const QByteArray& piece) { reader(piece); };
    options.waitForExit = true; // its exit status is part of the verdict
    ToolRun run = runResourceToolToEnd(QStringLiteral("ffmpeg"),
                                       exactClipArguments(intoClip, source), options);
    if (run.end == ToolEnd::Exited)
        reader.finish();
    return run;
}

// The first of the two times that ffmpeg would refuse, and why, in words.
std::optional<QString> refusedTime(const ClipRequest& request)
{
    for (const auto& [what, timeCode] : {std::pair(QStringLiteral("start"), request.startTime),
                                         std::pair(QStringLiteral("length"), request.duration)}) {
        if (const std::optional<QString> why = whyFfmpegRefusesTime(timeCode))
            return QStringLiteral("the %1 %2 %3").arg(what, shownTimeCode(timeCode), *why);
    }
    return std::nullopt;
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
    if (const std::optional<QString> why = refusedTime(request)) {
        writing.ffmpegEnded();
        return refused(request, *why);
    }
    QString error;
    std::optional<OutputPlace> place = OutputPlace::resolve(request.outputPath, error);
    if (place)
        error = whyNotWritten(request, *place, writing);
    if (!error.isEmpty()) {
        writing.ffmpegEnded();
        return refused(request, error);
    }

    const SourceFacts source = probeSourceFacts(request.inputPath, writing.stop);
    const ToolRun run = runFfmpeg(request, source, *place, writing);
    writing.ffmpegEnded();
    // Whatever ffmpeg said is passed on byte for byte, whatever its encoding.
    if (run.answered())
        printBytesLine(run.output);

    ClipVerdict verdict = judgeClip(request, place->clipPath(), run, writing.stop);
    // The person chose a name; the private one means nothing to them.
    verdict.reason.replace(place->clipPath(), request.outputPath);
    verdict.notChecked.replace(place->clipPath(), request.outputPath);
    noteCopy(verdict, request, run.output);
    noteShortClip(verdict, request, source, run.output);
    // Stopped while it was checked: the person no longer wants it.
    if (verdict.written && writing.stop.stop_requested())
        return refused(request, QStringLiteral("stopped"));
    if (verdict.written && !place->commit(error))
        return refused(request, error);
    return verdict;
}
