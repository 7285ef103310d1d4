#include "AppDelegate.h"

#include "BusyState.h"
#include "ClipJob.h"
#include "OpenPanel.h"
#include "RequiredControl.h"
#include "StatusText.h"
#include "TimeCode.h"

#include <memory>

AppDelegate::AppDelegate(QObject* parent)
    : ClipJobDelegate(parent)
{}

void AppDelegate::applicationDidFinishLaunching()
{
    hideBusyIndicator(requiredControl(clipProgress_));
    requiredControl(saveClipButton_).setEnabled(false);
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
    durationProbe_.probeDuration(
        path, &requiredControl(durationTextField_),
        [this, path](const QString& text) { showStatus(probeStatus(path, text)); });
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
        leaveBusyState(progress, saveButton);
        return;
    }
    startExport(*outputPath, sender);
}

void AppDelegate::startExport(const QString& outputPath, QObject* sender)
{
    ClipRequest request;
    request.removeAudioState = removeAudioStateOf(requiredControl(removeAudioButton_));
    request.inputPath = requiredControl(droppedFileNameLabel_).text();
    request.startTime = timeCodeFromFields({startHH_, startMM_, startSS_, startFFF_});
    request.duration = timeCodeFromFields({timeHH_, timeMM_, timeSS_, timeFFF_});
    request.outputPath = outputPath;
    request.weakDelegate = this;
    request.sender = sender;
    showStatus(writingStatus(outputPath));
    startClipJob(request);
}

void AppDelegate::showClipVerdict(const ClipVerdict& verdict)
{
    showStatus(verdictStatus(verdict));
}

// The line may be asked to change after the window has gone; then it is skipped.
void AppDelegate::showStatus(const QString& text)
{
    if (statusLabel_)
        statusLabel_->setText(text);
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
