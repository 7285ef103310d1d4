#include "ClipJob.h"
#include "ClipVerdict.h"
#include "EventLoop.h"
#include "HeldSavePanel.h"
#include "LaunchedWindow.h"
#include "Measures.h"
#include "TimeCode.h"
#include "WrittenClip.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>

namespace {

// Milliseconds from the save dialog's OK to a verdict on the status line.
double exportToVerdict(AppDelegate& delegate, const QString& output)
{
    QFile::remove(output);
    delegate.saveClipButton()->click();
    const QLabel& status = *delegate.statusLabel();
    // A label says nothing when its text changes; a 1 ms look is close enough.
    TimedWait judged;
    QTimer look;
    look.setTimerType(Qt::PreciseTimer);
    QObject::connect(&look, &QTimer::timeout, &judged, [&] {
        if (status.text().startsWith(QStringLiteral("Written")))
            judged.done();
    });
    judged.start();
    look.start(1);
    pressOk(output);
    const double milliseconds = judged.wait("the verdict");
    // The job's thread is let end and be cleaned up before the next round.
    waitForClipJobs();
    QCoreApplication::processEvents();
    if (QFileInfo(output).size() <= 0)
        fail(QStringLiteral("the export wrote no clip"));
    return milliseconds;
}

// The request the window makes, read from its controls as the delegate reads them.
ClipRequest requestOfWindow(AppDelegate& delegate, const QString& output)
{
    ClipRequest request;
    request.inputPath = delegate.droppedFileNameLabel()->text();
    request.startTime = timeCodeFromFields(
        {delegate.startHH(), delegate.startMM(), delegate.startSS(), delegate.startFFF()});
    request.duration = timeCodeFromFields(
        {delegate.timeHH(), delegate.timeMM(), delegate.timeSS(), delegate.timeFFF()});
    request.outputPath = output;
    request.copyStreams = delegate.keepQualityButton()->isChecked();
    return request;
}

double exportDirectly(const ClipRequest& request)
{
    QFile::remove(request.outputPath);
    return timeTool(QStringLiteral("ffmpeg"), clipArguments(request)) +
           timeTool(QStringLiteral("ffprobe"), writtenClipProbeArguments(request.outputPath));
}

} // namespace

CopySamples measureCopy(int runs, const QString& source, const QString& outputFolder)
{
    LaunchedWindow launched;
    AppDelegate& delegate = launched.delegate;
    holdSavePanels();
    showAndWaitUntilPainted(launched.window);
    dropAndWaitForDuration(launched, source);
    QCheckBox& keepQuality = *delegate.keepQualityButton();
    TimedWait listed;
    listed.start();
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &listed, [&] {
        if (keepQuality.isEnabled())
            listed.done();
    });
    look.start(1);
    listed.wait("the key frames to be listed");
    look.stop();

    // 60 s from 0:25.5 on, which the box moves to the key frame before it.
    delegate.startSS()->setText(QStringLiteral("25"));
    delegate.startFFF()->setText(QStringLiteral("5"));
    delegate.timeMM()->setText(QStringLiteral("1"));
    delegate.timeSS()->setText(QStringLiteral("0"));
    keepQuality.setChecked(true);
    const ClipRequest direct =
        requestOfWindow(delegate, QDir(outputFolder).filePath(QStringLiteral("copied.mp4")));
    const QString appOutput = QDir(outputFolder).filePath(QStringLiteral("copied by the app.mp4"));
    CopySamples samples;
    samples.copy = rounds(
        runs, [&] { return exportToVerdict(delegate, appOutput); },
        [&] { return exportDirectly(direct); });

    // Re-encoding the same clip takes minutes: once, with no warm-up.
    keepQuality.setChecked(false);
    samples.reEncode = exportToVerdict(delegate, appOutput);
    return samples;
}
