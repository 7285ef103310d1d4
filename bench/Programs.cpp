#include "EventLoop.h"
#include "Measures.h"
#include "ResourceFolder.h"

#include <QProcess>

ProgramRun runProgram(const QString& path, const QStringList& arguments)
{
    TimedWait finished;
    ProgramRun run;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    QObject::connect(&process, &QProcess::readyRead, &finished,
                     [&] { run.output += process.readAll(); });
    // finished comes once all of the output has been read.
    QObject::connect(&process, &QProcess::finished, &finished, [&] { finished.done(); });

    finished.start();
    process.start(path, arguments, QIODevice::ReadOnly);
    if (!process.waitForStarted(-1))
        fail(QStringLiteral("cannot start %1: %2").arg(path, process.errorString()));
    run.milliseconds = finished.wait(qPrintable(path));
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        fail(QStringLiteral("%1 failed: %2").arg(path, QString::fromUtf8(run.output.right(300))));
    return run;
}

double timeTool(const QString& name, const QStringList& arguments)
{
    const QString path = pathForResource(name);
    if (path.isEmpty())
        fail(QStringLiteral("no %1 in %2").arg(name, resourceFolder()));
    return runProgram(path, arguments).milliseconds;
}
