#include "ClipVerdict.h"

#include "ClipProgress.h"
#include "DurationText.h"
#include "ResourceTool.h"

#include <QRegularExpression>

namespace {

const QString nothingEncoded =
    QStringLiteral("nothing was encoded; is the start past the end of the video?");

bool saysNothing(const QString& line)
{
    return line.isEmpty() || line.startsWith(u"frame=") || line.startsWith(u"size=") ||
           line.contains(u"muxing overhead") || line == u"Conversion failed!";
}

bool readsAsError(const QString& line)
{
    static const QRegularExpression errorWords(
        QStringLiteral("error|invalid|no such|denied|no space|not found|unable|could not|"
                       "cannot|failed|unknown|does not contain|not permitted|read-only"),
        QRegularExpression::CaseInsensitiveOption);
    return errorWords.match(line).hasMatch();
}

// ffmpeg 5.1 exits with 0 when only the end of the file could not be written,
// a full disk for instance; what it leaves is not a whole clip.
bool reportsUnfinishedOutput(const QString& output)
{
    return output.contains(u"Error writing trailer") || output.contains(u"Error closing file") ||
           output.contains(u"av_interleaved_write_frame(): ");
}

std::optional<QString> whyFfmpegFailed(const ToolRun& run)
{
    if (run.end == ToolEnd::Cancelled)
        return QStringLiteral("stopped");
    if (run.end != ToolEnd::Exited)
        return run.failure;
    const QString output = QString::fromUtf8(run.output);
    if (run.exitCode == 0 && !reportsUnfinishedOutput(output))
        return std::nullopt;
    const QString line = mostSpecificError(output);
    return line.isEmpty() ? QStringLiteral("ffmpeg ended with status %1").arg(run.exitCode) : line;
}

// What ffprobe found in the written file.
struct WrittenFile {
    QStringList kinds;
    QString duration; // sexagesimal as ffprobe wrote it, "N/A", or empty
};

WrittenFile writtenFileFrom(const QString& answer)
{
    WrittenFile file;
    for (const QString& line : answer.split(u'\n', Qt::SkipEmptyParts)) {
        const QString entry = line.trimmed();
        if (entry.startsWith(u"codec_type="))
            file.kinds << entry.mid(11);
        else if (entry.startsWith(u"duration="))
            file.duration = entry.mid(9);
    }
    return file;
}

bool isKnown(const QString& duration)
{
    static const QRegularExpression sexagesimal(QStringLiteral("^\\d+:\\d+:\\d+(\\.\\d+)?$"));
    return sexagesimal.match(duration).hasMatch();
}

bool isZero(const QString& duration)
{
    static const QRegularExpression nonZeroDigit(QStringLiteral("[1-9]"));
    return isKnown(duration) && !duration.contains(nonZeroDigit);
}

ClipVerdict notWritten(const QString& outputPath, const QString& reason)
{
    return {outputPath, false, {}, reason, {}};
}

// A file ffprobe could not read, or found empty, holds nothing; one whose
// duration it cannot tell, as in a raw stream, is kept.
ClipVerdict verdictFromLook(const QString& outputPath, const QString& answer)
{
    const WrittenFile file = writtenFileFrom(answer);
    if (file.kinds.isEmpty() || isZero(file.duration))
        return notWritten(outputPath, nothingEncoded);
    if (!file.kinds.contains(u"video") && !file.kinds.contains(u"audio"))
        return notWritten(outputPath, QStringLiteral("the clip holds no audio or video"));
    const QString duration =
        isKnown(file.duration)
            ? durationTextFromProbeOutput(QStringLiteral("format,") + file.duration)
            : QString();
    ClipVerdict verdict{outputPath, true, duration, {}, {}};
    verdict.seconds = secondsOfTimeCode(file.duration);
    return verdict;
}

} // namespace

ClipVerdict judgeClip(const QString& outputPath, const QString& clipPath, const ToolRun& run)
{
    if (const std::optional<QString> failure = whyFfmpegFailed(run))
        return notWritten(outputPath, *failure);

    const ToolRun look = runResourceToolToEnd(QStringLiteral("ffprobe"),
                                              writtenClipProbeArguments(clipPath), probeTimeLimit);
    if (!look.answered() || look.end == ToolEnd::Crashed)
        return {outputPath, true, {}, {}, look.failure};
    return verdictFromLook(outputPath, QString::fromUtf8(look.output));
}

QStringList writtenClipProbeArguments(const QString& clipPath)
{
    return {QStringLiteral("-v"),
            QStringLiteral("quiet"),
            QStringLiteral("-show_entries"),
            QStringLiteral("stream=codec_type:format=duration"),
            QStringLiteral("-sexagesimal"),
            QStringLiteral("-of"),
            QStringLiteral("default=noprint_wrappers=1"),
            QStringLiteral("-i"),
            clipPath};
}

QString mostSpecificError(const QString& output)
{
    static const QRegularExpression lineBreaks(QStringLiteral("[\r\n]"));
    QString lastSaid;
    const QStringList lines = output.split(lineBreaks, Qt::SkipEmptyParts);
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        const QString text = line->trimmed();
        if (saysNothing(text))
            continue;
        if (readsAsError(text))
            return text;
        if (lastSaid.isEmpty())
            lastSaid = text;
    }
    return lastSaid;
}
