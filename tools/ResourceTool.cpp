#include "ResourceTool.h"

#include "ChildProcess.h"
#include "OutputPipe.h"
#include "ResourceFolder.h"
#include "RunWait.h"
#include "RunningTools.h"
#include "StandardOutput.h"

#include <QStringDecoder>

#include <sys/wait.h>

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

QDeadlineTimer deadlineFor(ToolTimeLimit limit)
{
    return limit ? QDeadlineTimer(*limit) : QDeadlineTimer(QDeadlineTimer::Forever);
}

// Everything written until the last writer closes the pipe, or what came
// before the wait ended otherwise.
RunWait readOutput(OutputPipe& pipe, int cancel, const QDeadlineTimer& deadline,
                   const ToolRunOptions& options, QByteArray& output)
{
    for (;;) {
        const RunWait wait = awaitReadable(pipe.readingEnd(), cancel, deadline);
        if (wait != RunWait::Ready)
            return wait;
        const QByteArray chunk = pipe.readChunk();
        if (chunk.isEmpty())
            return RunWait::Ready;
        if (options.onOutput)
            options.onOutput(chunk);
        output += chunk;
    }
}

// A run that ended before its answer did: the program is killed and left to
// the reaper, and the caller hears at once.
ToolRun abandonedRun(ChildProcess& child, RunWait wait, const QString& path,
                     const ToolRunOptions& options, QByteArray output)
{
    child.kill();
    child.leaveToReaper(QDeadlineTimer(0));
    switch (wait) {
    case RunWait::Cancelled:
        return {ToolEnd::Cancelled, -1, std::move(output),
                QStringLiteral("stopped %1 on request").arg(path)};
    case RunWait::Stopped:
        return failedRun(ToolEnd::Stopped, stoppedReason(path), std::move(output));
    case RunWait::TimedOut:
    case RunWait::Ready:
        break;
    }
    return failedRun(ToolEnd::TimedOut,
                     QStringLiteral("stopped %1 after %2 ms without an answer")
                         .arg(path)
                         .arg(options.limit ? options.limit->count() : -1),
                     std::move(output));
}

ToolRun endedRun(int status, const QString& path, QByteArray output)
{
    if (WIFEXITED(status))
        return {ToolEnd::Exited, WEXITSTATUS(status), std::move(output), {}};
    if (runningToolsStopped())
        return failedRun(ToolEnd::Stopped, stoppedReason(path), std::move(output));
    return {ToolEnd::Crashed, -1, std::move(output), QStringLiteral("%1 crashed").arg(path)};
}

// The output has ended, so it is the answer. The exit is waited for only when
// it matters; a program still running is the reaper's, within the limit.
ToolRun answeredRun(ChildProcess& child, int cancel, const QDeadlineTimer& deadline,
                    const QString& path, const ToolRunOptions& options, QByteArray output)
{
    std::optional<int> status = child.reapIfEnded();
    if (!status && options.waitForExit) {
        const RunWait wait = awaitReadable(child.exitDescriptor(), cancel, deadline);
        if (wait == RunWait::Cancelled || wait == RunWait::Stopped)
            return abandonedRun(child, wait, path, options, std::move(output));
        status = child.reapIfEnded();
    }
    if (!status) {
        child.leaveToReaper(deadline);
        return {ToolEnd::Lingered, -1, std::move(output), {}};
    }
    return endedRun(*status, path, std::move(output));
}

} // namespace

ToolRun runResourceToolToEnd(const QString& program, const QStringList& arguments,
                             const ToolRunOptions& options)
{
    const QString path = pathForResource(program);
    if (path.isEmpty())
        return failedRun(ToolEnd::Missing,
                         QStringLiteral("no program \"%1\" in %2").arg(program, resourceFolder()));
    if (options.stop.stop_requested())
        return {ToolEnd::Cancelled, -1, {}, QStringLiteral("stopped %1 on request").arg(path)};
    if (runningToolsStopped())
        return failedRun(ToolEnd::Stopped, stoppedReason(path));

    const QDeadlineTimer deadline = deadlineFor(options.limit);
    OutputPipe pipe;
    if (!pipe.isOpen())
        return failedRun(ToolEnd::CannotStart,
                         QStringLiteral("cannot start %1: no pipe for its output").arg(path));
    ChildProcess child(path, arguments, pipe);
    if (!child.started())
        return failedRun(ToolEnd::CannotStart,
                         QStringLiteral("cannot start %1: %2").arg(path, child.startError()));
    pipe.closeWritingEnd();

    const StopWakeup cancel(options.stop);
    QByteArray output;
    const RunWait read = readOutput(pipe, cancel.descriptor(), deadline, options, output);
    if (read != RunWait::Ready)
        return abandonedRun(child, read, path, options, std::move(output));
    return answeredRun(child, cancel.descriptor(), deadline, path, options, std::move(output));
}

ToolRun runResourceToolToEnd(const QString& program, const QStringList& arguments,
                             ToolTimeLimit limit)
{
    return runResourceToolToEnd(program, arguments, {limit, {}, {}, true});
}

std::optional<QString> runResourceTool(const QString& program, const QStringList& arguments,
                                       const ToolRunOptions& options)
{
    const ToolRun run = runResourceToolToEnd(program, arguments, options);
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
