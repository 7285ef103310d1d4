#pragma once

#include <QString>
#include <QStringList>

struct ToolRun;

// Whether an export left a clip a person can use, and what to tell them.
struct ClipVerdict {
    QString outputPath;
    bool written = false;
    QString duration; // of the written clip, as the duration field shows durations
    QString reason;   // why nothing usable was written
};

// Judges the clip at `outputPath` after ffmpeg's `run`: written when ffmpeg
// exited with 0 and ffprobe finds an audio or video stream and a duration
// above 0 in the file. Runs ffprobe, so call it off the GUI thread.
ClipVerdict judgeClip(const QString& outputPath, const ToolRun& run);

// ffprobe's command line for a look at the written clip: its streams' kinds
// and its duration.
QStringList writtenClipProbeArguments(const QString& outputPath);

// The last line of ffmpeg's output that says something: not empty, and not a
// progress or statistics line. Empty when there is none.
QString lastErrorLine(const QString& output);
