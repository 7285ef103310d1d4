#pragma once

#include "ClipRequest.h"
#include "ClipVerdict.h"

#include <QString>

#include <functional>
#include <optional>
#include <stop_token>

// What the caller of writeClip hears while the clip is written, and how it
// stops it.
struct ClipWriting {
    // Once ffmpeg is done, or at once when it never runs.
    std::function<void()> ffmpegEnded = [] {};
    // How far ffmpeg has got, in percent: at most four times a second, the
    // last figure once ffmpeg has finished, and never 100 before the verdict.
    std::function<void(int percent)> progressed = [](int) {};
    // Stops ffmpeg, and the look at its clip after it; the export is then not
    // written.
    std::stop_token stop;
    // When set, a file already under the chosen name is left as it is and the
    // clip is not written; this is the reason given, "%1" the name.
    std::optional<QString> refuseToReplace;
};

// Writes the clip `request` asks for where the kernel finds its output path:
// ffmpeg writes into a private folder beside the chosen name, and the clip
// takes that name only once it has been judged a clip. Refuses, before
// anything runs, a name that cannot take a clip, the video being cut and
// times that ffmpeg would not take.
// ffmpeg's output goes to standard output byte for byte. Blocks the calling
// thread throughout.
ClipVerdict writeClip(const ClipRequest& request, const ClipWriting& writing = {});
