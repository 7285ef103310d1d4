#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <optional>
#include <stop_token>

// How long a program may run before it is killed; no limit when absent.
using ToolTimeLimit = std::optional<std::chrono::milliseconds>;

// How long ffprobe may take to look at a file: a tool that hangs must not
// hold a probe, and the probes after it, for good.
inline constexpr std::chrono::milliseconds probeTimeLimit{10'000};

// How a run of a program ended.
enum class ToolEnd {
    Exited,      // on its own, with an exit status
    Crashed,     // killed by a signal it did not ask for
    Missing,     // no such program in the resource folder
    CannotStart, // there, but it would not start
    TimedOut,    // killed at its time limit before its output ended
    Lingered,    // its output ended, but it still ran; the reaper sees to it
    Stopped,     // killed because the application is ending
    Cancelled,   // killed because the caller asked to stop
};

struct ToolRun {
    ToolEnd end = ToolEnd::Missing;
    int exitCode = -1; // meaningful when it exited
    QByteArray output; // everything it wrote, standard output and error merged
    QString failure;   // why it gave no answer of its own, in words

    // Its output came to its own end, so it is the answer.
    bool answered() const
    {
        return end == ToolEnd::Exited || end == ToolEnd::Crashed || end == ToolEnd::Lingered;
    }
    bool succeeded() const { return end == ToolEnd::Exited && exitCode == 0; }
};

struct ToolRunOptions {
    // Covers the whole run, from the start to the end of the output, and to
    // the exit where that is waited for; the program is killed when it is up.
    ToolTimeLimit limit;
    // Once requested, the program's group is killed and the run returns at
    // once as Cancelled, saying nothing on standard error.
    std::stop_token stop;
    // Each piece of output as it arrives, on the calling thread; the whole
    // output is in the result all the same.
    std::function<void(const QByteArray& chunk)> onOutput;
    // The exit status matters: once the output has ended, wait for the exit
    // too, within the limit. Otherwise a program that still runs then is left
    // to the reaper, and the run returns at once as Lingered.
    bool waitForExit = false;
};

// Runs the program named exactly `program` from the resource folder with
// `arguments`, each passed as one argument with no shell in between. Standard
// output and standard error share one channel, read until every writer has
// closed it, and standard input is the null device. The child dies with this
// process, and it is always reaped, if need be off the calling thread. A run
// that gives no answer of its own says why on standard error too, unless it
// was cancelled.
ToolRun runResourceToolToEnd(const QString& program, const QStringList& arguments,
                             const ToolRunOptions& options);

// The same, waiting for the exit status within `limit`.
ToolRun runResourceToolToEnd(const QString& program, const QStringList& arguments,
                             ToolTimeLimit limit = std::nullopt);

// The run's output decoded as UTF-8, whatever the exit status, returned as
// soon as the output ends: nothing when the program gave no answer or the
// bytes are not valid UTF-8. Empty output is the empty text, which is present.
std::optional<QString> runResourceTool(const QString& program, const QStringList& arguments,
                                       const ToolRunOptions& options);

// Strict UTF-8 decoding: nothing for bytes that are not valid UTF-8.
std::optional<QString> decodeUtf8(const QByteArray& bytes);
