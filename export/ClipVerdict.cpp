#include "ClipVerdict.h"

#include "ClipRequest.h"
#include "DurationText.h"
#include "ResourceTool.h"
#include "WrittenClip.h"

#include <QRegularExpression>

#include <chrono>

namespace {

const QString nothingEncoded =
    QStringLiteral("nothing was encoded; is the start past the end of the video?");
const QString nothingOfTheVideo =
    QStringLiteral("nothing of the video is in the clip; is the start at or past its end?");

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

// ffmpeg's output less the paths it echoes, which may hold any words at all.
QString withoutPaths(const QString& output, const QString& inputPath, const QString& clipPath)
{
    QString said = output;
    for (const QString& path : {inputPath, clipPath}) {
        if (!path.isEmpty())
            said.remove(path);
    }
    return said;
}

// ffmpeg 5.1 exits with 0 when only the end of the file could not be written,
// a full disk for instance; what it leaves is not a whole clip. Only its own
// lines count, which start with the words or with a "[muxer @ 0x…] " prefix;
// the names and metadata it echoes are indented or quoted.
bool reportsUnfinishedOutput(const QString& said)
{
    static const QRegularExpression unfinished(
        QStringLiteral("^(?:\\[[^\\]\\s]+ @ 0x[0-9a-fA-F]+\\] )?"
                       "(?:Error writing trailer|Error closing file|"
                       "av_interleaved_write_frame\\(\\): )"),
        QRegularExpression::MultilineOption);
    return unfinished.match(QString(said).replace(u'\r', u'\n')).hasMatch();
}

// ffmpeg's closing statistics give no muxing overhead when no stream got a byte.
bool saysNothingWasEncoded(const QString& said)
{
    static const QRegularExpression emptyOutput(
        QStringLiteral("^video:\\S+ audio:\\S+ .*muxing overhead: unknown$"),
        QRegularExpression::MultilineOption);
    return emptyOutput.match(QString(said).replace(u'\r', u'\n')).hasMatch();
}

std::optional<QString> whyFfmpegFailed(const ToolRun& run, const QString& said)
{
    if (run.end == ToolEnd::Cancelled)
        return QStringLiteral("stopped");
    if (run.end != ToolEnd::Exited)
        return run.failure;
    if (run.exitCode == 0 && !reportsUnfinishedOutput(said))
        return std::nullopt;
    const QString line = mostSpecificError(QString::fromUtf8(run.output));
    return line.isEmpty() ? QStringLiteral("ffmpeg ended with status %1").arg(run.exitCode) : line;
}

ClipVerdict notWritten(const QString& outputPath, const QString& reason)
{
    return {outputPath, false, {}, reason, {}};
}

// A look that gave no answer of its own: stopped by the person, the clip is
// not wanted; otherwise it is kept unchecked.
std::optional<ClipVerdict> unansweredLook(const QString& outputPath, const ToolRun& look)
{
    if (look.end == ToolEnd::Cancelled)
        return notWritten(outputPath, QStringLiteral("stopped"));
    if (look.answered() && look.end != ToolEnd::Crashed)
        return std::nullopt;
    const QString why = look.end == ToolEnd::Stopped ? QStringLiteral("stopped") : look.failure;
    return ClipVerdict{outputPath, true, {}, {}, why};
}

ToolRun lookAt(const QStringList& arguments, std::stop_token stop)
{
    ToolRunOptions options;
    options.limit = probeTimeLimit;
    options.stop = std::move(stop);
    options.waitForExit = true; // ffprobe's status says whether it could read the file
    return runResourceToolToEnd(QStringLiteral("ffprobe"), arguments, options);
}

QString clipDurationText(const WrittenClip& clip)
{
    if (!clip.seconds)
        return {};
    return durationTextOf(std::chrono::round<std::chrono::microseconds>(
        std::chrono::duration<double>(*clip.seconds)));
}

} // namespace

ClipVerdict judgeClip(const ClipRequest& request, const QString& clipPath, const ToolRun& run,
                      std::stop_token stop)
{
    const QString& outputPath = request.outputPath;
    const QString said = withoutPaths(QString::fromUtf8(run.output), request.inputPath, clipPath);
    if (const std::optional<QString> failure = whyFfmpegFailed(run, said))
        return notWritten(outputPath, *failure);

    const ToolRun look = lookAt(writtenClipProbeArguments(clipPath), stop);
    if (std::optional<ClipVerdict> verdict = unansweredLook(outputPath, look))
        return *verdict;
    const QString answer = QString::fromUtf8(look.output);
    if (look.end == ToolEnd::Exited && look.exitCode != 0) {
        const QString line = mostSpecificError(answer);
        return notWritten(outputPath, QStringLiteral("the clip could not be read: %1")
                                          .arg(line.isEmpty() ? look.failure : line));
    }
    const WrittenClip clip = writtenClipFrom(answer);
    ClipVerdict written{outputPath, true, clipDurationText(clip), {}, {}};
    written.seconds = clip.seconds;
    if (clip.packetsOf(QStringLiteral("video")) > 0)
        return written;
    if (clip.packetsOf(QStringLiteral("audio")) == 0 && saysNothingWasEncoded(said))
        return notWritten(outputPath, nothingEncoded);
    if (!clip.holds(QStringLiteral("video")) && !clip.holds(QStringLiteral("audio")))
        return notWritten(outputPath, QStringLiteral("the clip holds no audio or video"));
    if (clip.holds(QStringLiteral("video")))
        return notWritten(outputPath, nothingOfTheVideo);

    // No video in the clip: the source's kinds say whether some was expected.
    const ToolRun source = lookAt(streamKindsProbeArguments(request.inputPath), stop);
    if (std::optional<ClipVerdict> verdict = unansweredLook(outputPath, source))
        return *verdict;
    // A source that cannot be read now says nothing of its kinds.
    const bool sourceHasVideo =
        writtenClipFrom(QString::fromUtf8(source.output)).holds(QStringLiteral("video"));
    if (sourceHasVideo || !clip.hasAudioPastOneFrame())
        return notWritten(outputPath, nothingOfTheVideo);
    return written;
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
