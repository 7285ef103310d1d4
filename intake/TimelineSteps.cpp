#include "TimelineSteps.h"

#include <algorithm>
#include <cmath>

using std::chrono::microseconds;

microseconds frameTime(long long frame, double framesPerSecond)
{
    return microseconds(static_cast<long long>(std::ceil(frame * 1e6 / framesPerSecond - 1e-6)));
}

microseconds frameStep(microseconds time, int direction, double framesPerSecond)
{
    // Near the boundary by floating point; the loops settle on the exact one.
    long long frame = static_cast<long long>(std::floor(time.count() * framesPerSecond / 1e6));
    if (direction > 0) {
        while (frameTime(frame, framesPerSecond) > time)
            --frame;
        while (frameTime(frame, framesPerSecond) <= time)
            ++frame;
    } else {
        while (frameTime(frame, framesPerSecond) < time)
            ++frame;
        while (frameTime(frame, framesPerSecond) >= time)
            --frame;
    }
    return frameTime(frame, framesPerSecond);
}

microseconds secondStep(microseconds time, int direction)
{
    constexpr long long second = 1'000'000;
    const long long whole = time.count() / second - (time.count() % second < 0 ? 1 : 0);
    if (direction > 0)
        return microseconds((whole + 1) * second);
    return microseconds((time.count() % second == 0 ? whole - 1 : whole) * second);
}

microseconds keyFrameStep(microseconds time, int direction, const std::vector<microseconds>& keys)
{
    if (direction > 0) {
        const auto after = std::upper_bound(keys.begin(), keys.end(), time);
        return after == keys.end() ? time : *after;
    }
    const auto atOrAfter = std::lower_bound(keys.begin(), keys.end(), time);
    return atOrAfter == keys.begin() ? time : *std::prev(atOrAfter);
}

microseconds nearestFrameTime(microseconds time, double framesPerSecond)
{
    return frameTime(std::llround(time.count() * framesPerSecond / 1e6), framesPerSecond);
}
