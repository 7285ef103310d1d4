#pragma once

#include "ClipRequest.h"
#include "ClipVerdict.h"

#include <functional>

// Writes the clip `request` asks for: ffmpeg writes a new hidden file beside
// the chosen one, which takes the chosen name only once it has been judged a
// clip. Refuses, before anything runs, to write over the video being cut.
// `ffmpegEnded` is called once ffmpeg is done, or at once when it never runs;
// ffmpeg's output goes to standard output byte for byte. Blocks the calling
// thread throughout.
ClipVerdict writeClip(const ClipRequest& request, const std::function<void()>& ffmpegEnded);
