#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Seconds in a time code as ffmpeg reads it, H:M:S.F with the digits after the
// point as a decimal fraction ("00:02:15.50" is 135.5); nothing for a text
// ffmpeg would not take as a time.
std::optional<double> secondsOfTimeCode(const QString& timeCode);

// How long the clip will be: the length asked for, or what is left of the
// video after the start when that is shorter and the video's length is known.
std::optional<double> expectedClipSeconds(const QString& startTime, const QString& length,
                                          std::optional<double> videoSeconds);

// Follows ffmpeg's statistics lines ("frame=… time=00:00:12.34 …", ended by a
// carriage return) as its output arrives, in pieces cut anywhere.
class ClipProgress {
public:
    explicit ClipProgress(std::optional<double> expectedSeconds);

    // Takes the next piece of output; gives the percentage written so far when
    // the piece ends a statistics line. Never 100 before the clip is judged.
    std::optional<int> take(const QByteArray& piece);

private:
    std::optional<double> expected;
    QByteArray line; // the part of the last line that has not ended yet
};
