#pragma once

#include <chrono>
#include <vector>

// Where a step of a timeline handle lands, from `time` in `direction` (-1 back,
// +1 on): always on the next boundary of its kind strictly before or after
// `time`, so that a handle between two boundaries goes to the nearer one of
// the side it steps to.

// Frame boundaries, at `framesPerSecond`: the time of frame k is k / rate,
// rounded up to the microsecond, so that the frame at or after it is frame k.
std::chrono::microseconds frameTime(long long frame, double framesPerSecond);
std::chrono::microseconds frameStep(std::chrono::microseconds time, int direction,
                                    double framesPerSecond);

// Whole seconds.
std::chrono::microseconds secondStep(std::chrono::microseconds time, int direction);

// The key frames' times, in order; `time` itself when there is none that way.
std::chrono::microseconds keyFrameStep(std::chrono::microseconds time, int direction,
                                       const std::vector<std::chrono::microseconds>& keyFrames);

// The frame boundary nearest `time`.
std::chrono::microseconds nearestFrameTime(std::chrono::microseconds time, double framesPerSecond);
