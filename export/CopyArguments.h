#pragma once

#include "ClipRequest.h"
#include "ClipVerdict.h"

#include <QStringList>

// ffmpeg's command line for a clip whose streams are copied, not re-encoded:
// the first video stream and every audio stream, from the key frame the
// request's start names; "-an" before the output path when the audio is to be
// left out. The input is sought, so nothing before the start is read but the
// key frame's own group; "-copypriorss 0" drops whatever the seek lands on
// before the start (audio read ahead, or the group before when a container's
// seek goes back further), so the clip's first frame is that key frame for
// every player, with or without edit lists.
QStringList copyArguments(const ClipRequest& request);

// Says which key frame a written copy starts at, and, when the container
// refused the copied streams, that re-encoding would not be refused.
void noteCopy(ClipVerdict& verdict, const ClipRequest& request, const QByteArray& ffmpegOutput);
