#include "TerminationSignals.h"

#include "EndingSignals.h"
#include "RunningTools.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <ctime>

#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int endingSignalNumbers[] = {SIGTERM, SIGINT, SIGHUP};

// How long the orderly end may take before the signal ends the process anyway.
constexpr long hardEndNanoseconds = 1'500'000'000;

// [0] is written by the handler, [1] read on the GUI thread.
int signalSocket[2] = {-1, -1};
std::atomic<int> caught{0};
static_assert(std::atomic<int>::is_always_lock_free, "the handler sets it");
timer_t hardEnd;
bool hardEndMade = false;

void armHardEnd()
{
    if (!hardEndMade)
        return;
    itimerspec in = {};
    in.it_value.tv_sec = hardEndNanoseconds / 1'000'000'000;
    in.it_value.tv_nsec = hardEndNanoseconds % 1'000'000'000;
    ::timer_settime(hardEnd, 0, &in, nullptr);
}

// Runs on the main thread, whatever it was doing: only async-signal-safe calls.
void onEndingSignal(int number)
{
    const int savedErrno = errno;
    int none = 0;
    if (caught.compare_exchange_strong(none, number)) {
        stopRunningTools();
        armHardEnd();
    }
    const char byte = static_cast<char>(number);
    [[maybe_unused]] const ssize_t written = ::write(signalSocket[0], &byte, 1);
    errno = savedErrno;
}

// The orderly end took too long: the caught signal ends the process now.
void onHardEnd(int)
{
    const int number = caught.load();
    ::signal(number, SIG_DFL);
    ::kill(::getpid(), number);
}

bool ignoredAtStart(int number)
{
    struct sigaction current = {};
    ::sigaction(number, nullptr, &current);
    return current.sa_handler == SIG_IGN;
}

void handle(int number, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(number, &action, nullptr);
}

void makeHardEndTimer()
{
    sigevent event = {};
    event.sigev_notify = SIGEV_SIGNAL;
    event.sigev_signo = SIGALRM;
    hardEndMade = ::timer_create(CLOCK_MONOTONIC, &event, &hardEnd) == 0;
    handle(SIGALRM, onHardEnd);
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent)
    : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalSocket) != 0)
        qFatal("velborn-trimlet: cannot make a socket pair for signals");
    auto* notifier = new QSocketNotifier(signalSocket[1], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &TerminationSignals::handleCaughtSignal);
    makeHardEndTimer();
    toolsStoppedDescriptor(); // made now, not first in a handler
    for (const int number : endingSignalNumbers) {
        if (!ignoredAtStart(number))
            handle(number, onEndingSignal);
    }
    unblockEndingSignals();
}

TerminationSignals::~TerminationSignals()
{
    for (const int number : endingSignalNumbers) {
        if (!ignoredAtStart(number))
            ::signal(number, SIG_DFL);
    }
    if (hardEndMade)
        ::timer_delete(hardEnd);
    hardEndMade = false;
    ::close(signalSocket[0]);
    ::close(signalSocket[1]);
    signalSocket[0] = signalSocket[1] = -1;
}

void TerminationSignals::handleCaughtSignal()
{
    char byte = 0;
    if (::read(signalSocket[1], &byte, 1) != 1)
        return;
    QCoreApplication::exit(128 + caught.load());
}

void TerminationSignals::endByCaughtSignal() const
{
    const int number = caught.load();
    if (number == 0)
        return;
    std::signal(number, SIG_DFL);
    std::raise(number);
}

void ignoreBrokenPipes()
{
    std::signal(SIGPIPE, SIG_IGN);
}
