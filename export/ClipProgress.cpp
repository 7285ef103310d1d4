#include "ClipProgress.h"

#include "TimeCode.h"

#include <algorithm>
#include <cmath>

namespace {

std::optional<int> percentOfLine(const QByteArray& line, double expected)
{
    const qsizetype at = line.lastIndexOf("time=");
    if (at < 0)
        return std::nullopt;
    const qsizetype end = line.indexOf(' ', at);
    const std::optional<double> seconds =
        secondsOfTimeCode(QString::fromLatin1(line.mid(at + 5, end < 0 ? -1 : end - at - 5)));
    if (!seconds)
        return std::nullopt;
    const double percent = std::floor(100 * *seconds / expected);
    return static_cast<int>(std::clamp(percent, 0.0, 99.0));
}

} // namespace

std::optional<double> secondsOfTimeCode(const QString& timeCode)
{
    const std::optional<TimeTexts> texts = timeTextsOf(timeCode);
    if (!texts)
        return std::nullopt;
    return std::chrono::duration<double>(timeOfTexts(*texts)).count();
}

std::optional<double> expectedClipSeconds(const QString& startTime, const QString& length,
                                          std::optional<double> videoSeconds)
{
    const std::optional<double> start = secondsOfTimeCode(startTime);
    std::optional<double> seconds = secondsOfTimeCode(length);
    if (seconds && start && videoSeconds)
        seconds = std::min(*seconds, *videoSeconds - *start);
    if (!seconds || *seconds <= 0)
        return std::nullopt;
    return seconds;
}

ClipProgress::ClipProgress(std::optional<double> expectedSeconds)
    : expected(expectedSeconds)
{}

std::optional<int> ClipProgress::take(const QByteArray& piece)
{
    std::optional<int> percent;
    for (const char c : piece) {
        if (c != '\r' && c != '\n') {
            // A statistics line is short; anything this long is not one.
            if (line.size() < 4096)
                line += c;
            continue;
        }
        if (const std::optional<int> now = expected ? percentOfLine(line, *expected) : std::nullopt)
            percent = now;
        line.clear();
    }
    return percent;
}
