#pragma once

#include <QString>

#include <functional>

class QLineEdit;

// ffprobe's command line for `path`, the path passed whole as one argument.
QStringList probeArguments(const QString& path);

// Called with the duration text once it is shown; empty when ffprobe could not
// tell.
using DurationShown = std::function<void(const QString& text)>;

// Queues a probe of `path` on the GUI thread and returns at once. When it runs,
// ffprobe is asked for the duration, the duration text is printed as one line
// and then, in a second queued step, shown in `field` and handed to `shown`. A
// missing, hung or garbled answer counts as an empty one. Nothing happens once
// `field` is gone.
void probeDuration(const QString& path, QLineEdit* field, DurationShown shown = {});
