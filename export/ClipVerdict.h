#pragma once

#include <QString>

#include <optional>
#include <stop_token>

struct ClipRequest;
struct ToolRun;

// Whether an export left a clip a person can use, and what to tell them.
struct ClipVerdict {
    QString outputPath;
    bool written = false;
    QString duration;                // of the written clip, as the duration field shows durations;
                                     // empty when unknown
    QString reason;                  // why nothing usable was written
    QString notChecked;              // why a clip that ffmpeg finished could not be looked at
    QString shorter{};               // why a written clip holds less than was asked, as in
                                     // "shorter than asked: the video ends at 0:00:06.22"
    std::optional<double> seconds{}; // of the written clip, when ffprobe told
    // The key frame a copied clip starts at, as the duration field shows times;
    // empty for a re-encoded clip.
    QString copiedFrom{};
};

// Judges the clip ffmpeg's `run` wrote at `clipPath` for `request`: written
// when ffmpeg finished it and ffprobe finds at least one video frame in it,
// or, from a source with no video, audio longer than one audio frame. A clip
// that ffprobe could not look at (too slow, crashed, stopped as the
// application ends) is given the benefit of the doubt; one it looked at and
// could not read is not. `stop` ends the look, and the clip is then not
// written. Runs ffprobe, so call it off the GUI thread.
ClipVerdict judgeClip(const ClipRequest& request, const QString& clipPath, const ToolRun& run,
                      std::stop_token stop = {});

// The line of ffmpeg's output that best says why it failed: the last one that
// reads as an error, else the last that says anything at all. Progress and
// statistics lines and the closing "Conversion failed!" never do.
QString mostSpecificError(const QString& output);
