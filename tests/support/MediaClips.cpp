#include "MediaClips.h"

#include <QProcess>

namespace {

QString buildTool(const QString& name)
{
    return QStringLiteral(VELBORN_BUILD_RESOURCE_DIR "/") + name;
}

QString runTool(const QString& name, const QStringList& arguments)
{
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(buildTool(name), arguments);
    process.waitForFinished(-1);
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

bool makeTestClip(const QString& path, double seconds, bool withAudio)
{
    const QString length = QString::number(seconds);
    QStringList arguments{"-y",
                          "-v",
                          "error",
                          "-f",
                          "lavfi",
                          "-i",
                          "testsrc=size=160x120:rate=24:duration=" + length};
    if (withAudio)
        arguments << "-f"
                  << "lavfi"
                  << "-i"
                  << "sine=frequency=440:duration=" + length;
    arguments << "-pix_fmt"
              << "yuv420p" << path;

    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(buildTool("ffmpeg"), arguments);
    return process.waitForFinished(-1) && process.exitCode() == 0;
}

MediaFacts probeMediaFacts(const QString& path)
{
    MediaFacts facts;
    const QString kinds = runTool(
        "ffprobe", {"-v", "error", "-show_entries", "stream=codec_type", "-of", "csv=p=0", path});
    facts.streamKinds = kinds.split(u'\n', Qt::SkipEmptyParts);
    const QString duration = runTool(
        "ffprobe", {"-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", path});
    bool ok = false;
    const double seconds = duration.trimmed().toDouble(&ok);
    facts.durationSeconds = ok ? seconds : -1;
    return facts;
}
