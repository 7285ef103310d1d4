#pragma once

#include <QString>
#include <QStringList>

// A clip of FFmpeg's test pattern at 25 frames a second with a key frame every
// 2 s, as cameras write them, and a sine tone; with B-frames or without.
bool makeKeyFrameClip(const QString& path, double seconds, bool bFrames);

// Checks that `clip` holds `source`'s video packets from the key frame at
// `keyFrame` s on, shows that frame first with or without edit lists, and
// lasts about `seconds`.
void expectCopiedFrom(const QString& source, const QString& clip, double keyFrame, double seconds);
