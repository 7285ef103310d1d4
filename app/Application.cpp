#include "Application.h"

#include "AppDelegate.h"
#include "ClipJob.h"
#include "CommandLine.h"
#include "CutCommand.h"
#include "EndingSignals.h"
#include "MainWindow.h"
#include "StandardOutput.h"
#include "TerminationSignals.h"

#include <QApplication>
#include <QFile>

#include <chrono>
#include <cstdlib>

#include <unistd.h>

namespace {

QStringList argumentsOf(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// Arguments are read as UTF-8; a name in another encoding would come back as
// a different name, and a cut would read or write the wrong file.
std::optional<QString> argumentNotInUtf8(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QString argument = QFile::decodeName(argv[i]);
        if (QFile::encodeName(argument) != argv[i])
            return argument;
    }
    return std::nullopt;
}

// The working folder as the kernel names it; nothing when the name is not
// UTF-8, as a relative name would then reach the file system changed.
std::optional<QString> workingFolder()
{
    char* bytes = ::getcwd(nullptr, 0);
    if (!bytes)
        return std::nullopt;
    const QByteArray name(bytes);
    std::free(bytes);
    const QString text = QFile::decodeName(name);
    if (QFile::encodeName(text) != name)
        return std::nullopt;
    return text;
}

bool asksForText(const CommandLine& commandLine)
{
    return commandLine.action == CommandLine::Action::PrintHelp ||
           commandLine.action == CommandLine::Action::PrintVersion;
}

// However stalled its reader, standard output holds the end for 1 s at most.
void flushAtEnd()
{
    flushStandardOutput(std::chrono::seconds(1));
}

// The window and its delegate for as long as the event loop runs; the probes
// end with the delegate.
int runWindow(const std::optional<QString>& fileToOpen)
{
    MainWindow window;
    AppDelegate delegate;
    window.connectDelegate(delegate);
    return runApplication(window, delegate, fileToOpen);
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
    // Before any thread starts, so that every thread but this one inherits it.
    blockEndingSignals();
    ignoreBrokenPipes();
    QApplication::setApplicationName(QStringLiteral("Velborn Trimlet"));
    QApplication::setApplicationVersion(QStringLiteral(VELBORN_VERSION));
    // Help, version and a usage error need no display, so they are answered
    // before there is an application.
    const CommandLine early = parseCommandLine(argumentsOf(argc, argv), workingFolder());
    if (asksForText(early)) {
        printLine(early.text.trimmed());
        flushAtEnd();
        return 0;
    }
    if (early.action == CommandLine::Action::UsageError) {
        printErrorLine(early.text);
        return 2;
    }
    if (early.action == CommandLine::Action::Cut) {
        if (const std::optional<QString> unreadable = argumentNotInUtf8(argc, argv)) {
            printErrorLine(QStringLiteral("velborn-trimlet: \"%1\": the name is not UTF-8 "
                                          "and would reach the file system changed; "
                                          "rename the file.")
                               .arg(*unreadable));
            return 2;
        }
        return runCut(*early.cut, argc, argv);
    }

    QApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("org.velborn.Trimlet"));
    // The file as QApplication left it, once it has taken out its own options.
    const CommandLine commandLine = parseCommandLine(QApplication::arguments(), workingFolder());
    const TerminationSignals terminationSignals;
    const int status = runWindow(commandLine.file);
    flushAtEnd();
    terminationSignals.endByCaughtSignal();
    return status;
}
