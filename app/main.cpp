#include "Application.h"

#include <cerrno>

#include <fcntl.h>

namespace {

// A standard descriptor left closed by whoever started us would be taken by
// the next descriptor made, and lines meant for standard output would go
// there. Each is opened on the null device before anything else runs.
void openClosedStandardDescriptors()
{
    for (int descriptor = 0; descriptor <= 2; ++descriptor) {
        if (::fcntl(descriptor, F_GETFD) == -1 && errno == EBADF)
            ::open("/dev/null", descriptor == 0 ? O_RDONLY : O_WRONLY); // the lowest free one
    }
}

} // namespace

int main(int argc, char* argv[])
{
    openClosedStandardDescriptors();
    return applicationMain(argc, argv);
}
