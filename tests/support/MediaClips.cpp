#include "MediaClips.h"

#include <QProcess>

namespace {

// Runs one of the build's FFmpeg programs; gives its standard output, or
// nothing when it failed.
std::optional<QString> runBuildTool(const QString& name, const QStringList& arguments)
{
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(QStringLiteral(VELBORN_BUILD_RESOURCE_DIR "/") + name, arguments);
    if (!process.waitForFinished(-1) || process.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

bool makeTestClip(const QString& path, double seconds, const QString& size)
{
    const QString length = QString::number(seconds);
    return runBuildTool("ffmpeg", {"-y", "-v", "error", "-f", "lavfi", "-i",
                                   "testsrc=size=" + size + ":rate=24:duration=" + length, "-f",
                                   "lavfi", "-i", "sine=frequency=440:duration=" + length,
                                   "-pix_fmt", "yuv420p", path})
        .has_value();
}

MediaFacts probeMediaFacts(const QString& path)
{
    const QStringList arguments{"-v", "error", "-of", "csv=p=0", path, "-show_entries"};
    const QString kinds =
        runBuildTool("ffprobe", arguments + QStringList{"stream=codec_type"}).value_or(QString());
    const QString duration =
        runBuildTool("ffprobe", arguments + QStringList{"format=duration"}).value_or(QString());
    bool ok = false;
    const double seconds = duration.trimmed().toDouble(&ok);
    return {kinds.split('\n', Qt::SkipEmptyParts), ok ? seconds : -1};
}
