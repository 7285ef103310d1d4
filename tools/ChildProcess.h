#pragma once

#include <QDeadlineTimer>
#include <QString>
#include <QStringList>

#include <optional>

#include <sys/types.h>

class OutputPipe;

// A program this process started, with its output and errors on a pipe and
// its input from the null device, leading a process group of its own so that
// a kill reaches whatever it starts too. It gets SIGKILL when the thread that
// started it ends, even when this process is killed outright. Until it is
// reaped, its number names it and nothing else.
class ChildProcess {
public:
    ChildProcess(const QString& path, const QStringList& arguments, const OutputPipe& pipe);
    // One neither reaped nor left to the reaper is killed and left to it.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid > 0; }
    // Why it did not start, in words.
    QString startError() const { return error; }
    // Readable once the program has ended.
    int exitDescriptor() const { return pidDescriptor; }

    // Reaps it if it has ended and gives its wait status; nothing while it runs.
    std::optional<int> reapIfEnded();
    void kill();
    // Hands it to the reaper, which kills it at `deadline` if it still runs.
    void leaveToReaper(const QDeadlineTimer& deadline);

private:
    pid_t pid = -1;
    int pidDescriptor = -1;
    QString error;
};
