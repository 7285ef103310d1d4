#pragma once

#include <QDeadlineTimer>

#include <sys/types.h>

// Takes over a child whose run has returned: reaps it once it ends, and kills
// its process group at `deadline`, or at once when the tools are stopped. The
// waiting happens on a thread of its own, which lives while it has children to
// watch, so no caller is held. Takes `pidDescriptor` (a pidfd) too.
void reapInBackground(pid_t pid, int pidDescriptor, const QDeadlineTimer& deadline);
