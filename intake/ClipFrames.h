#pragma once

#include <QImage>
#include <QString>

// One of the clip's two frames: its picture, null when there is none, and its
// time written as the duration field writes times.
struct ClipFrame {
    QImage picture;
    QString time;
};

// The frames at the clip's start and at its end, as the drop area shows them.
struct ClipFrames {
    ClipFrame first;
    ClipFrame last;
};

// "No picture at …" for the frames without one; empty when both have one.
QString noPictureText(const ClipFrames& frames);

// What the drop area shows, for screen readers: "Frames at 0:00:01.0 and
// 0:00:03.12", and what has no picture.
QString framesDescription(const ClipFrames& frames);
