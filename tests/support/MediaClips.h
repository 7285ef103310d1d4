#pragma once

#include <QString>
#include <QStringList>

// Makes a test clip at `path` from FFmpeg's built-in sources: a test pattern,
// and a sine tone unless `withAudio` is false. Gives whether it worked.
bool makeTestClip(const QString& path, double seconds, bool withAudio = true);

// The stream kinds ("video", "audio") and the duration in seconds of a file,
// read with the build's ffprobe.
struct MediaFacts {
    QStringList streamKinds;
    double durationSeconds = -1;
};
MediaFacts probeMediaFacts(const QString& path);
