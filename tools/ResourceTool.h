#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

// How long a program may run before it is killed; no limit when absent.
using ToolTimeLimit = std::optional<std::chrono::milliseconds>;

// How long ffprobe may take to look at a file. The duration probe runs it on
// the GUI thread, so a tool that hangs must not freeze the window for good.
inline constexpr std::chrono::milliseconds probeTimeLimit{10'000};

// How a run of a program ended.
enum class ToolEnd {
    Exited,      // on its own, with an exit status
    Crashed,     // killed by a signal it did not ask for
    Missing,     // no such program in the resource folder
    CannotStart, // there, but it would not start
    TimedOut,    // killed at its time limit before its output ended
    Lingered,    // killed at its time limit after its output had ended
    Stopped,     // killed because the application is ending
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

// Runs the program named exactly `program` from the resource folder with
// `arguments`, each passed as one argument with no shell in between. Standard
// output and standard error share one channel, read until every writer has
// closed it, and standard input is the null device. The time limit covers the
// output and then the exit. The child dies with this process, and it is always
// reaped. A run that gives no answer of its own says why on standard error too.
ToolRun runResourceToolToEnd(const QString& program, const QStringList& arguments,
                             ToolTimeLimit limit = std::nullopt);

// The run's output decoded as UTF-8, whatever the exit status: nothing when the
// program gave no answer or the bytes are not valid UTF-8. Empty output is the
// empty text, which is present.
std::optional<QString> runResourceTool(const QString& program, const QStringList& arguments,
                                       ToolTimeLimit limit = std::nullopt);

// Strict UTF-8 decoding: nothing for bytes that are not valid UTF-8.
std::optional<QString> decodeUtf8(const QByteArray& bytes);
