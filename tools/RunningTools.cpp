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

void killChild(qint64 pid)
{
    ::kill(static_cast<pid_t>(pid), SIGKILL);
}

} // namespace

void stopRunningTools()
{
    Registry& r = registry();
    const QMutexLocker lock(&r.mutex);
    r.stopped = true;
    for (const qint64 pid : std::as_const(r.pids))
        killChild(pid);
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
        killChild(pid);
    else
        r.pids.insert(pid);
}

RunningTool::~RunningTool()
{
    Registry& r = registry();
    const QMutexLocker lock(&r.mutex);
    r.pids.remove(pid);
}
