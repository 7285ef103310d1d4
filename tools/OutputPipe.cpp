#include "OutputPipe.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace {

void closeDescriptor(int& descriptor)
{
    if (descriptor >= 0)
        ::close(descriptor);
    descriptor = -1;
}

} // namespace

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

void OutputPipe::closeWritingEnd()
{
    closeDescriptor(writeEnd);
}

QByteArray OutputPipe::readChunk()
{
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t count = ::read(readEnd, buffer, sizeof buffer);
        if (count > 0)
            return QByteArray(buffer, count);
        if (count == 0 || errno != EINTR)
            return {}; // the end, or an error that no waiting will mend
    }
}
