#pragma once

class QAbstractButton;
class QProgressBar;

// The window is busy while a clip is written: the indicator spins and the save
// button is off.
void startBusyIndicator(QProgressBar& progress);
void stopBusyIndicator(QProgressBar& progress);
void hideBusyIndicator(QProgressBar& progress);
void enterBusyState(QProgressBar& progress, QAbstractButton& saveButton);
void leaveBusyState(QProgressBar& progress, QAbstractButton& saveButton);

// True while the indicator is shown and spinning.
bool isBusyIndicatorRunning(const QProgressBar& progress);
