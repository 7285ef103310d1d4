#include "WrittenClip.h"

#include <algorithm>

namespace {

std::optional<double> secondsOf(const QString& text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

std::optional<int> countOf(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

void take(WrittenClip::Stream& stream, const QString& key, const QString& value)
{
    if (key == u"codec_type")
        stream.kind = value;
    else if (key == u"nb_read_packets")
        stream.packets = countOf(value);
    else if (key == u"duration")
        stream.seconds = secondsOf(value);
    else if (key == u"sample_rate")
        stream.sampleRate = countOf(value);
    else if (key == u"DISPOSITION:attached_pic" && value == u"1")
        stream.kind = QStringLiteral("cover"); // a picture beside the sound, not its video
}

} // namespace

bool WrittenClip::holds(const QString& kind) const
{
    return std::any_of(streams.begin(), streams.end(),
                       [&kind](const Stream& stream) { return stream.kind == kind; });
}

int WrittenClip::packetsOf(const QString& kind) const
{
    int packets = 0;
    for (const Stream& stream : streams)
        packets += stream.kind == kind ? stream.packets.value_or(0) : 0;
    return packets;
}

bool WrittenClip::hasAudioPastOneFrame() const
{
    constexpr double samplesPerFrame = 1024;
    return std::any_of(streams.begin(), streams.end(), [](const Stream& stream) {
        return stream.kind == u"audio" && stream.seconds && stream.sampleRate &&
               *stream.seconds * *stream.sampleRate > samplesPerFrame;
    });
}

QStringList writtenClipProbeArguments(const QString& path)
{
    return {
        QStringLiteral("-v"),
        QStringLiteral("error"),
        QStringLiteral("-count_packets"),
        QStringLiteral("-show_entries"),
        QStringLiteral("stream=codec_type,nb_read_packets,duration,sample_rate:format=duration"),
        QStringLiteral("-i"),
        path};
}

QStringList streamKindsProbeArguments(const QString& path)
{
    return {QStringLiteral("-v"),
            QStringLiteral("error"),
            QStringLiteral("-show_entries"),
            QStringLiteral("stream=codec_type:stream_disposition=attached_pic"),
            QStringLiteral("-i"),
            path};
}

WrittenClip writtenClipFrom(const QString& answer)
{
    WrittenClip clip;
    enum { Outside, InStream, InFormat } section = Outside;
    for (const QString& line : answer.split(u'\n')) {
        const QString entry = line.trimmed();
        if (entry == u"[STREAM]") {
            section = InStream;
            clip.streams.append(WrittenClip::Stream());
        } else if (entry == u"[FORMAT]") {
            section = InFormat;
        } else if (entry.startsWith(u"[/")) {
            section = Outside;
        } else if (const qsizetype equals = entry.indexOf(u'='); equals > 0) {
            const QString key = entry.left(equals);
            const QString value = entry.mid(equals + 1);
            if (section == InStream)
                take(clip.streams.last(), key, value);
            else if (section == InFormat && key == u"duration")
                clip.seconds = secondsOf(value);
        }
    }
    return clip;
}
