#include "EventLoop.h"
#include "LaunchedWindow.h"
#include "Measures.h"
#include "StandardOutput.h"

#include <QApplication>
#include <QFile>
#include <QWidget>

#include <cstdio>
#include <optional>

namespace {

const QString windowChild = QStringLiteral("window");
const QString bareChild = QStringLiteral("bare");
const QString framesChild = QStringLiteral("frames");
const QString scrubbedChild = QStringLiteral("scrubbed");

ProgramRun runChild(const QStringList& arguments)
{
    return runProgram(QCoreApplication::applicationFilePath(),
                      QStringList{childOption} + arguments);
}

double peakMiBOfChild(const QStringList& arguments)
{
    // The app and Qt print lines of their own; the child's peak comes last.
    const QByteArray output = runChild(arguments).output.trimmed();
    bool ok = false;
    const double kib = output.mid(output.lastIndexOf('\n') + 1).toDouble(&ok);
    if (!ok)
        fail(QStringLiteral("child \"%1\" gave no peak memory").arg(arguments.join(u' ')));
    return kib / 1024;
}

} // namespace

void childMain(const QStringList& arguments)
{
    QApplication::setApplicationName(QStringLiteral("Velborn Trimlet"));
    std::optional<LaunchedWindow> launched;
    std::optional<QWidget> bare;
    showAndWaitUntilPainted(arguments.value(0) == bareChild ? bare.emplace()
                                                            : launched.emplace().window);
    if (launched && arguments.value(2) == framesChild)
        dropAndWaitForFrames(*launched, arguments.at(1));
    else if (launched && arguments.value(2) == scrubbedChild)
        scrub(*launched, arguments.at(1));
    else if (launched && arguments.size() > 1)
        dropAndWaitForDuration(*launched, arguments.at(1));
    QCoreApplication::processEvents();
    // The app's lines go out on a thread of their own; the peak must come after them.
    flushStandardOutput(std::chrono::seconds(1));

    // Not getrusage: Linux keeps its peak across exec, so a child would report
    // the bench's own peak whenever that is higher.
    QFile status(QStringLiteral("/proc/self/status"));
    long kib = 0;
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                kib = line.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    std::printf("%ld\n", kib);
    std::fflush(stdout);
}

Samples measureScrubbedMemory(int runs, const QString& clip)
{
    const auto window = [&clip] { return peakMiBOfChild({windowChild, clip, scrubbedChild}); };
    return rounds(runs, window, [] { return peakMiBOfChild({bareChild}); });
}

Samples measureStartup(int runs)
{
    const auto window = [] { return runChild({windowChild}).milliseconds; };
    return rounds(runs, window, [] { return runChild({bareChild}).milliseconds; });
}

Samples measurePeakMemory(int runs, const QString& clip)
{
    const auto window = [&clip] { return peakMiBOfChild({windowChild, clip}); };
    return rounds(runs, window, [] { return peakMiBOfChild({bareChild}); });
}

Samples measureFramesMemory(int runs, const QString& clip)
{
    const auto window = [&clip] { return peakMiBOfChild({windowChild, clip, framesChild}); };
    return rounds(runs, window, [] { return peakMiBOfChild({bareChild}); });
}
