#include "ClipJob.h"
#include "ClipVerdict.h"
#include "DropView.h"
#include "DurationProbe.h"
#include "EventLoop.h"
#include "HeldSavePanel.h"
#include "LaunchedWindow.h"
#include "Measures.h"
#include "ResourceFolder.h"
#include "TestSupport.h"
#include "TimeCode.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTimer>

namespace {

// How the drop area's frames were fetched before the decoder came into the
// process: two runs of ffmpeg, each scaling its frame to the area. The
// frames' floor is what they cost.
using std::chrono::microseconds;

// Fits the frame into `size` as it is shown, pixels of any shape made square.
QString scaleFilter(QSize size)
{
    return QStringLiteral("scale=w='min(%1,%2*dar)':h='min(%2,%1/dar)',setsar=1")
        .arg(std::max(size.width(), 1))
        .arg(std::max(size.height(), 1));
}

QString seconds(microseconds time)
{
    return QStringLiteral("%1.%2")
        .arg(time.count() / 1'000'000)
        .arg(time.count() % 1'000'000, 6, 10, QLatin1Char('0'));
}

// Quiet, because its messages would share the channel with the picture.
QStringList quietly(const QStringList& input)
{
    return QStringList{QStringLiteral("-v"), QStringLiteral("quiet")} + input;
}

QStringList pictureOut(const QString& filter)
{
    return {QStringLiteral("-vf"),       filter,
            QStringLiteral("-frames:v"), QStringLiteral("1"),
            QStringLiteral("-f"),        QStringLiteral("image2pipe"),
            QStringLiteral("-c:v"),      QStringLiteral("ppm"),
            QStringLiteral("-")};
}

QStringList ffmpegFrameAtArguments(const QString& video, const QString& timeCode, QSize size)
{
    return quietly({QStringLiteral("-ss"), timeCode, QStringLiteral("-i"), video}) +
           pictureOut(scaleFilter(size));
}

// The second before `end` is decoded and played backwards, so its last frame
// comes out first; its frames are scaled before they are held.
QStringList ffmpegFrameBeforeArguments(const QString& video, std::optional<microseconds> end,
                                       QSize size)
{
    QStringList input{QStringLiteral("-sseof"), QStringLiteral("-1")};
    if (end) {
        const microseconds until = std::max(*end, microseconds(0));
        const microseconds span = std::min(until, microseconds(1'000'000));
        input = {QStringLiteral("-ss"), seconds(until - span), QStringLiteral("-t"), seconds(span)};
    }
    return quietly(input + QStringList{QStringLiteral("-i"), video}) +
           pictureOut(scaleFilter(size) + QStringLiteral(",reverse"));
}

struct ExportRun {
    double milliseconds = 0; // to the end of the busy state
    double verdict = 0;      // to the verdict on the status line
    double longestGap = 0;
};

struct FrameRun {
    double milliseconds = 0; // to both frames drawn
    double longestGap = 0;
};

template <typename Run> Samples pick(const Paired<Run>& runs, double Run::*number)
{
    Samples picked;
    for (const Run& run : runs.app)
        picked.app.push_back(run.*number);
    for (const Run& run : runs.floor)
        picked.floor.push_back(run.*number);
    return picked;
}

ExportRun exportThroughWindow(QPushButton& saveButton, const QLabel& status, const QString& output)
{
    QFile::remove(output);
    saveButton.click();
    TimedWait idle;
    const EventWatch enabled(saveButton, QEvent::EnabledChange, [&] {
        if (saveButton.isEnabled())
            idle.done();
    });
    // A label says nothing when its text changes; a 1 ms look is close enough.
    TimedWait judged;
    QTimer look;
    look.setTimerType(Qt::PreciseTimer);
    QObject::connect(&look, &QTimer::timeout, &judged, [&] {
        if (status.text().startsWith(QStringLiteral("Written")))
            judged.done();
    });
    ExportRun run;
    run.longestGap = longestGapDuring([&] {
        idle.start();
        judged.start();
        look.start(1);
        pressOk(output);
        run.milliseconds = idle.wait("the save button to come back");
        run.verdict = judged.wait("the verdict");
    });
    // The job's thread is let end and be cleaned up before the next round.
    waitForClipJobs();
    QCoreApplication::processEvents();
    if (QFileInfo(output).size() <= 0)
        fail(QStringLiteral("the export wrote no clip"));
    return run;
}

// The gap meter ticks here too, so its own cost weighs on both sides alike.
ExportRun exportDirectly(const ClipRequest& request)
{
    QFile::remove(request.outputPath);
    ExportRun run;
    run.longestGap = longestGapDuring([&] {
        run.milliseconds = timeTool(QStringLiteral("ffmpeg"), clipArguments(request));
        run.verdict = run.milliseconds + timeTool(QStringLiteral("ffprobe"),
                                                  writtenClipProbeArguments(request.outputPath));
    });
    return run;
}

// Shows the window with its save dialog held, and drops `source`. The drop's
// probe is let finish, so it does not run into the first export.
void prepareExports(LaunchedWindow& launched, const QString& source)
{
    holdSavePanels();
    showAndWaitUntilPainted(launched.window);
    dropAndWaitForDuration(launched, source);
}

} // namespace

Samples measureProbe(int runs, const QString& clip)
{
    LaunchedWindow launched;
    showAndWaitUntilPainted(launched.window);
    return rounds(
        runs, [&] { return dropAndWaitForDuration(launched, clip); },
        [&] { return timeTool(QStringLiteral("ffprobe"), probeArguments(clip)); });
}

Samples measureProbeGap(int runs)
{
    const auto restore =
        qScopeGuard([buildTools = resourceFolder()] { overrideResourceFolder(buildTools); });
    ToolFolder tools;
    tools.addScript(QStringLiteral("ffprobe"),
                    QStringLiteral("sleep 1; echo format,0:00:01.000000"));
    // No frames, and no word on standard error about a missing ffmpeg either.
    tools.addScript(QStringLiteral("ffmpeg"), QStringLiteral("exit 1"));
    LaunchedWindow launched;
    showAndWaitUntilPainted(launched.window);
    const QString clip = tools.filePath(QStringLiteral("clip.mp4"));
    return rounds(
        runs, [&] { return longestGapDuring([&] { dropAndWaitForDuration(launched, clip); }); },
        [] {
            return longestGapDuring([] {
                QEventLoop loop;
                QTimer::singleShot(1000, &loop, &QEventLoop::quit);
                loop.exec();
            });
        });
}

FrameSamples measureFrames(int runs, const QString& clip)
{
    LaunchedWindow launched;
    AppDelegate& delegate = launched.delegate;
    showAndWaitUntilPainted(launched.window);
    const TimeTexts start{QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("1"),
                          QStringLiteral("0")};
    delegate.startSS()->setText(start[2]);
    delegate.timeSS()->setText(QStringLiteral("1"));
    // The floor's commands, as the window makes them for its drop area.
    const QSize size = delegate.dropView()->framePixelSize();
    const QStringList first = ffmpegFrameAtArguments(clip, timeCodeOfTexts(start), size);
    const QStringList last = ffmpegFrameBeforeArguments(clip, std::chrono::seconds(2), size);

    const Paired<FrameRun> all = rounds(
        runs,
        [&] {
            FrameRun run;
            run.longestGap =
                longestGapDuring([&] { run.milliseconds = dropAndWaitForFrames(launched, clip); });
            return run;
        },
        [&] {
            FrameRun run;
            run.longestGap = longestGapDuring([&] {
                run.milliseconds = timeTool(QStringLiteral("ffmpeg"), first) +
                                   timeTool(QStringLiteral("ffmpeg"), last);
            });
            return run;
        });
    return {pick(all, &FrameRun::milliseconds), pick(all, &FrameRun::longestGap)};
}

ExportSamples measureExport(int runs, const QString& source, const QString& outputFolder)
{
    LaunchedWindow launched;
    AppDelegate& delegate = launched.delegate;
    prepareExports(launched, source);

    // A 3 s clip from 2.5 s on; the other fields keep the window's first 0.
    delegate.startSS()->setText(QStringLiteral("2"));
    delegate.startFFF()->setText(QStringLiteral("5"));
    delegate.timeSS()->setText(QStringLiteral("3"));
    // The floor's command comes from the same controls, read as the delegate reads them.
    ClipRequest direct;
    direct.removeAudioState = removeAudioStateOf(*delegate.removeAudioButton());
    direct.inputPath = delegate.droppedFileNameLabel()->text();
    direct.startTime = timeCodeFromFields(
        {delegate.startHH(), delegate.startMM(), delegate.startSS(), delegate.startFFF()});
    direct.duration = timeCodeFromFields(
        {delegate.timeHH(), delegate.timeMM(), delegate.timeSS(), delegate.timeFFF()});
    direct.outputPath = QDir(outputFolder).filePath(QStringLiteral("direct.mp4"));
    const QString appOutput = QDir(outputFolder).filePath(QStringLiteral("through the app.mp4"));

    const Paired<ExportRun> all = rounds(
        runs,
        [&] {
            return exportThroughWindow(*delegate.saveClipButton(), *delegate.statusLabel(),
                                       appOutput);
        },
        [&] { return exportDirectly(direct); });
    return {pick(all, &ExportRun::milliseconds), pick(all, &ExportRun::verdict),
            pick(all, &ExportRun::longestGap)};
}

Samples measureLengthCost(int runs, const QString& longClip, const QString& shortClip)
{
    LaunchedWindow launched;
    showAndWaitUntilPainted(launched.window);
    return rounds(
        runs, [&] { return dropAndWaitForDuration(launched, longClip); },
        [&] { return dropAndWaitForDuration(launched, shortClip); });
}

Samples measureSeekCost(int runs, const QString& source, int lateStartSeconds,
                        const QString& outputFolder)
{
    LaunchedWindow launched;
    AppDelegate& delegate = launched.delegate;
    prepareExports(launched, source);
    delegate.timeSS()->setText(QStringLiteral("3"));
    const QString output = QDir(outputFolder).filePath(QStringLiteral("seek.mp4"));
    const auto exportFrom = [&](int startSeconds) {
        // Written back as minutes and seconds on each save; set whole each time.
        delegate.startMM()->setText(QStringLiteral("0"));
        delegate.startSS()->setText(QString::number(startSeconds));
        return exportThroughWindow(*delegate.saveClipButton(), *delegate.statusLabel(), output)
            .milliseconds;
    };
    return rounds(
        runs, [&] { return exportFrom(lateStartSeconds); }, [&] { return exportFrom(0); });
}
