#include "AppDelegate.h"
#include "ClipJob.h"
#include "MainWindow.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velborn Trimlet"));

    MainWindow window;
    AppDelegate delegate;
    window.connectDelegate(delegate);
    QObject::connect(&application, &QCoreApplication::aboutToQuit, &delegate,
                     &AppDelegate::applicationWillTerminate);

    delegate.applicationDidFinishLaunching();
    window.show();
    const int status = QApplication::exec();

    // Let every clip being written finish, so none is left half-written.
    waitForClipJobs();
    return status;
}
