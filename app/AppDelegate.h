#pragma once

#include "ClipJobDelegate.h"
#include "ClipTimeline.h"
#include "DropView.h"
#include "DurationProbe.h"
#include "FramePreview.h"
#include "KeepQuality.h"
#include "SavePanel.h"
#include "StatusText.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>

#include <optional>

// Holds the window's controls (the window owns them; these references are weak),
// puts them into their first state, takes the dropped file and runs the save button.
class AppDelegate : public ClipJobDelegate {
    Q_OBJECT

public:
    explicit AppDelegate(QObject* parent = nullptr);

    QWidget* window() const { return window_; }
    void setWindow(QWidget* control) { window_ = control; }
    QPushButton* saveClipButton() const override { return saveClipButton_; }
    void setSaveClipButton(QPushButton* control) { saveClipButton_ = control; }
    QLabel* droppedFileNameLabel() const { return droppedFileNameLabel_; }
    void setDroppedFileNameLabel(QLabel* control) { droppedFileNameLabel_ = control; }
    QLineEdit* startHH() const { return startHH_; }
    void setStartHH(QLineEdit* control) { startHH_ = control; }
    QLineEdit* startMM() const { return startMM_; }
    void setStartMM(QLineEdit* control) { startMM_ = control; }
    QLineEdit* startSS() const { return startSS_; }
    void setStartSS(QLineEdit* control) { startSS_ = control; }
    QLineEdit* startFFF() const { return startFFF_; }
    void setStartFFF(QLineEdit* control) { startFFF_ = control; }
    QLineEdit* timeHH() const { return timeHH_; }
    void setTimeHH(QLineEdit* control) { timeHH_ = control; }
    QLineEdit* timeMM() const { return timeMM_; }
    void setTimeMM(QLineEdit* control) { timeMM_ = control; }
    QLineEdit* timeSS() const { return timeSS_; }
    void setTimeSS(QLineEdit* control) { timeSS_ = control; }
    QLineEdit* timeFFF() const { return timeFFF_; }
    void setTimeFFF(QLineEdit* control) { timeFFF_ = control; }
    QCheckBox* removeAudioButton() const { return removeAudioButton_; }
    void setRemoveAudioButton(QCheckBox* control) { removeAudioButton_ = control; }
    QCheckBox* keepQualityButton() const { return keepQualityButton_; }
    void setKeepQualityButton(QCheckBox* control) { keepQualityButton_ = control; }
    QProgressBar* clipProgress() const override { return clipProgress_; }
    void setClipProgress(QProgressBar* control) { clipProgress_ = control; }
    QLineEdit* durationTextField() const { return durationTextField_; }
    void setDurationTextField(QLineEdit* control) { durationTextField_ = control; }
    QLabel* statusLabel() const { return statusLabel_; }
    void setStatusLabel(QLabel* control) { statusLabel_ = control; }
    DropView* dropView() const { return dropView_; }
    void setDropView(DropView* control);
    QPushButton* stopButton() const { return stopButton_; }
    void setStopButton(QPushButton* control) { stopButton_ = control; }
    ClipTimeline* clipTimeline() const { return clipTimeline_; }
    void setClipTimeline(ClipTimeline* control) { clipTimeline_ = control; }

    void applicationDidFinishLaunching();
    void applicationWillTerminate();
    void showClipProgress(int jobId, int percent) override;
    void clipJobFinished(int jobId) override;
    void showClipVerdict(int jobId, const ClipVerdict& verdict) override;

    std::optional<QString> droppedFilename() const { return droppedFilename_; }

public slots:
    void fileDropped(const QString& path);
    // Asks for a video in a dialog; the one chosen is taken as if dropped.
    void chooseFile();
    void saveClip(QObject* sender = nullptr);
    // Stops every clip being written; none of them is kept.
    void stopExports();

private:
    void savePanelCompletion(qint64 response, const SavePanel& panel, QObject* sender);
    void startExport(const QString& outputPath, QObject* sender);
    void showStatus(const QString& text);
    ClipTimes clipTimes() const;
    // The timeline and the fields follow each other.
    void connectTimeline();
    void clipTimesTyped();
    void clipMoved(std::chrono::microseconds start, std::chrono::microseconds end);
    // The status line, the Stop button and the task bar, after a change in
    // what is said or in the clips being written.
    void showExportState();

    QPointer<QWidget> window_;
    QPointer<QPushButton> saveClipButton_;
    QPointer<QLabel> droppedFileNameLabel_;
    QPointer<QLineEdit> startHH_;
    QPointer<QLineEdit> startMM_;
    QPointer<QLineEdit> startSS_;
    QPointer<QLineEdit> startFFF_;
    QPointer<QLineEdit> timeHH_;
    QPointer<QLineEdit> timeMM_;
    QPointer<QLineEdit> timeSS_;
    QPointer<QLineEdit> timeFFF_;
    QPointer<QCheckBox> removeAudioButton_;
    QPointer<QCheckBox> keepQualityButton_;
    QPointer<QProgressBar> clipProgress_;
    QPointer<QLineEdit> durationTextField_;
    QPointer<QLabel> statusLabel_;
    QPointer<DropView> dropView_;
    QPointer<QPushButton> stopButton_;
    QPointer<ClipTimeline> clipTimeline_;
    bool writingClipFields_ = false;
    std::optional<QString> droppedFilename_;
    QString said_;                          // the last verdict or word about the file
    QMap<int, WritingClip> writing_;        // by job number, until the verdict
    std::optional<double> taskBarProgress_; // as last shown
    DurationProbe durationProbe_;
    FramePreview framePreview_;
    KeepQuality keepQuality_;
};

// The check box's state as the clip job reads it: checked 1, unchecked 0,
// partially checked -1. Qt numbers partially checked 1, so never pass it through.
qint64 removeAudioStateOf(const QCheckBox& box);
