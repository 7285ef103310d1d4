#pragma once

#include <QString>

#include <chrono>

class QLineEdit;

// How long the probe waits for ffprobe. It runs on the GUI thread, so a tool
// that hangs must not freeze the window for good; past this it is killed.
inline constexpr std::chrono::milliseconds probeTimeLimit{10'000};

// ffprobe's command line for `path`, the path passed whole as one argument.
QStringList probeArguments(const QString& path);

// Queues a probe of `path` on the GUI thread and returns at once. When it runs,
// ffprobe is asked for the duration, the duration text is printed as one line
// and then, in a second queued step, shown in `field`. A missing, hung or
// garbled answer counts as an empty one. Nothing happens once `field` is gone.
void probeDuration(const QString& path, QLineEdit* field);
