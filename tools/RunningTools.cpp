#include "RunningTools.h"

#include <atomic>

#include <signal.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {

std::atomic<bool> stopped{false};
static_assert(std::atomic<bool>::is_always_lock_free, "a signal handler sets it");

// Made at start-up, as a handler cannot make it; never read, so it stays
// readable once written.
const int stoppedEvent = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);

} // namespace

void stopRunningTools()
{
    stopped.store(true);
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(stoppedEvent, &one, sizeof one);
}

bool runningToolsStopped()
{
    return stopped.load();
}

int toolsStoppedDescriptor()
{
    return stoppedEvent;
}

void killTool(qint64 pid)
{
    // 0 would hit this process's own group.
    if (pid <= 0)
        return;
    // The group exists once the child has set it up before exec; the child
    // alone is killed if it never did.
    if (::kill(-static_cast<pid_t>(pid), SIGKILL) != 0)
        ::kill(static_cast<pid_t>(pid), SIGKILL);
}
