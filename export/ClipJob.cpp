#include "ClipJob.h"

#include "BusyState.h"
#include "ResourceTool.h"
#include "StandardOutput.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QList>
#include <QProgressBar>
#include <QThread>

namespace {

// Jobs started and not yet cleaned up; touched only on the GUI thread.
QList<QThread*>& clipThreads()
{
    static QList<QThread*> threads;
    return threads;
}

void forgetClipThread(QThread* thread)
{
    if (!clipThreads().removeOne(thread))
        return;
    thread->wait();
    delete thread;
}

void postFinishClipJob(const ClipRequest& request)
{
    QMetaObject::invokeMethod(
        qApp,
        [delegate = request.weakDelegate, sender = request.sender] {
            finishClipJob(delegate, sender);
        },
        Qt::QueuedConnection);
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
    const std::optional<QByteArray> output =
        runResourceToolBytes(QStringLiteral("ffmpeg"), clipArguments(request));
    postFinishClipJob(request);
    // Whatever ffmpeg said is kept, bytes that are not UTF-8 included.
    if (output)
        printLine(QString::fromUtf8(*output));
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
    QThread* thread = QThread::create(runClipJob, request);
    thread->setObjectName(QStringLiteral("velborn"));
    QObject::connect(
        thread, &QThread::finished, qApp, [thread] { forgetClipThread(thread); },
        Qt::QueuedConnection);
    clipThreads().append(thread);
    thread->start();
}

int runningClipJobCount()
{
    int running = 0;
    for (const QThread* thread : clipThreads())
        running += thread->isFinished() ? 0 : 1;
    return running;
}

void waitForClipJobs()
{
    for (QThread* thread : clipThreads())
        thread->wait();
}
