#include "OutputPipe.h"

#include <cerrno>
#include <climits>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

void closeDescriptor(int& descriptor)
{
    if (descriptor >= 0)
        ::close(descriptor);
    descriptor = -1;
}

// Waits for something to read, or for the writers to be gone; false if the
// deadline came first.
bool awaitReadable(int descriptor, const QDeadlineTimer& deadline)
{
    for (;;) {
        pollfd request{descriptor, POLLIN, 0};
        const int ready = ::poll(&request, 1, timeoutLeft(deadline));
        if (ready > 0)
            return true;
        if (ready == 0 && deadline.hasExpired())
            return false;
        if (ready < 0 && errno != EINTR)
            return true; // the read that follows reports the error
    }
}

} // namespace

int timeoutLeft(const QDeadlineTimer& deadline)
{
    const qint64 left = deadline.remainingTime(); // -1 when it never comes
    return left > INT_MAX ? INT_MAX : static_cast<int>(left);
}

OutputPipe::OutputPipe()
{
    // Close-on-exec, so that no other program this process starts holds the
    // pipe open; the child's own copies are made by dup2, which clears it.
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) == 0) {
        readEnd = ends[0];
        writeEnd = ends[1];
    }
}

OutputPipe::~OutputPipe()
{
    closeDescriptor(readEnd);
    closeDescriptor(writeEnd);
}

void OutputPipe::becomeStandardOutputAndError() const
{
    ::dup2(writeEnd, STDOUT_FILENO);
    ::dup2(writeEnd, STDERR_FILENO);
}

void OutputPipe::closeWritingEnd()
{
    closeDescriptor(writeEnd);
}

bool OutputPipe::readToEnd(QByteArray& output, QDeadlineTimer deadline)
{
    char buffer[64 * 1024];
    for (;;) {
        if (!awaitReadable(readEnd, deadline))
            return false;
        const ssize_t count = ::read(readEnd, buffer, sizeof buffer);
        if (count > 0)
            output.append(buffer, count);
        else if (count == 0 || errno != EINTR)
            return true; // the end, or an error that no waiting will mend
    }
}
