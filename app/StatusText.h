#pragma once

#include <QList>
#include <QString>

#include <optional>

struct ClipVerdict;

// A clip whose ffmpeg still runs, as far as the status line tells of it.
struct WritingClip {
    QString outputPath;
    std::optional<int> percent; // unknown until ffmpeg says how far it has got
};

// The words of the window's status line.
// "Writing b.mp4… 30%" for one clip, "Writing 2 clips…" for more; empty for none.
QString writingStatus(const QList<WritingClip>& clips);
// The last thing said, and what is being written meanwhile, side by side.
QString combinedStatus(const QString& said, const QString& writing);
QString verdictStatus(const ClipVerdict& verdict);
QString readingStatus(const QString& path);
// Empty, which clears the line, when the probe found a duration.
QString probeStatus(const QString& path, const QString& durationText);
