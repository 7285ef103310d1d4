#pragma once

#include <QString>

#include <chrono>
#include <optional>

// Turns ffprobe's "format,H:MM:SS.ffffff" answer into the text the window shows:
// the hours, minutes and seconds as ffprobe wrote them, a point, and the number
// of whole twenty-fourths of a second (0:01:23.500000 gives 0:01:23.12).
// Anything else is shown as it came, less its whitespace.
QString durationTextFromProbeOutput(const QString& output);

// A time written as the duration field writes it: 83.5 s gives 0:01:23.12.
// A time before 0 is written as 0.
QString durationTextOf(std::chrono::microseconds time);

// The time a duration text such as 0:01:23.12 stands for; nothing for a text
// of any other form.
std::optional<std::chrono::microseconds> timeOfDurationText(const QString& text);
