#pragma once

#include <QString>

struct ClipVerdict;

// The words of the window's status line.
QString writingStatus(const QString& outputPath);
QString verdictStatus(const ClipVerdict& verdict);
QString readingStatus(const QString& path);
// Empty, which clears the line, when the probe found a duration.
QString probeStatus(const QString& path, const QString& durationText);
