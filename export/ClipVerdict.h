#pragma once

#include <QString>
#include <QStringList>

struct ToolRun;

// Whether an export left a clip a person can use, and what to tell them.
struct ClipVerdict {
    QString outputPath;
    bool written = false;
    QString duration;   // of the written clip, as the duration field shows durations;
                        // empty when unknown
    QString reason;     // why nothing usable was written
    QString notChecked; // why a clip that ffmpeg finished could not be looked at
    // The key frame a copied clip starts at, as the duration field shows times;
    // empty for a re-encoded clip.
    QString copiedFrom{};
};

// Judges the clip ffmpeg's `run` wrote at `clipPath`, reported as `outputPath`:
// written when ffmpeg finished it and ffprobe finds an audio or video stream
// and a duration that is not zero. A clip that ffprobe cannot look at (missing,
// too slow, stopped) is given the benefit of the doubt. Runs ffprobe, so call
// it off the GUI thread.
ClipVerdict judgeClip(const QString& outputPath, const QString& clipPath, const ToolRun& run);

// ffprobe's command line for a look at the written clip: its streams' kinds
// and its duration, a "key=value" line each.
QStringList writtenClipProbeArguments(const QString& clipPath);

// The line of ffmpeg's output that best says why it failed: the last one that
// reads as an error, else the last that says anything at all. Progress and
// statistics lines and the closing "Conversion failed!" never do.
QString mostSpecificError(const QString& output);
