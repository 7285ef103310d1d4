#include "RunWait.h"

#include "RunningTools.h"

#include <cerrno>
#include <climits>
#include <cstdint>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

RunWait awaitReadable(int descriptor, int cancelDescriptor, const QDeadlineTimer& deadline)
{
    for (;;) {
        pollfd watched[] = {{descriptor, POLLIN, 0},
                            {cancelDescriptor, POLLIN, 0}, // poll skips -1
                            {toolsStoppedDescriptor(), POLLIN, 0}};
        const int ready = ::poll(watched, 3, timeoutLeft(deadline));
        if (ready < 0 && errno == EINTR)
            continue;
        if (watched[2].revents != 0)
            return RunWait::Stopped;
        if (watched[1].revents != 0)
            return RunWait::Cancelled;
        if (ready != 0)
            return RunWait::Ready; // an error is the next read's to report
        if (deadline.hasExpired())
            return RunWait::TimedOut;
    }
}

int timeoutLeft(const QDeadlineTimer& deadline)
{
    const qint64 left = deadline.remainingTime(); // -1 when it never comes
    return left > INT_MAX ? INT_MAX : static_cast<int>(left);
}

StopWakeup::StopWakeup(const std::stop_token& stop)
{
    if (!stop.stop_possible())
        return;
    counter = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    callback.emplace(stop, Wake{counter}); // runs at once if already requested
}

StopWakeup::~StopWakeup()
{
    callback.reset(); // waits for a wake under way before its counter goes
    if (counter >= 0)
        ::close(counter);
}

void StopWakeup::Wake::operator()() const noexcept
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(counter, &one, sizeof one);
}
