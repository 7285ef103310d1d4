#include "RunningTools.h"

#include <atomic>

#include <signal.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {

std::atomic<bool> stopped{false};
static_assert(std::atomic<bool>::is_always_lock_free, "a signal handler sets it");

// Never read, so it stays readable once written. Made on first use rather
// than before main, which first opens any closed standard descriptor on the
// null device; only calls safe in a signal handler, should that be first.
std::atomic<int> stoppedEvent{-1};
static_assert(std::atomic<int>::is_always_lock_free, "a signal handler may make it");

int stoppedEventDescriptor()
{
    int made = stoppedEvent.load();
    if (made >= 0)
        return made;
    const int fresh = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (stoppedEvent.compare_exchange_strong(made, fresh))
        return fresh;
    ::close(fresh); // another thread made one first
    return made;
}

} // namespace

void stopRunningTools()
{
    stopped.store(true);
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(stoppedEventDescriptor(), &one, sizeof one);
}

bool runningToolsStopped()
{
    return stopped.load();
}

int toolsStoppedDescriptor()
{
    return stoppedEventDescriptor();
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
