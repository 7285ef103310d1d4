#include "Application.h"

#include "AppDelegate.h"
#include "ClipJob.h"
#include "MainWindow.h"

#include <QApplication>

int runApplication(MainWindow& window, AppDelegate& delegate)
{
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, &delegate,
                     &AppDelegate::applicationWillTerminate);

    delegate.applicationDidFinishLaunching();
    window.show();
    const int status = QApplication::exec();
    waitForClipJobs();
    return status;
}
