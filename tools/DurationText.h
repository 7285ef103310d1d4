#pragma once

#include <QString>

// Turns ffprobe's "format,H:MM:SS.ffffff" answer into the text the window shows:
// the hours, minutes and seconds as ffprobe wrote them, a point, and the number
// of whole twenty-fourths of a second (0:01:23.500000 gives 0:01:23.12).
// Anything else is shown as it came, less its whitespace.
QString durationTextFromProbeOutput(const QString& output);
