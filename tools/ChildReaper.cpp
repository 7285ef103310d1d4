#include "ChildReaper.h"

#include "EndingSignals.h"
#include "RunWait.h"
#include "RunningTools.h"

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Watched {
    pid_t pid;
    int descriptor;
    QDeadlineTimer deadline;
    bool killed = false;
};

struct Reaper {
    std::mutex mutex;
    std::vector<Watched> children;
    bool watching = false; // a thread is watching `children`
    bool stopSeen = false;
    const int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
};

// Never destroyed: its thread may still be watching when the process ends.
Reaper& reaper()
{
    static Reaper* const instance = new Reaper;
    return *instance;
}

// The soonest deadline of a child not yet killed.
QDeadlineTimer nextDeadline(const std::vector<Watched>& children)
{
    QDeadlineTimer next(QDeadlineTimer::Forever);
    for (const Watched& child : children) {
        if (!child.killed && child.deadline < next)
            next = child.deadline;
    }
    return next;
}

void killIfDue(Watched& child, bool stopped)
{
    if (!child.killed && (stopped || child.deadline.hasExpired())) {
        killTool(child.pid);
        child.killed = true;
    }
}

// True for a child now reaped; its descriptor is then closed.
bool reaped(const Watched& child)
{
    if (::waitpid(child.pid, nullptr, WNOHANG) != child.pid)
        return false;
    ::close(child.descriptor);
    return true;
}

void waitForAny(Reaper& r, std::unique_lock<std::mutex>& lock)
{
    std::vector<pollfd> watched{{r.wake, POLLIN, 0}};
    // The stop stays readable: once heard, it is left out.
    if (!r.stopSeen)
        watched.push_back({toolsStoppedDescriptor(), POLLIN, 0});
    for (const Watched& child : r.children)
        watched.push_back({child.descriptor, POLLIN, 0});
    const int timeout = timeoutLeft(nextDeadline(r.children));
    lock.unlock();
    ::poll(watched.data(), watched.size(), timeout);
    std::uint64_t count;
    [[maybe_unused]] const ssize_t drained = ::read(r.wake, &count, sizeof count);
    lock.lock();
}

void watchChildren()
{
    blockEndingSignals();
    ::pthread_setname_np(::pthread_self(), "reaper");
    Reaper& r = reaper();
    std::unique_lock lock(r.mutex);
    while (!r.children.empty()) {
        waitForAny(r, lock);
        r.stopSeen = runningToolsStopped();
        for (Watched& child : r.children)
            killIfDue(child, r.stopSeen);
        std::erase_if(r.children, reaped);
    }
    r.watching = false;
}

} // namespace

void reapInBackground(pid_t pid, int pidDescriptor, const QDeadlineTimer& deadline)
{
    Reaper& r = reaper();
    const std::lock_guard lock(r.mutex);
    r.children.push_back({pid, pidDescriptor, deadline});
    if (r.watching) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(r.wake, &one, sizeof one);
        return;
    }
    r.watching = true;
    std::thread(watchChildren).detach();
}
