#include "RunningTools.h"

#include <QMutex>
#include <QMutexLocker>
#include <QSet>

#include <signal.h>

namespace {

struct Registry {
    QMutex mutex;
    QSet<qint64> pids;
    bool stopped = false;
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

} // namespace

void killTool(qint64 pid)
{
    // 0 is what QProcess gives once it has reaped the child, and kill(0) would
    // hit this process's own group.
    if (pid <= 0)
        return;
    // The group exists once the child has set it up before exec; the child
    // alone is killed if it never did.
    if (::kill(-static_cast<pid_t>(pid), SIGKILL) != 0)
        ::kill(static_cast<pid_t>(pid), SIGKILL);
}

void stopRunningTools()
{
    Registry& r = registry();
    const QMutexLocker lock(&r.mutex);
    r.stopped = true;
    for (const qint64 pid : std::as_const(r.pids))
        killTool(pid);
}

bool runningToolsStopped()
{
    Registry& r = registry();
    const QMutexLocker lock(&r.mutex);
    return r.stopped;
}

RunningTool::RunningTool(qint64 pid)
    : pid(pid)
{
    Registry& r = registry();
    const QMutexLocker lock(&r.mutex);
    if (r.stopped)
        killTool(pid);
    else
        r.pids.insert(pid);
}

RunningTool::~RunningTool()
{
    Registry& r = registry();
    const QMutexLocker lock(&r.mutex);
    r.pids.remove(pid);
}
