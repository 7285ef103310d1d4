#include "ClipJob.h"

#include "BusyState.h"
#include "ClipVerdict.h"
#include "CopyArguments.h"
#include "EndingSignals.h"
#include "GuiThread.h"
#include "WriteClip.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QList>
#include <QProgressBar>
#include <QThread>

#include <condition_variable>
#include <map>
#include <mutex>

namespace {

// Jobs started and not yet deleted; touched only on the GUI thread. A thread
// deletes itself once it has finished; the pointer then turns null.
QList<QPointer<QThread>>& clipThreads()
{
    static QList<QPointer<QThread>> threads;
    return threads;
}

// How many jobs have not yet returned from runClipJob. Waiting on this, and not
// on QThread alone, orders the jobs' last calls to the window before whatever
// reads them next, for ThreadSanitizer as for the reader.
struct RunningJobs {
    std::mutex mutex;
    std::condition_variable ended;
    int running = 0;
};

RunningJobs& runningJobs()
{
    static RunningJobs jobs;
    return jobs;
}

void runCountedClipJob(const ClipRequest& request, int jobId, std::stop_token stop)
{
    blockEndingSignals();
    runClipJob(request, jobId, std::move(stop));
    RunningJobs& jobs = runningJobs();
    {
        const std::lock_guard lock(jobs.mutex);
        --jobs.running;
    }
    jobs.ended.notify_all();
}

void forgetDeletedClipThreads()
{
    clipThreads().removeAll(nullptr);
}

// Exports without a verdict yet, by job number; GUI thread only.
std::map<int, std::stop_source>& writingClips()
{
    static std::map<int, std::stop_source> clips;
    return clips;
}

void postFinishClipJob(const ClipRequest& request, int jobId)
{
    postToGuiThread([delegate = request.weakDelegate, sender = request.sender, jobId] {
        finishClipJob(delegate, sender, jobId);
    });
}

void postProgress(const ClipRequest& request, int jobId, int percent)
{
    postToGuiThread([delegate = request.weakDelegate, jobId, percent] {
        if (delegate)
            delegate->showClipProgress(jobId, percent);
    });
}

void postVerdict(const ClipRequest& request, int jobId, const ClipVerdict& verdict)
{
    postToGuiThread([delegate = request.weakDelegate, jobId, verdict] {
        deliverClipVerdict(delegate, jobId, verdict);
    });
}

} // namespace

QStringList clipArguments(const ClipRequest& request)
{
    if (request.copyStreams)
        return copyArguments(request);
    QStringList arguments{QStringLiteral("-y"), QStringLiteral("-ss"),     request.startTime,
                          QStringLiteral("-i"), request.inputPath,         QStringLiteral("-t"),
                          request.duration,     QStringLiteral("-qscale"), QStringLiteral("0")};
    if (request.removeAudioState == 1)
        arguments << QStringLiteral("-an");
    arguments << request.outputPath;
    return arguments;
}

void runClipJob(const ClipRequest& request, int jobId, std::stop_token stop)
{
    ClipWriting writing;
    writing.ffmpegEnded = [&] { postFinishClipJob(request, jobId); };
    writing.progressed = [&](int percent) { postProgress(request, jobId, percent); };
    writing.stop = std::move(stop);
    postVerdict(request, jobId, writeClip(request, writing));
}

void finishClipJob(const QPointer<ClipJobDelegate>& weakDelegate, const QPointer<QObject>&,
                   int jobId)
{
    // The window may have been closed while the clip was written.
    if (!weakDelegate)
        return;
    if (QAbstractButton* saveButton = weakDelegate->saveClipButton())
        saveButton->setEnabled(true);
    weakDelegate->clipJobFinished(jobId);
}

void deliverClipVerdict(const QPointer<ClipJobDelegate>& weakDelegate, int jobId,
                        const ClipVerdict& verdict)
{
    writingClips().erase(jobId);
    if (!weakDelegate)
        return;
    // The indicator spins while any clip is being written or checked.
    QProgressBar* progress = weakDelegate->clipProgress();
    if (progress && writingClips().empty()) {
        stopBusyIndicator(*progress);
        hideBusyIndicator(*progress);
    }
    weakDelegate->showClipVerdict(jobId, verdict);
}

int startClipJob(const ClipRequest& request)
{
    static int lastJobId = 0;
    const int jobId = ++lastJobId;
    std::stop_token stop = writingClips()[jobId].get_token();
    forgetDeletedClipThreads();
    {
        const std::lock_guard lock(runningJobs().mutex);
        ++runningJobs().running;
    }
    QThread* thread = QThread::create(runCountedClipJob, request, jobId, stop);
    thread->setObjectName(QStringLiteral("velborn"));
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    clipThreads().append(thread);
    thread->start();
    return jobId;
}

void stopClipJobs()
{
    for (auto& [jobId, stop] : writingClips())
        stop.request_stop();
}

int runningClipJobCount()
{
    int running = 0;
    for (const QPointer<QThread>& thread : std::as_const(clipThreads()))
        running += thread && !thread->isFinished() ? 1 : 0;
    return running;
}

void waitForClipJobs()
{
    // A plain wait: once the event loop has been told to quit, every later
    // QEventLoop::exec returns at once. A job ends when its ffmpeg does, and at
    // once when the tools are stopped.
    RunningJobs& jobs = runningJobs();
    {
        std::unique_lock lock(jobs.mutex);
        jobs.ended.wait(lock, [&jobs] { return jobs.running == 0; });
    }
    for (const QPointer<QThread>& thread : std::as_const(clipThreads())) {
        if (thread)
            thread->wait(); // only its last return is left
    }
    // Their last calls to the window, then the threads whose deleteLater has
    // not run yet.
    QCoreApplication::sendPostedEvents();
    for (const QPointer<QThread>& thread : std::as_const(clipThreads()))
        delete thread.data();
    clipThreads().clear();
}
