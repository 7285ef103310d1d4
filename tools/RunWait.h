#pragma once

#include <QDeadlineTimer>

#include <optional>
#include <stop_token>

// What ended a run's wait for its program.
enum class RunWait {
    Ready,     // what was awaited came
    Cancelled, // the caller asked to stop
    Stopped,   // the application is ending
    TimedOut,  // the deadline came first
};

// Waits until `descriptor` is readable (output, its end, or a child's exit),
// the run is cancelled through `cancelDescriptor` (-1 for never), the tools
// are stopped, or the deadline passes. The application's end comes first.
RunWait awaitReadable(int descriptor, int cancelDescriptor, const QDeadlineTimer& deadline);

// What is left of `deadline` in milliseconds, as poll takes it: -1 when it
// never comes.
int timeoutLeft(const QDeadlineTimer& deadline);

// An event counter that turns readable once `stop` is requested, so that a
// thread blocked in poll hears the request.
class StopWakeup {
public:
    explicit StopWakeup(const std::stop_token& stop);
    ~StopWakeup();
    StopWakeup(const StopWakeup&) = delete;
    StopWakeup& operator=(const StopWakeup&) = delete;

    // -1 when the token can never be stopped.
    int descriptor() const { return counter; }

private:
    struct Wake {
        int counter;
        void operator()() const noexcept;
    };

    int counter = -1;
    std::optional<std::stop_callback<Wake>> callback;
};
