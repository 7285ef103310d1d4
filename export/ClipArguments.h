#pragma once

#include "ClipRequest.h"
#include "SourceFacts.h"

#include <QStringList>

// ffmpeg's command line for cutting `request` out of a video with `source`'s
// facts: the ten or eleven arguments of clipArguments, and only where those
// would give the wrong clip, what gives the right one:
// - a start that is exact to the frame where seeking the input is not;
// - no cover picture taken for the clip's picture;
// - a picture every player plays, 8-bit 4:2:0;
// - interlaced pictures encoded and flagged as such, in their field order.
QStringList exactClipArguments(const ClipRequest& request, const SourceFacts& source);

// Whether ffmpeg's seek on the input can land past the start in a container
// of `formats`, so the start must be found by decoding.
bool seeksPastTheStart(const QStringList& formats);

// How far before the start the input is sought where that is so. The seek
// lands on the first key frame after the point sought, so this must be more
// than the distance between key frames: x264's default of 250 frames is
// 10.4 s at 24 fps; TV and camcorders use half a second.
inline constexpr double preRollSeconds = 12.0;
