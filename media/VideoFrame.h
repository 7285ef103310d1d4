#pragma once

#include <QImage>

#include <chrono>
#include <vector>

// Which frame a time stands for.
enum class FrameChoice {
    KeyFrameAtOrBefore, // the key frame at or before it: quick, for a moving handle
    FirstAtOrAfter,     // the first frame at or after it, as a clip starting there begins
    LastBefore,         // the last frame before it, as a clip ending there ends
};

// A decoded frame at the size asked for, and its time from the video's start.
// A null picture when there is none.
struct VideoFrame {
    QImage picture;
    std::chrono::microseconds time{0};
};

// The key frames' times from the video's start, in order, as the container's
// index lists them. Not known when the container keeps no index (MPEG-TS, for
// one): finding them would mean reading the whole file.
struct KeyFrames {
    bool known = false;
    std::vector<std::chrono::microseconds> times;
};

// What the decoder learnt on opening a video; not opened when the libraries
// found no picture in it that they can decode.
struct VideoFacts {
    bool opened = false;
    KeyFrames keyFrames;
    double framesPerSecond = 0; // on average; 0 when the video does not say
};
