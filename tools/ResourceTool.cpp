#include "ResourceTool.h"

#include "OutputPipe.h"
#include "ResourceFolder.h"
#include "RunningTools.h"
#include "StandardOutput.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QStringDecoder>

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

ToolRun failedRun(ToolEnd end, const QString& failure, QByteArray output = {})
{
    printErrorLine(QStringLiteral("velborn-trimlet: ") + failure);
    return {end, -1, std::move(output), failure};
}

QString stoppedReason(const QString& path)
{
    return QStringLiteral("stopped %1 because the application is ending").arg(path);
}

int milliseconds(ToolTimeLimit limit)
{
    return limit ? static_cast<int>(limit->count()) : -1;
}

QDeadlineTimer deadlineFor(ToolTimeLimit limit)
{
    return limit ? QDeadlineTimer(*limit) : QDeadlineTimer(QDeadlineTimer::Forever);
}

// Runs in the child between fork and exec, so only async-signal-safe calls.
// Its output goes to `pipe`. It leads a process group of its own, so that a
// kill reaches whatever it starts too. It gets SIGKILL when the thread that
// started it goes, even when this process is killed outright, and it takes
// broken pipes the default way whatever this process does with them.
std::function<void()> childSetUp(const OutputPipe& pipe)
{
    return [&pipe, parent = ::getpid()] {
        pipe.becomeStandardOutputAndError();
        ::setpgid(0, 0);
        ::signal(SIGPIPE, SIG_DFL);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) // the parent went before the line above
            ::_exit(127);
    };
}

void killAndReap(QProcess& process)
{
    killTool(process.processId());
    process.waitForFinished(-1);
}

ToolRun endedRun(const QProcess& process, QByteArray output)
{
    if (process.exitStatus() == QProcess::NormalExit)
        return {ToolEnd::Exited, process.exitCode(), std::move(output), {}};
    if (runningToolsStopped())
        return failedRun(ToolEnd::Stopped, stoppedReason(process.program()), std::move(output));
    return {ToolEnd::Crashed, -1, std::move(output),
            QStringLiteral("%1 crashed").arg(process.program())};
}

// Reads the output to its end within the deadline, then reaps the program
// within what is left of it. A program that lingers after closing its output
// has answered all the same.
ToolRun awaitRun(QProcess& process, OutputPipe& pipe, ToolTimeLimit limit)
{
    const RunningTool tracked(process.processId());
    const QDeadlineTimer deadline = deadlineFor(limit);
    QByteArray output;
    if (!pipe.readToEnd(output, deadline)) {
        killAndReap(process);
        return failedRun(ToolEnd::TimedOut,
                         QStringLiteral("stopped %1 after %2 ms without an answer")
                             .arg(process.program())
                             .arg(milliseconds(limit)));
    }
    if (!process.waitForFinished(timeoutLeft(deadline))) {
        killAndReap(process);
        return {ToolEnd::Lingered, -1, std::move(output), {}};
    }
    return endedRun(process, std::move(output));
}

} // namespace

ToolRun runResourceToolToEnd(const QString& program, const QStringList& arguments,
                             ToolTimeLimit limit)
{
    const QString path = pathForResource(program);
    if (path.isEmpty())
        return failedRun(ToolEnd::Missing,
                         QStringLiteral("no program \"%1\" in %2").arg(program, resourceFolder()));
    if (runningToolsStopped())
        return failedRun(ToolEnd::Stopped, stoppedReason(path));

    OutputPipe pipe;
    if (!pipe.isOpen())
        return failedRun(ToolEnd::CannotStart,
                         QStringLiteral("cannot start %1: no pipe for its output").arg(path));
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels); // the pipe takes them
    process.setStandardInputFile(QProcess::nullDevice());
    process.setChildProcessModifier(childSetUp(pipe));
    process.start(path, arguments, QIODevice::ReadOnly);
    if (!process.waitForStarted(-1))
        return failedRun(ToolEnd::CannotStart,
                         QStringLiteral("cannot start %1: %2").arg(path, process.errorString()));
    pipe.closeWritingEnd();
    return awaitRun(process, pipe, limit);
}

std::optional<QString> runResourceTool(const QString& program, const QStringList& arguments,
                                       ToolTimeLimit limit)
{
    const ToolRun run = runResourceToolToEnd(program, arguments, limit);
    if (!run.answered())
        return std::nullopt;
    return decodeUtf8(run.output);
}

std::optional<QString> decodeUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                       QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}
