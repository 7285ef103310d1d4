#pragma once

#include <QString>
#include <QStringList>

// The bench starts itself in one of these modes when a measure needs a fresh
// process: `velborn-bench --child <mode> [clip]`.
inline const QString childOption = QStringLiteral("--child");

// The real window, as main() builds it, shown; exits once it has been drawn.
inline const QString startupWindowMode = QStringLiteral("startup-window");
// A bare QWidget, shown the same way.
inline const QString startupBareMode = QStringLiteral("startup-bare");
// The real window with the clip dropped on it and its duration shown; prints
// the process's peak memory.
inline const QString memoryWindowMode = QStringLiteral("memory-window");
// A bare QWidget shown; prints the process's peak memory.
inline const QString memoryBareMode = QStringLiteral("memory-bare");

// What a memory mode prints before the peak resident size in KiB, on a line of
// its own: the app prints lines of its own on the same output.
inline const QString peakMemoryTag = QStringLiteral("velborn-bench-maxrss-kib");

// How a child says what went wrong, apart from crashing.
inline constexpr int childNeverPainted = 3;
inline constexpr int childNeverProbed = 4;
inline constexpr int childBadArguments = 5;

// Runs the mode named in `arguments` (those after --child); gives the exit code.
int runChildMode(const QStringList& arguments);
