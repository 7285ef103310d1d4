#pragma once

#include <QString>

#include <optional>

// Why ffmpeg 5.1 would refuse a time code for -ss or -t, in words that follow
// the time ("is past the longest time ffmpeg takes"); nothing when it takes
// it. Its duration parser reads [-]H:MM:SS[.F] with hours of four digits at
// most, so 9999:59:59.999999 is the longest; minutes and seconds have two
// digits at most and stay below 60.
std::optional<QString> whyFfmpegRefusesTime(const QString& timeCode);

// A time code as a person reads it: without a fraction that is all zeros.
QString shownTimeCode(const QString& timeCode);
