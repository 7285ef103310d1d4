#include "ClipJob.h"
#include "EventLoop.h"
#include "Measures.h"
#include "WrittenClip.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <chrono>

namespace {

QString builtApplication()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/velborn-trimlet");
}

qint64 nowNanoseconds()
{
    using namespace std::chrono;
    return duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
}

void writeScript(const QString& path, const QByteArray& body)
{
    QFile script(path);
    if (!script.open(QIODevice::WriteOnly) || script.write("#!/bin/sh\n" + body) < 0)
        fail(QStringLiteral("cannot write %1").arg(path));
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// A copy of the application in a prefix of its own, whose ffmpeg notes the
// moment it starts in "<ffmpeg>.started" and whose ffprobe finds a clip.
QString applicationWithStandInTools(const QString& folder)
{
    const QDir prefix(folder + QStringLiteral("/prefix"));
    const QString tools = prefix.filePath(QStringLiteral("libexec/velborn-trimlet"));
    const QString application = prefix.filePath(QStringLiteral("bin/velborn-trimlet"));
    if (!prefix.mkpath(QStringLiteral("bin")) || !prefix.mkpath(tools) ||
        !(QFile::exists(application) || QFile::copy(builtApplication(), application)))
        fail(QStringLiteral("cannot make a prefix in %1").arg(folder));
    writeScript(tools + QStringLiteral("/ffmpeg"), "date +%s%N > \"$0.started\"\n");
    writeScript(tools + QStringLiteral("/ffprobe"),
                "printf '[STREAM]\\ncodec_type=video\\nnb_read_packets=1\\n[/STREAM]\\n'\n");
    return application;
}

double millisecondsToStart(const QString& program, const QStringList& arguments,
                           const QString& startedFile)
{
    QFile::remove(startedFile);
    const qint64 spawned = nowNanoseconds();
    runProgram(program, arguments);
    QFile started(startedFile);
    if (!started.open(QIODevice::ReadOnly))
        fail(QStringLiteral("%1 never started its ffmpeg").arg(program));
    return double(started.readAll().trimmed().toLongLong() - spawned) / 1e6;
}

} // namespace

Samples measureCut(int runs, const QString& source, const QString& outputFolder)
{
    const QString output = outputFolder + QStringLiteral("/cut.mp4");
    ClipRequest request;
    request.startTime = QStringLiteral("00:00:00.00");
    request.duration = QStringLiteral("00:00:03.00");
    request.inputPath = source;
    request.outputPath = output;
    const auto cut = [&] {
        return runProgram(builtApplication(), {QStringLiteral("--start"), QStringLiteral("0"),
                                               QStringLiteral("--length"), QStringLiteral("3"),
                                               QStringLiteral("--overwrite"),
                                               QStringLiteral("--output"), output, source})
            .milliseconds;
    };
    const auto direct = [&] {
        QFile::remove(output);
        return timeTool(QStringLiteral("ffmpeg"), clipArguments(request)) +
               timeTool(QStringLiteral("ffprobe"), writtenClipProbeArguments(output));
    };
    return rounds(runs, cut, direct);
}

Samples measureCutStartup(int runs, const QString& source, const QString& folder)
{
    const QString application = applicationWithStandInTools(folder);
    const QString ffmpeg =
        QFileInfo(application).dir().filePath(QStringLiteral("../libexec/velborn-trimlet/ffmpeg"));
    const QString started = ffmpeg + QStringLiteral(".started");
    const QString output = folder + QStringLiteral("/startup.mp4");
    const auto cut = [&] {
        return millisecondsToStart(application,
                                   {QStringLiteral("--start"), QStringLiteral("0"),
                                    QStringLiteral("--length"), QStringLiteral("3"),
                                    QStringLiteral("--overwrite"), QStringLiteral("--output"),
                                    output, source},
                                   started);
    };
    const auto bare = [&] {
        return millisecondsToStart(QCoreApplication::applicationDirPath() +
                                       QStringLiteral("/velborn-bench-launcher"),
                                   {ffmpeg}, started);
    };
    return rounds(runs, cut, bare);
}
