#include "ClipJob.h"

#include "BusyState.h"
#include "ClipVerdict.h"
#include "WriteClip.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QEventLoop>
#include <QList>
#include <QProgressBar>
#include <QThread>
#include <QTimer>

namespace {

// Jobs started and not yet deleted; touched only on the GUI thread. A thread
// deletes itself once it has finished; the pointer then turns null.
QList<QPointer<QThread>>& clipThreads()
{
    static QList<QPointer<QThread>> threads;
    return threads;
}

void forgetDeletedClipThreads()
{
    clipThreads().removeAll(nullptr);
}

template <typename Call> void postToGuiThread(Call call)
{
    QMetaObject::invokeMethod(qApp, std::move(call), Qt::QueuedConnection);
}

void postFinishClipJob(const ClipRequest& request)
{
    postToGuiThread([delegate = request.weakDelegate, sender = request.sender] {
        finishClipJob(delegate, sender);
    });
}

void postVerdict(const ClipRequest& request, const ClipVerdict& verdict)
{
    postToGuiThread([delegate = request.weakDelegate, verdict] {
        if (delegate)
            delegate->showClipVerdict(verdict);
    });
}

// Runs the event loop until one of the running jobs finishes, so that a signal
// to end the application is still heard while jobs are awaited. A thread can
// finish between the connection and the loop; the timer bounds that wait.
void awaitOneClipJob()
{
    QEventLoop loop;
    for (const QPointer<QThread>& thread : std::as_const(clipThreads())) {
        if (thread)
            QObject::connect(thread, &QThread::finished, &loop, &QEventLoop::quit,
                             Qt::QueuedConnection);
    }
    QTimer::singleShot(100, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

QStringList clipArguments(const ClipRequest& request)
{
    QStringList arguments{QStringLiteral("-y"), QStringLiteral("-ss"),     request.startTime,
                          QStringLiteral("-i"), request.inputPath,         QStringLiteral("-t"),
                          request.duration,     QStringLiteral("-qscale"), QStringLiteral("0")};
    if (request.removeAudioState == 1)
        arguments << QStringLiteral("-an");
    arguments << request.outputPath;
    return arguments;
}

void runClipJob(const ClipRequest& request)
{
    postVerdict(request, writeClip(request, [&request] { postFinishClipJob(request); }));
}

void finishClipJob(const QPointer<ClipJobDelegate>& weakDelegate, const QPointer<QObject>&)
{
    // The window may have been closed while the clip was written.
    if (!weakDelegate)
        return;
    if (QProgressBar* progress = weakDelegate->clipProgress()) {
        stopBusyIndicator(*progress);
        hideBusyIndicator(*progress);
    }
    if (QAbstractButton* saveButton = weakDelegate->saveClipButton())
        saveButton->setEnabled(true);
}

void startClipJob(const ClipRequest& request)
{
    forgetDeletedClipThreads();
    QThread* thread = QThread::create(runClipJob, request);
    thread->setObjectName(QStringLiteral("velborn"));
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    clipThreads().append(thread);
    thread->start();
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
    while (runningClipJobCount() > 0)
        awaitOneClipJob();
    // Threads whose deleteLater has not run yet, for instance because the event
    // loop has ended, are deleted here.
    for (const QPointer<QThread>& thread : std::as_const(clipThreads())) {
        if (thread) {
            thread->wait();
            delete thread.data();
        }
    }
    clipThreads().clear();
}
