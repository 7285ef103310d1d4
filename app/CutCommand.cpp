#include "CutCommand.h"

#include "EndingSignals.h"
#include "KeyFrameSnap.h"
#include "StandardOutput.h"
#include "StatusText.h"
#include "TerminationSignals.h"
#include "WriteClip.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QThread>

#include <chrono>
#include <cstdio>

#include <unistd.h>

namespace {

// A line that rewrites itself; only where a person watches it.
void showProgress(int percent)
{
    std::fprintf(stderr, "\r%d%%", percent);
    std::fflush(stderr);
}

void clearProgress()
{
    std::fputs("\r\x1b[K", stderr);
}

ClipVerdict refusedToReplace(const QString& outputPath)
{
    return {outputPath,
            false,
            {},
            QStringLiteral("%1 exists; give --overwrite to replace it")
                .arg(QFileInfo(outputPath).fileName()),
            {}};
}

ClipVerdict refusedToCopy(const QString& outputPath, const QString& why)
{
    return {outputPath, false, {}, why + QStringLiteral("; leave out --copy to re-encode"), {}};
}

// Writes the clip on a thread of its own, so that the main thread is free to
// hear a termination signal meanwhile.
ClipVerdict writeClipHearingSignals(const ClipRequest& request, const ClipWriting& writing)
{
    ClipVerdict verdict;
    QThread* writer = QThread::create([&] {
        blockEndingSignals();
        verdict = writeClip(request, writing);
    });
    QObject::connect(writer, &QThread::finished, qApp, &QCoreApplication::quit);
    writer->start();
    QCoreApplication::exec();
    writer->wait(); // a signal stops ffmpeg, so this is short
    delete writer;
    return verdict;
}

} // namespace

ClipRequest clipRequestFor(const CommandLine::Cut& cut)
{
    ClipRequest request;
    request.removeAudioState = cut.removeAudio ? 1 : 0;
    request.startTime = timeCodeOfTexts(cut.start);
    request.inputPath = cut.video;
    request.duration = timeCodeOfTexts(cut.length);
    request.outputPath = cut.output;
    return request;
}

int runCut(const CommandLine::Cut& cut, int& argc, char* argv[])
{
    const QCoreApplication application(argc, argv);
    const TerminationSignals terminationSignals;
    ClipRequest request = clipRequestFor(cut);
    const std::optional<QString> notCopied = cut.copy ? copyFromKeyFrame(request) : std::nullopt;
    const bool onTerminal = ::isatty(STDERR_FILENO) == 1;

    ClipWriting writing;
    if (onTerminal)
        writing.progressed = showProgress;
    const auto cutUnlessRefused = [&] {
        if (notCopied)
            return refusedToCopy(request.outputPath, *notCopied);
        if (!cut.overwrite && QFileInfo::exists(request.outputPath))
            return refusedToReplace(request.outputPath);
        return writeClipHearingSignals(request, writing);
    };
    const ClipVerdict verdict = cutUnlessRefused();
    flushStandardOutput(std::chrono::seconds(1));
    terminationSignals.endByCaughtSignal();
    if (onTerminal)
        clearProgress();
    printErrorLine(verdictStatus(verdict));
    return verdict.written ? 0 : 1;
}
