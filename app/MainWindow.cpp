#include "MainWindow.h"

#include "AppDelegate.h"
#include "DropView.h"
#include "TimelineHandle.h"
#include "ui_MainWindow.h"

#include <QShortcut>

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::MainWindow>())
{
    ui->setupUi(this);
}

MainWindow::~MainWindow() = default;

DropView* MainWindow::dropView() const
{
    return ui->dropView;
}

void MainWindow::connectDelegate(AppDelegate& delegate)
{
    delegate.setWindow(this);
    delegate.setSaveClipButton(ui->saveClipButton);
    delegate.setStopButton(ui->stopButton);
    delegate.setDroppedFileNameLabel(ui->droppedFileNameLabel);
    delegate.setStartHH(ui->startHH);
    delegate.setStartMM(ui->startMM);
    delegate.setStartSS(ui->startSS);
    delegate.setStartFFF(ui->startFFF);
    delegate.setTimeHH(ui->timeHH);
    delegate.setTimeMM(ui->timeMM);
    delegate.setTimeSS(ui->timeSS);
    delegate.setTimeFFF(ui->timeFFF);
    delegate.setRemoveAudioButton(ui->removeAudioButton);
    delegate.setKeepQualityButton(ui->keepQualityButton);
    delegate.setClipProgress(ui->clipProgress);
    delegate.setDurationTextField(ui->durationTextField);
    delegate.setStatusLabel(ui->statusLabel);
    delegate.setDropView(ui->dropView);
    delegate.setClipTimeline(ui->clipTimeline);
    // The handles come right after the drop area, before the fields they move.
    setTabOrder(ui->dropView, ui->clipTimeline->handle(ClipTimeline::startHandle));
    setTabOrder(ui->clipTimeline->handle(ClipTimeline::startHandle),
                ui->clipTimeline->handle(ClipTimeline::endHandle));
    setTabOrder(ui->clipTimeline->handle(ClipTimeline::endHandle), ui->startHH);

    connect(ui->dropView, &DropView::fileDropped, &delegate, &AppDelegate::fileDropped);
    connect(ui->dropView, &DropView::chooseFileRequested, &delegate, &AppDelegate::chooseFile);
    connect(new QShortcut(QKeySequence::Open, this), &QShortcut::activated, &delegate,
            &AppDelegate::chooseFile);
    connect(ui->saveClipButton, &QPushButton::clicked, &delegate,
            [&delegate, button = ui->saveClipButton] { delegate.saveClip(button); });
    // The button keeps its mnemonic; a click does nothing while it is disabled.
    connect(ui->stopButton, &QPushButton::clicked, &delegate, &AppDelegate::stopExports);
    // Escape stops what the Stop button would, and only while it is there.
    connect(new QShortcut(Qt::Key_Escape, this), &QShortcut::activated, ui->stopButton,
            [button = ui->stopButton] {
                if (button->isVisible())
                    button->click();
            });
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, ui->saveClipButton,
            &QPushButton::click);
}
