#include "CopyArguments.h"

#include "DurationText.h"
#include "TimeCode.h"

#include <QRegularExpression>

#include <optional>

namespace {

// ffmpeg 5.1's line saying that the output's container has no place for a
// stream it was asked to copy as it is, less the muxer's "[mp4 @ 0x…] ";
// nothing when it says no such thing.
std::optional<QString> containerRefusal(const QByteArray& output)
{
    static const QRegularExpression refusal(
        QStringLiteral("^(?:\\[[^]]*\\] )?(.*not currently supported in container.*)$"),
        QRegularExpression::MultilineOption);
    const QRegularExpressionMatch line = refusal.match(QString::fromUtf8(output));
    if (!line.hasMatch())
        return std::nullopt;
    return line.captured(1).trimmed();
}

} // namespace

QStringList copyArguments(const ClipRequest& request)
{
    QStringList arguments{QStringLiteral("-y"),     QStringLiteral("-ss"),
                          request.startTime,        QStringLiteral("-i"),
                          request.inputPath,        QStringLiteral("-t"),
                          request.duration,         QStringLiteral("-map"),
                          QStringLiteral("0:v:0?"), QStringLiteral("-map"),
                          QStringLiteral("0:a?"),   QStringLiteral("-c"),
                          QStringLiteral("copy"),   QStringLiteral("-copypriorss"),
                          QStringLiteral("0")};
    if (request.removeAudioState == 1)
        arguments << QStringLiteral("-an");
    arguments << request.outputPath;
    return arguments;
}

void noteCopy(ClipVerdict& verdict, const ClipRequest& request, const QByteArray& ffmpegOutput)
{
    if (!request.copyStreams)
        return;
    if (verdict.written) {
        if (const std::optional<TimeTexts> start = timeTextsOf(request.startTime))
            verdict.copiedFrom = durationTextOf(timeOfTexts(*start));
    } else if (const std::optional<QString> refusal = containerRefusal(ffmpegOutput)) {
        verdict.reason = *refusal + QStringLiteral("; untick Keep quality to re-encode");
    }
}
