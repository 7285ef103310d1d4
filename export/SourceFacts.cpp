#include "SourceFacts.h"

#include "ResourceTool.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

bool isCover(const QJsonObject& stream)
{
    return stream[u"disposition"][u"attached_pic"].toInt() == 1;
}

// ffmpeg takes the video stream with the most pixels, a default one first, and
// a cover only when nothing else is there.
int ffmpegsChoice(const QJsonObject& stream)
{
    if (isCover(stream))
        return 1;
    return stream[u"width"].toInt() * stream[u"height"].toInt() +
           5'000'000 * stream[u"disposition"][u"default"].toInt();
}

std::optional<QJsonObject> chosenVideo(const QJsonArray& streams)
{
    std::optional<QJsonObject> chosen;
    int bestScore = 0;
    for (const QJsonValue& value : streams) {
        const QJsonObject stream = value.toObject();
        if (stream[u"codec_type"].toString() != u"video")
            continue;
        if (const int score = ffmpegsChoice(stream); score > bestScore) {
            bestScore = score;
            chosen = stream;
        }
    }
    return chosen;
}

// "30000/1001" as seconds per frame; nothing for "0/0" and the like.
std::optional<double> frameSecondsOfRate(const QString& rate)
{
    const double frames = rate.section(u'/', 0, 0).toDouble();
    const double seconds = rate.section(u'/', 1, 1).toDouble();
    if (frames <= 0 || seconds <= 0)
        return std::nullopt;
    return seconds / frames;
}

void takeVideoFacts(const QJsonObject& video, SourceFacts& facts)
{
    facts.hasVideo = true;
    facts.pixelFormat = video[u"pix_fmt"].toString();
    facts.fieldOrder = video[u"field_order"].toString();
    const std::optional<double> frame = frameSecondsOfRate(video[u"avg_frame_rate"].toString());
    if (frame)
        facts.frameSeconds = *frame;
}

} // namespace

QStringList sourceProbeArguments(const QString& path)
{
    return {QStringLiteral("-v"),
            QStringLiteral("quiet"),
            QStringLiteral("-show_entries"),
            QStringLiteral("format=format_name,duration:stream=codec_type,width,height,pix_fmt,"
                           "field_order,avg_frame_rate:stream_disposition=default,attached_pic"),
            QStringLiteral("-of"),
            QStringLiteral("json"),
            QStringLiteral("-i"),
            path};
}

SourceFacts sourceFactsFromProbe(const QByteArray& answer)
{
    const QJsonObject root = QJsonDocument::fromJson(answer).object();
    const QJsonObject format = root[u"format"].toObject();
    const QJsonArray streams = root[u"streams"].toArray();
    SourceFacts facts;
    facts.formats = format[u"format_name"].toString().split(u',', Qt::SkipEmptyParts);
    bool known = false;
    const double seconds = format[u"duration"].toString().toDouble(&known);
    if (known)
        facts.seconds = seconds;
    for (const QJsonValue& stream : streams)
        facts.hasCover = facts.hasCover || isCover(stream.toObject());
    if (const std::optional<QJsonObject> video = chosenVideo(streams); video && !isCover(*video))
        takeVideoFacts(*video, facts);
    return facts;
}

SourceFacts probeSourceFacts(const QString& path, std::stop_token stop)
{
    ToolRunOptions options;
    options.limit = probeTimeLimit;
    options.stop = std::move(stop);
    const ToolRun look =
        runResourceToolToEnd(QStringLiteral("ffprobe"), sourceProbeArguments(path), options);
    return look.answered() ? sourceFactsFromProbe(look.output) : SourceFacts();
}
