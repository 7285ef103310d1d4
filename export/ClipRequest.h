#pragma once

#include "ClipJobDelegate.h"

#include <QPointer>
#include <QString>

#include <cstdint>
#include <optional>

// Everything one export needs, copied out of the window when the save dialog
// closes, so the job reads nothing that can change under it.
struct ClipRequest {
    // The check box's state: 1 checked, 0 unchecked, -1 partially checked.
    // Only 1 leaves the audio out.
    std::int64_t removeAudioState = 0;
    QString startTime;
    QString inputPath;
    QString duration;
    QString outputPath;
    QPointer<ClipJobDelegate> weakDelegate;
    QPointer<QObject> sender;
    // The video's length when known, so that progress can allow for a clip
    // that the video's end cuts short.
    std::optional<double> videoSeconds;
    // Copy the streams as they are, from the key frame at startTime, instead
    // of re-encoding them.
    bool copyStreams = false;
};
