#include "Application.h"

#include "AppDelegate.h"
#include "ClipJob.h"
#include "MainWindow.h"
#include "TerminationSignals.h"

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

int applicationMain(int argc, char* argv[])
{
    ignoreBrokenPipes();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velborn Trimlet"));
    const TerminationSignals terminationSignals;

    MainWindow window;
    AppDelegate delegate;
    window.connectDelegate(delegate);
    const int status = runApplication(window, delegate);
    terminationSignals.endByCaughtSignal();
    return status;
}
