#include "ResourceTool.h"

#include "ResourceFolder.h"
#include "RunningTools.h"
#include "StandardOutput.h"

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

int waitArgument(ToolTimeLimit limit)
{
    return limit ? static_cast<int>(limit->count()) : -1;
}

// Runs in the child between fork and exec, so only async-signal-safe calls.
// The child gets SIGKILL when the thread that started it goes, even when this
// process is killed outright, and it takes broken pipes the default way
// whatever this process does with them.
std::function<void()> dieWithParent()
{
    return [parent = ::getpid()] {
        ::signal(SIGPIPE, SIG_DFL);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) // the parent went before the line above
            ::_exit(127);
    };
}

ToolRun endedRun(QProcess& process)
{
    if (process.exitStatus() == QProcess::NormalExit)
        return {ToolEnd::Exited, process.exitCode(), process.readAll(), {}};
    if (runningToolsStopped())
        return failedRun(ToolEnd::Stopped, stoppedReason(process.program()), process.readAll());
    return {ToolEnd::Crashed, -1, process.readAll(),
            QStringLiteral("%1 crashed").arg(process.program())};
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

    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setChildProcessModifier(dieWithParent());
    process.start(path, arguments, QIODevice::ReadOnly);
    if (!process.waitForStarted(-1))
        return failedRun(ToolEnd::CannotStart,
                         QStringLiteral("cannot start %1: %2").arg(path, process.errorString()));

    const RunningTool tracked(process.processId());
    if (!process.waitForFinished(waitArgument(limit))) {
        process.kill();
        process.waitForFinished(-1);
        return failedRun(ToolEnd::TimedOut,
                         QStringLiteral("stopped %1 after %2 ms without an answer")
                             .arg(path)
                             .arg(waitArgument(limit)));
    }
    return endedRun(process);
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
