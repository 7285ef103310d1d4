#pragma once

#include <QtGlobal>

// The programs this process is waiting for, so that an application that must
// end can stop them instead of leaving them to finish on their own.

// Kills every program still running and refuses to start any from now on.
// Safe to call from any thread; there is no way back.
void stopRunningTools();
bool runningToolsStopped();

// Kills a running program and whatever it started in its process group.
void killTool(qint64 pid);

// Tracks one running child while it lives. A child that starts after the stop
// is killed at once.
class RunningTool {
public:
    explicit RunningTool(qint64 pid);
    ~RunningTool();
    RunningTool(const RunningTool&) = delete;
    RunningTool& operator=(const RunningTool&) = delete;

private:
    qint64 pid;
};
