#pragma once

#include <QString>
#include <QStringList>

// Makes a clip with a test pattern and a sine tone from FFmpeg's own sources.
bool makeTestClip(const QString& path, double seconds, const QString& size = "160x120");

// What the build's ffprobe says of a file: its streams' kinds ("video",
// "audio") and its duration in seconds, or -1 when it has none.
struct MediaFacts {
    QStringList streamKinds;
    double durationSeconds = -1;
};
MediaFacts probeMediaFacts(const QString& path);
