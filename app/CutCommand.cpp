#include "CutCommand.h"

#include "EndingSignals.h"
#include "KeyFrameSnap.h"
#include "StandardOutput.h"
#include "StatusText.h"
#include "TerminationSignals.h"
#include "WriteClip.h"

#include <QCoreApplication>
#include <QThread>

#include <chrono>
#include <cstdio>
#include <mutex>

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

ClipVerdict refusedToCopy(const QString& outputPath, const QString& why)
{
    return {outputPath, false, {}, why + QStringLiteral("; leave out --copy to re-encode"), {}};
}

// Writes the clip on a thread of its own, so that the main thread is free to
// hear a termination signal meanwhile.
ClipVerdict writeClipHearingSignals(const ClipRequest& request, const ClipWriting& writing)
{
    ClipVerdict verdict;
    // Hands the verdict over under a lock that ThreadSanitizer sees, as it
    // cannot see QThread::wait's.
    std::mutex handOver;
    QThread* writer = QThread::create([&] {
        blockEndingSignals();
        ClipVerdict written = writeClip(request, writing);
        const std::lock_guard lock(handOver);
        verdict = std::move(written);
    });
    QObject::connect(writer, &QThread::finished, qApp, &QCoreApplication::quit);
    writer->start();
    QCoreApplication::exec();
    writer->wait(); // a signal stops ffmpeg, so this is short
    delete writer;
    const std::lock_guard lock(handOver);
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
    if (!cut.overwrite)
        writing.refuseToReplace = QStringLiteral("%1 exists; give --overwrite to replace it");
    const ClipVerdict verdict = notCopied ? refusedToCopy(request.outputPath, *notCopied)
                                          : writeClipHearingSignals(request, writing);
    flushStandardOutput(std::chrono::seconds(1));
    if (onTerminal)
        clearProgress();
    // Said even when a signal ends the process: a clip kept unchecked is news.
    printErrorLine(verdictStatus(verdict));
    terminationSignals.endByCaughtSignal();
    return verdict.written ? 0 : 1;
}
