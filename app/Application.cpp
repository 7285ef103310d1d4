#include "Application.h"

#include "AppDelegate.h"
#include "ClipJob.h"
#include "CommandLine.h"
#include "MainWindow.h"
#include "StandardOutput.h"
#include "TerminationSignals.h"

#include <QApplication>
#include <QDir>

namespace {

QStringList argumentsOf(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

bool asksForText(const CommandLine& commandLine)
{
    return commandLine.action == CommandLine::Action::PrintHelp ||
           commandLine.action == CommandLine::Action::PrintVersion;
}

} // namespace

int runApplication(MainWindow& window, AppDelegate& delegate,
                   const std::optional<QString>& fileToOpen)
{
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, &delegate,
                     &AppDelegate::applicationWillTerminate);

    delegate.applicationDidFinishLaunching();
    window.show();
    if (fileToOpen)
        delegate.fileDropped(*fileToOpen);
    const int status = QApplication::exec();
    waitForClipJobs();
    return status;
}

int applicationMain(int argc, char* argv[])
{
    ignoreBrokenPipes();
    QApplication::setApplicationName(QStringLiteral("Velborn Trimlet"));
    QApplication::setApplicationVersion(QStringLiteral(VELBORN_VERSION));
    // Help and version need no display, so they are answered before there is
    // an application; the rest waits until QApplication has taken out its own
    // options (-platform and the like).
    const CommandLine early = parseCommandLine(argumentsOf(argc, argv), QDir::currentPath());
    if (asksForText(early)) {
        printLine(early.text.trimmed());
        return 0;
    }

    QApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("org.velborn.Trimlet"));
    const CommandLine commandLine =
        parseCommandLine(QApplication::arguments(), QDir::currentPath());
    if (commandLine.action == CommandLine::Action::UsageError) {
        printErrorLine(commandLine.text);
        return 2;
    }
    const TerminationSignals terminationSignals;

    MainWindow window;
    AppDelegate delegate;
    window.connectDelegate(delegate);
    const int status = runApplication(window, delegate, commandLine.file);
    terminationSignals.endByCaughtSignal();
    return status;
}
