#pragma once

#include "LibavHandles.h"

#include <QImage>
#include <QSize>

// Scales decoded frames straight to the size they are shown at: to fit a box
// of device pixels, with the video's display aspect (its pixels made square)
// and turned as the video says it is to be shown, when that is a quarter turn
// or a half.
class FrameScaler {
public:
    // `clockwise` in degrees, a multiple of 90.
    void setDisplay(AVRational sampleAspect, int clockwise);
    // The picture's size for a frame of `width` by `height` in `box`.
    QSize shownSize(int width, int height, QSize box) const;
    QImage scale(const AVFrame& frame, QSize box);

private:
    SwsContext* scalerFor(const AVFrame& frame, QSize size);

    ScalerHandle scaler;
    AVRational sampleAspect{1, 1};
    int clockwise = 0;
};

// The quarter turns, clockwise in degrees, of a stream's display matrix;
// 0 for none or for anything but a multiple of 90.
int clockwiseTurnOf(const AVStream& stream);
