#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What ffprobe finds in a file: each stream's kind, how many packets it holds
// and how long it lasts, and the whole file's duration.
struct WrittenClip {
    struct Stream {
        QString kind;               // "video", "audio", "subtitle"…
        std::optional<int> packets; // counted by reading the file through
        std::optional<double> seconds;
        std::optional<int> sampleRate; // audio only
    };
    QList<Stream> streams;
    std::optional<double> seconds;

    bool holds(const QString& kind) const;
    // Packets of that kind in the whole file.
    int packetsOf(const QString& kind) const;
    // Whether some audio stream lasts longer than one audio frame, the 1024
    // samples of the AAC frame an MP4 clip's audio is cut into.
    bool hasAudioPastOneFrame() const;
};

// ffprobe's command line for the look: the streams and the duration in its
// default sections, packets counted. Its own errors come on the same channel.
QStringList writtenClipProbeArguments(const QString& path);

// ffprobe's command line for the kinds of a file's streams alone, which needs
// no reading through; a cover picture is read as the kind "cover", not video.
QStringList streamKindsProbeArguments(const QString& path);

// The answer to either command line; lines that are not its keys, such as
// ffprobe's errors, are passed over.
WrittenClip writtenClipFrom(const QString& answer);
