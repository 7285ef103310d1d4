#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <stop_token>

// What writing a clip needs to know of the video being cut, from one look
// with ffprobe before ffmpeg runs. Empty facts (ffprobe could not tell) leave
// ffmpeg's command line as it always was.
struct SourceFacts {
    QStringList formats;           // the demuxer's names, as in "mov,mp4,m4a,3gp,3g2,mj2"
    std::optional<double> seconds; // the container's duration
    bool hasCover = false;         // an attached picture, as music files carry
    // Of the video stream ffmpeg takes, when that is a picture that moves and
    // not a cover.
    bool hasVideo = false;
    QString pixelFormat; // "yuv420p", "yuv420p10le", …
    QString fieldOrder;  // "progressive", "tt", "bb", "tb", "bt", "unknown" or empty
    double frameSeconds = 1.0 / 24;
};

// ffprobe's command line for the look: the container's names and duration,
// and each stream's kind, size, pixel format, field order, rate and
// dispositions, as JSON.
QStringList sourceProbeArguments(const QString& path);

// The facts in ffprobe's JSON answer; empty facts for anything else.
SourceFacts sourceFactsFromProbe(const QByteArray& answer);

// Runs ffprobe on the video at `path`, within the probe's time limit.
SourceFacts probeSourceFacts(const QString& path, std::stop_token stop = {});
