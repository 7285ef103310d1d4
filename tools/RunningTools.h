#pragma once

#include <QtGlobal>

// Every program this process runs is stopped when the application must end,
// instead of being left to finish on its own.

// Marks the tools stopped for good and wakes every run and the reaper, which
// kill their programs; no program starts from now on. It only stores a flag
// and writes to an event counter, so a signal handler may call it.
void stopRunningTools();
bool runningToolsStopped();

// Readable from the stop on, for a poll that waits for something else too.
int toolsStoppedDescriptor();

// Kills a running program and whatever it started in its process group. Only
// for a child not yet reaped: until then its number cannot name another process.
void killTool(qint64 pid);
