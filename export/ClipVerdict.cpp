#include "ClipVerdict.h"

#include "DurationText.h"
#include "ResourceTool.h"

#include <QRegularExpression>

namespace {

const QString nothingEncoded =
    QStringLiteral("nothing was encoded; is the start past the end of the video?");

bool isProgressOrStatistics(const QString& line)
{
    return line.startsWith(u"frame=") || line.startsWith(u"size=") ||
           line.contains(u"muxing overhead");
}

// ffprobe's csv answer: a "stream,<kind>" line per stream, then
// "format,<H:MM:SS.micro>".
struct WrittenFile {
    bool hasAudioOrVideo = false;
    QString duration; // sexagesimal, as ffprobe wrote it
};

WrittenFile writtenFileFrom(const QString& answer)
{
    WrittenFile file;
    for (const QString& line : answer.split(u'\n', Qt::SkipEmptyParts)) {
        const QString entry = line.trimmed();
        if (entry == u"stream,video" || entry == u"stream,audio")
            file.hasAudioOrVideo = true;
        else if (entry.startsWith(u"format,"))
            file.duration = entry.mid(7);
    }
    return file;
}

bool isAboveZero(const QString& sexagesimal)
{
    static const QRegularExpression duration(QStringLiteral("^\\d+:\\d+:\\d+(\\.\\d+)?$"));
    static const QRegularExpression nonZeroDigit(QStringLiteral("[1-9]"));
    return duration.match(sexagesimal).hasMatch() && sexagesimal.contains(nonZeroDigit);
}

QString whyFfmpegFailed(const ToolRun& run)
{
    if (run.end != ToolEnd::Exited)
        return run.failure;
    const QString line = lastErrorLine(QString::fromUtf8(run.output));
    return line.isEmpty() ? QStringLiteral("ffmpeg ended with status %1").arg(run.exitCode) : line;
}

ClipVerdict notWritten(const QString& outputPath, const QString& reason)
{
    return {outputPath, false, {}, reason};
}

} // namespace

ClipVerdict judgeClip(const QString& outputPath, const ToolRun& run)
{
    if (!run.succeeded())
        return notWritten(outputPath, whyFfmpegFailed(run));

    const ToolRun probe = runResourceToolToEnd(
        QStringLiteral("ffprobe"), writtenClipProbeArguments(outputPath), probeTimeLimit);
    if (!probe.answered())
        return notWritten(outputPath, probe.failure);

    const WrittenFile file = writtenFileFrom(QString::fromUtf8(probe.output));
    if (!file.hasAudioOrVideo || !isAboveZero(file.duration))
        return notWritten(outputPath, nothingEncoded);
    return {outputPath,
            true,
            durationTextFromProbeOutput(QStringLiteral("format,") + file.duration),
            {}};
}

QStringList writtenClipProbeArguments(const QString& outputPath)
{
    return {QStringLiteral("-v"),
            QStringLiteral("quiet"),
            QStringLiteral("-show_entries"),
            QStringLiteral("stream=codec_type:format=duration"),
            QStringLiteral("-sexagesimal"),
            QStringLiteral("-of"),
            QStringLiteral("csv"),
            QStringLiteral("-i"),
            outputPath};
}

QString lastErrorLine(const QString& output)
{
    static const QRegularExpression lineBreaks(QStringLiteral("[\r\n]"));
    const QStringList lines = output.split(lineBreaks, Qt::SkipEmptyParts);
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        const QString text = line->trimmed();
        if (!text.isEmpty() && !isProgressOrStatistics(text))
            return text;
    }
    return {};
}
