#include "AppDelegate.h"

#include "BusyState.h"
#include "ClipFields.h"
#include "ClipJob.h"
#include "DesktopSession.h"
#include "DurationText.h"
#include "OpenPanel.h"
#include "RequiredControl.h"
#include "StatusText.h"
#include "TimeCode.h"

#include <chrono>
#include <memory>

AppDelegate::AppDelegate(QObject* parent)
    : ClipJobDelegate(parent)
{}

void AppDelegate::applicationDidFinishLaunching()
{
    hideBusyIndicator(requiredControl(clipProgress_));
    requiredControl(saveClipButton_).setEnabled(false);
    // The frames and the timeline follow the times as they are typed.
    for (const QPointer<QLineEdit>& field :
         {startHH_, startMM_, startSS_, startFFF_, timeHH_, timeMM_, timeSS_, timeFFF_}) {
        connect(&requiredControl(field), &QLineEdit::textChanged, this,
                &AppDelegate::clipTimesTyped);
    }
    keepQuality_.connectControls(requiredControl(keepQualityButton_),
                                 {startHH_, startMM_, startSS_, startFFF_},
                                 {timeHH_, timeMM_, timeSS_, timeFFF_});
    connectTimeline();
}

void AppDelegate::connectTimeline()
{
    ClipTimeline& timeline = requiredControl(clipTimeline_);
    const ClipTimes times = clipTimes();
    timeline.setClip(times.start, times.start + times.length);
    connect(&timeline, &ClipTimeline::clipMoved, this, &AppDelegate::clipMoved);
    connect(&timeline, &ClipTimeline::handleMoved, this,
            [this](std::size_t which, std::chrono::microseconds time, ClipTimeline::Motion motion) {
                framePreview_.showHandle(which, time, motion == ClipTimeline::Motion::Settled);
            });
    connect(&framePreview_, &FramePreview::videoOpened, &timeline, &ClipTimeline::setVideoFacts);
    connect(&keepQuality_, &KeepQuality::copyingChanged, &timeline,
            &ClipTimeline::setStartOnKeyFrames);
}

void AppDelegate::clipTimesTyped()
{
    if (writingClipFields_)
        return;
    const ClipTimes times = clipTimes();
    framePreview_.setClipTimes(times);
    if (clipTimeline_)
        clipTimeline_->setClip(times.start, times.start + times.length);
}

// The start fields hold the start, the length fields the end less the start,
// each written whole before the frames and the timeline hear of it.
void AppDelegate::clipMoved(std::chrono::microseconds start, std::chrono::microseconds end)
{
    writingClipFields_ = true;
    writeTimeFields({startHH_, startMM_, startSS_, startFFF_}, start);
    writeTimeFields({timeHH_, timeMM_, timeSS_, timeFFF_}, end - start);
    writingClipFields_ = false;
    framePreview_.setClipTimes(clipTimes());
}

void AppDelegate::setDropView(DropView* control)
{
    dropView_ = control;
    framePreview_.setView(control);
}

// Nothing is saved and nothing is stopped here; main waits for running clip
// jobs after the event loop has ended.
void AppDelegate::applicationWillTerminate() {}

void AppDelegate::fileDropped(const QString& path)
{
    droppedFilename_ = path;
    QLabel& label = requiredControl(droppedFileNameLabel_);
    label.setText(path);
    // A path without blanks cannot wrap; the tip shows whatever is cut off.
    label.setToolTip(path);
    showStatus(readingStatus(path));
    keepQuality_.fileChosen(path);
    framePreview_.showVideo(path, clipTimes());
    requiredControl(clipTimeline_).reset();
    durationProbe_.probeDuration(path, &requiredControl(durationTextField_),
                                 [this, path](const QString& text) {
                                     showStatus(probeStatus(path, text));
                                     framePreview_.setDuration(text);
                                     if (clipTimeline_)
                                         clipTimeline_->setDuration(timeOfDurationText(text));
                                 });
    requiredControl(saveClipButton_).setEnabled(true);
}

void AppDelegate::chooseFile()
{
    std::shared_ptr<OpenPanel> panel = makeOpenPanel();
    panel->beginSheetModalForWindow(
        requiredControl(window_),
        [self = QPointer<AppDelegate>(this), panel](const std::optional<QString>& path) {
            if (self && path)
                self->fileDropped(*path);
        });
}

void AppDelegate::saveClip(QObject* sender)
{
    std::shared_ptr<SavePanel> panel = makeSavePanel();
    panel->setTitle(QStringLiteral("Save as MP4 file"));
    panel->setAllowedFileTypes({QStringLiteral("mp4")});
    panel->beginSheetModalForWindow(requiredControl(window_),
                                    [self = QPointer<AppDelegate>(this), panel,
                                     sender = QPointer<QObject>(sender)](qint64 response) {
                                        if (self)
                                            self->savePanelCompletion(response, *panel, sender);
                                    });
}

void AppDelegate::savePanelCompletion(qint64 response, const SavePanel& panel, QObject* sender)
{
    QProgressBar& progress = requiredControl(clipProgress_);
    QPushButton& saveButton = requiredControl(saveClipButton_);
    enterBusyState(progress, saveButton);

    // A dialog accepted without a file is treated as cancelled: nothing would
    // ever end the busy state otherwise.
    const std::optional<QString> outputPath = response == 1 ? panel.url() : std::nullopt;
    if (!outputPath) {
        // The indicator keeps spinning for the clips still being written.
        if (writing_.isEmpty())
            leaveBusyState(progress, saveButton);
        else
            saveButton.setEnabled(true);
        return;
    }
    startExport(*outputPath, sender);
}

void AppDelegate::startExport(const QString& outputPath, QObject* sender)
{
    ClipRequest request;
    request.removeAudioState = removeAudioStateOf(requiredControl(removeAudioButton_));
    request.inputPath = requiredControl(droppedFileNameLabel_).text();
    request.copyStreams = keepQuality_.snapForExport();
    request.startTime = timeCodeFromFields({startHH_, startMM_, startSS_, startFFF_});
    request.duration = timeCodeFromFields({timeHH_, timeMM_, timeSS_, timeFFF_});
    request.outputPath = outputPath;
    request.weakDelegate = this;
    request.sender = sender;
    if (const auto video = timeOfDurationText(requiredControl(durationTextField_).text()))
        request.videoSeconds = std::chrono::duration<double>(*video).count();
    writing_.insert(startClipJob(request), {outputPath, std::nullopt, false});
    said_.clear();
    showExportState();
}

void AppDelegate::stopExports()
{
    stopClipJobs();
}

void AppDelegate::showClipProgress(int jobId, int percent)
{
    const auto clip = writing_.find(jobId);
    if (clip == writing_.end())
        return;
    clip->percent = percent;
    showExportState();
}

void AppDelegate::clipJobFinished(int jobId)
{
    const auto clip = writing_.find(jobId);
    if (clip == writing_.end())
        return;
    clip->checking = true;
    showExportState();
}

void AppDelegate::showClipVerdict(int jobId, const ClipVerdict& verdict)
{
    writing_.remove(jobId);
    showStatus(verdictStatus(verdict));
    // Someone who has gone to another window hears of it there.
    if (window_ && !window_->isActiveWindow())
        notifyDesktop(verdictStatus(verdict));
}

// Read without writing anything back: normalising the fields under the
// person's fingers would move the cursor.
ClipTimes AppDelegate::clipTimes() const
{
    const auto textsOf = [](const TimeFieldGroup& group) {
        return TimeTexts{requiredControl(group.hours).text(), requiredControl(group.minutes).text(),
                         requiredControl(group.seconds).text(),
                         requiredControl(group.fraction).text()};
    };
    const TimeTexts start = textsOf({startHH_, startMM_, startSS_, startFFF_});
    return {timeCodeOfTexts(start), timeOfTexts(start),
            timeOfTexts(textsOf({timeHH_, timeMM_, timeSS_, timeFFF_}))};
}

void AppDelegate::showStatus(const QString& text)
{
    said_ = text;
    showExportState();
}

// Controls may be asked to change after the window has gone; they are skipped.
void AppDelegate::showExportState()
{
    const QList<WritingClip> clips = writing_.values();
    if (statusLabel_)
        statusLabel_->setText(combinedStatus(said_, writingStatus(clips)));
    if (stopButton_)
        stopButton_->setVisible(!clips.isEmpty());
    std::optional<double> done;
    for (const WritingClip& clip : clips)
        done = done.value_or(0) + clip.percent.value_or(0) / 100.0 / double(clips.size());
    if (done != taskBarProgress_)
        showTaskBarProgress(done);
    taskBarProgress_ = done;
}

qint64 removeAudioStateOf(const QCheckBox& box)
{
    switch (box.checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return -1;
    case Qt::Unchecked:
        break;
    }
    return 0;
}
