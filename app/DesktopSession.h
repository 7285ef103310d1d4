#pragma once

#include <QString>

#include <optional>

// What the desktop shows of the application beyond its window, over the
// session bus: the task bar's progress and notifications. Without a session
// bus, or with nobody listening, nothing happens and nothing waits.

// The fraction done, 0 to 1, on the launcher's icon; nothing hides it.
void showTaskBarProgress(std::optional<double> fraction);

// One notification with the application's icon.
void notifyDesktop(const QString& summary);
