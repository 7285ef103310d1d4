#include "TerminationSignals.h"

#include "RunningTools.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>

#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::array<int, 3> endingSignals{SIGTERM, SIGINT, SIGHUP};

// [0] is written by the handler, [1] read on the GUI thread.
int signalSocket[2] = {-1, -1};

void writeSignalNumber(int number)
{
    const int savedErrno = errno;
    const char byte = static_cast<char>(number);
    [[maybe_unused]] const ssize_t written = ::write(signalSocket[0], &byte, 1);
    errno = savedErrno;
}

// 0 when there was nothing to read.
int readSignalNumber()
{
    char number = 0;
    return ::read(signalSocket[1], &number, 1) == 1 ? number : 0;
}

void handleSignalsWith(void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : endingSignals)
        ::sigaction(number, &action, nullptr);
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent)
    : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalSocket) != 0)
        qFatal("velborn-trimlet: cannot make a socket pair for signals");
    auto* notifier = new QSocketNotifier(signalSocket[1], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &TerminationSignals::handleCaughtSignal);
    handleSignalsWith(writeSignalNumber);
}

TerminationSignals::~TerminationSignals()
{
    handleSignalsWith(SIG_DFL);
    ::close(signalSocket[0]);
    ::close(signalSocket[1]);
    signalSocket[0] = signalSocket[1] = -1;
}

void TerminationSignals::handleCaughtSignal()
{
    const int number = readSignalNumber();
    if (number == 0)
        return;
    if (caught == 0)
        caught = number;
    stopRunningTools();
    QCoreApplication::exit(128 + caught);
}

void TerminationSignals::endByCaughtSignal() const
{
    if (caught == 0)
        return;
    std::signal(caught, SIG_DFL);
    std::raise(caught);
}

void ignoreBrokenPipes()
{
    std::signal(SIGPIPE, SIG_IGN);
}
