#pragma once

#include <QImage>
#include <QSize>
#include <QStringList>

#include <chrono>
#include <optional>
#include <stop_token>

// How long ffmpeg may take for one frame.
inline constexpr std::chrono::milliseconds frameTimeLimit{10'000};

// ffmpeg's command line for the first frame at or after `timeCode` in `video`:
// one picture on standard output, scaled by ffmpeg to fit `size` (device
// pixels) with the aspect it is shown at, so no larger frame reaches us.
QStringList frameAtArguments(const QString& video, const QString& timeCode, QSize size);

// The same for the last frame before `end`, the last frame a clip ending there
// holds; the video's very last frame when `end` is nothing.
QStringList frameBeforeArguments(const QString& video, std::optional<std::chrono::microseconds> end,
                                 QSize size);

// Runs the resource folder's ffmpeg with `arguments` within frameTimeLimit, and
// reads its picture. A null image when it gives none, fails or is stopped.
QImage fetchFrame(const QStringList& arguments, const std::stop_token& stop);
