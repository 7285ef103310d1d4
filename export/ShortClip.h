#pragma once

#include "ClipRequest.h"
#include "ClipVerdict.h"
#include "SourceFacts.h"

#include <QByteArray>

// Whether ffmpeg's output says the video it read is damaged: cut off ("partial
// file", "moov atom not found") or holding what it cannot read ("Invalid
// data").
bool reportsDamagedInput(const QByteArray& ffmpegOutput);

// Adds to `verdict` what a person would not otherwise know: a written clip
// more than a frame shorter than the length asked, where the video's duration
// promised more, is "shorter than asked: the video ends at 0:00:06.22"; and
// where ffmpeg found the video damaged, the reason says so, whether the clip
// was written or not.
void noteShortClip(ClipVerdict& verdict, const ClipRequest& request, const SourceFacts& source,
                   const QByteArray& ffmpegOutput);
