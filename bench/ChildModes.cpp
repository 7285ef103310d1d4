#include "ChildModes.h"

#include "BenchSupport.h"
#include "DropView.h"
#include "LaunchedWindow.h"

#include <QApplication>
#include <QLineEdit>
#include <QWidget>

#include <sys/resource.h>

#include <cstdio>

namespace {

constexpr std::chrono::seconds childLimit{30};

void reportPeakMemory()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%s %ld\n", qPrintable(peakMemoryTag), usage.ru_maxrss);
    std::fflush(stdout);
}

int startupWindow()
{
    LaunchedWindow launched;
    if (!showAndWaitUntilPainted(launched.window, childLimit))
        return childNeverPainted;
    QCoreApplication::processEvents();
    return 0;
}

int startupBare()
{
    QWidget widget;
    if (!showAndWaitUntilPainted(widget, childLimit))
        return childNeverPainted;
    QCoreApplication::processEvents();
    return 0;
}

int memoryWindow(const QString& clip)
{
    LaunchedWindow launched;
    if (!showAndWaitUntilPainted(launched.window, childLimit))
        return childNeverPainted;

    QLineEdit& duration = *launched.delegate.durationTextField();
    Waiter probed;
    QObject::connect(&duration, &QLineEdit::textChanged, &duration, [&probed](const QString& text) {
        if (!text.isEmpty())
            probed.done();
    });
    if (!dropFile(*launched.window.dropView(), clip) || !probed.wait(childLimit))
        return childNeverProbed;
    QCoreApplication::processEvents();
    reportPeakMemory();
    return 0;
}

int memoryBare()
{
    QWidget widget;
    if (!showAndWaitUntilPainted(widget, childLimit))
        return childNeverPainted;
    QCoreApplication::processEvents();
    reportPeakMemory();
    return 0;
}

} // namespace

int runChildMode(const QStringList& arguments)
{
    const QString mode = arguments.value(0);
    QApplication::setApplicationName(QStringLiteral("Velborn Trimlet"));
    if (mode == startupWindowMode)
        return startupWindow();
    if (mode == startupBareMode)
        return startupBare();
    if (mode == memoryWindowMode && arguments.size() == 2)
        return memoryWindow(arguments.at(1));
    if (mode == memoryBareMode)
        return memoryBare();
    std::fprintf(stderr, "velborn-bench: unknown child mode \"%s\"\n", qPrintable(mode));
    return childBadArguments;
}
