#include "BusyState.h"

#include <QAbstractButton>
#include <QProgressBar>

// A progress bar whose range is 0-0 animates as a busy indicator.
void startBusyIndicator(QProgressBar& progress)
{
    progress.setRange(0, 0);
}

void stopBusyIndicator(QProgressBar& progress)
{
    progress.setRange(0, 1);
}

void hideBusyIndicator(QProgressBar& progress)
{
    progress.setVisible(false);
}

void enterBusyState(QProgressBar& progress, QAbstractButton& saveButton)
{
    progress.setVisible(true);
    startBusyIndicator(progress);
    saveButton.setEnabled(false);
}

void leaveBusyState(QProgressBar& progress, QAbstractButton& saveButton)
{
    stopBusyIndicator(progress);
    hideBusyIndicator(progress);
    saveButton.setEnabled(true);
}

bool isBusyIndicatorRunning(const QProgressBar& progress)
{
    return !progress.isHidden() && progress.minimum() == 0 && progress.maximum() == 0;
}
