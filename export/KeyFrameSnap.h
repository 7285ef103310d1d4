#pragma once

#include "ClipRequest.h"
#include "TimeCode.h"

#include <chrono>
#include <optional>
#include <vector>

// A cut as times from the video's start.
struct CutTimes {
    std::chrono::microseconds start{0};
    std::chrono::microseconds length{0};
};

// Where a copy of the streams can start for `start`: the last of `keyFrames`
// (in order) at or before it; the video's start when none is. Nothing before
// a key frame can be shown without decoding from it.
std::chrono::microseconds
keyFrameAtOrBefore(const std::vector<std::chrono::microseconds>& keyFrames,
                   std::chrono::microseconds start);

// `cut` moved to start on that key frame, its end kept where it was.
CutTimes snappedToKeyFrame(const std::vector<std::chrono::microseconds>& keyFrames, CutTimes cut);

// Makes `request` a copy of the streams from the key frame at or before its
// start, its end kept, as the window's fields show it. Opens the video to list
// its key frames, so call it off the GUI thread. Gives why not when they
// cannot be listed, and leaves `request` as it was.
std::optional<QString> copyFromKeyFrame(ClipRequest& request);
