#include "ChildProcess.h"

#include "ChildReaper.h"
#include "OutputPipe.h"
#include "RunningTools.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// Everything the child needs, made before it exists: between vfork and exec
// it may not allocate.
struct Launch {
    QByteArray path;
    std::vector<QByteArray> storage;
    std::vector<char*> argv;
    int output = -1;
    int input = -1;
    int errorReport = -1;
    pid_t parent = -1;
};

Launch launchFor(const QString& path, const QStringList& arguments)
{
    Launch launch;
    launch.path = QFile::encodeName(path);
    launch.storage.push_back(launch.path);
    for (const QString& argument : arguments)
        launch.storage.push_back(argument.toLocal8Bit());
    for (QByteArray& argument : launch.storage)
        launch.argv.push_back(argument.data());
    launch.argv.push_back(nullptr);
    launch.parent = ::getpid();
    return launch;
}

// A handler of this process must never run in a child that shares its memory,
// so every caught signal goes back to its default before any is let through.
// An ignored one stays ignored (nohup's SIGHUP reaches the tools too), except
// that broken pipes are taken the default way whatever this process does.
void resetSignals()
{
    for (int number = 1; number < NSIG; ++number) {
        struct sigaction action;
        if (::sigaction(number, nullptr, &action) != 0)
            continue;
        if (number == SIGPIPE || (action.sa_handler != SIG_IGN && action.sa_handler != SIG_DFL))
            ::signal(number, SIG_DFL);
    }
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr); // blocked by spawn() until now
}

// Runs in the child between vfork and exec: only async-signal-safe calls.
[[noreturn]] void becomeProgram(const Launch& launch)
{
    resetSignals();
    ::dup2(launch.output, STDOUT_FILENO);
    ::dup2(launch.output, STDERR_FILENO);
    ::dup2(launch.input, STDIN_FILENO);
    ::setpgid(0, 0);
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() == launch.parent) // else the parent went before the line above
        ::execve(launch.path.constData(), launch.argv.data(), environ);
    const int why = errno;
    [[maybe_unused]] const ssize_t written = ::write(launch.errorReport, &why, sizeof why);
    ::_exit(127);
}

// Readable once `child` has ended. Debian 12's <sys/pidfd.h> cannot be used
// from C++ (its declarations lack C linkage), hence the system call.
int exitDescriptorOf(pid_t child)
{
    return static_cast<int>(::syscall(SYS_pidfd_open, child, 0));
}

// The child's errno when exec failed; 0 once exec has closed the report.
int readStartError(int report)
{
    int why = 0;
    ssize_t count;
    do
        count = ::read(report, &why, sizeof why);
    while (count < 0 && errno == EINTR);
    return count == sizeof why ? why : 0;
}

// A copy of `descriptor` numbered above the three standard streams, so that
// the child's dup2 onto them always copies it: one of them may be closed in
// this process, and a pipe or the null device may then hold its number.
int aboveStandardStreams(int descriptor)
{
    return descriptor < 0 ? -1 : ::fcntl(descriptor, F_DUPFD_CLOEXEC, 3);
}

// Starts the program: its process id, or minus the errno of what failed.
pid_t spawn(Launch& launch)
{
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return -errno;
    launch.errorReport = report[1];
    // Until the child has reset the handlers, none of them may run in it.
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    ::pthread_sigmask(SIG_SETMASK, &all, &previous);
    const pid_t child = ::vfork();
    if (child == 0)
        becomeProgram(launch);
    const int forkError = errno;
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    ::close(report[1]);
    const int startError = child < 0 ? forkError : readStartError(report[0]);
    ::close(report[0]);
    if (child > 0 && startError != 0)
        ::waitpid(child, nullptr, 0); // it has sent its report and is exiting
    return startError != 0 ? -startError : child;
}

} // namespace

ChildProcess::ChildProcess(const QString& path, const QStringList& arguments,
                           const OutputPipe& pipe)
{
    Launch launch = launchFor(path, arguments);
    const int nullDevice = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    launch.input = aboveStandardStreams(nullDevice);
    launch.output = aboveStandardStreams(pipe.writingEnd());
    const pid_t child = launch.input >= 0 && launch.output >= 0 ? spawn(launch) : -errno;
    for (const int descriptor : {nullDevice, launch.input, launch.output}) {
        if (descriptor >= 0)
            ::close(descriptor);
    }
    if (child > 0)
        pidDescriptor = exitDescriptorOf(child);
    const int why = child < 0 ? -child : errno;
    if (child > 0 && pidDescriptor < 0) { // one that cannot be watched is not run
        killTool(child);
        ::waitpid(child, nullptr, 0);
    }
    if (pidDescriptor < 0) {
        error = QString::fromLocal8Bit(std::strerror(why));
        return;
    }
    pid = child;
}

ChildProcess::~ChildProcess()
{
    if (pid > 0) {
        kill();
        leaveToReaper(QDeadlineTimer(0));
    }
}

std::optional<int> ChildProcess::reapIfEnded()
{
    int status = 0;
    if (pid <= 0 || ::waitpid(pid, &status, WNOHANG) != pid)
        return std::nullopt;
    ::close(pidDescriptor);
    pid = -1;
    pidDescriptor = -1;
    return status;
}

void ChildProcess::kill()
{
    killTool(pid);
}

void ChildProcess::leaveToReaper(const QDeadlineTimer& deadline)
{
    if (pid <= 0)
        return;
    reapInBackground(pid, pidDescriptor, deadline);
    pid = -1;
    pidDescriptor = -1;
}
