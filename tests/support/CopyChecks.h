#pragma once

#include <QString>
#include <QStringList>

// A clip of FFmpeg's test pattern at 25 frames a second with a key frame every
// 2 s, as cameras write them, and a sine tone; with B-frames or without.
bool makeKeyFrameClip(const QString& path, double seconds, bool bFrames);

// Checks that `clip` is a copy of `source`'s streams from the key frame at
// `keyFrame` seconds (from the source's start) on: its video packets are the
// source's from that key frame's on, its first frame is that key frame whether
// or not edit lists are read, and it lasts `seconds`, to within the frames a
// cut by decoding time adds.
void expectCopiedFrom(const QString& source, const QString& clip, double keyFrame, double seconds);
