#pragma once

#include <QList>
#include <QString>

#include <optional>

struct ClipVerdict;

// A clip without a verdict yet, as far as the status line tells of it.
struct WritingClip {
    QString outputPath;
    std::optional<int> percent; // unknown until ffmpeg says how far it has got
    bool checking = false;      // ffmpeg is done; the clip is looked at and put in place
};

// The words of the window's status line. Names show control characters as
// \n, \t or \xNN, so that none can break the line or start one of its own.
// "Writing b.mp4… 30%" or "Checking b.mp4…" for one clip, "Writing 2 clips…"
// for more; empty for none.
QString writingStatus(const QList<WritingClip>& clips);
// The last thing said, and what is being written meanwhile, side by side.
QString combinedStatus(const QString& said, const QString& writing);
QString verdictStatus(const ClipVerdict& verdict);
QString readingStatus(const QString& path);
// Empty, which clears the line, when the probe found a duration.
QString probeStatus(const QString& path, const QString& durationText);

// `text` with each control character, and each line or paragraph separator,
// written out: "\n", "\t", "\x1b", "\u2028".
QString escapedControls(const QString& text);
