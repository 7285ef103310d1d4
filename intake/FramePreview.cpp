#include "FramePreview.h"

#include "DropView.h"
#include "DurationText.h"
#include "EndingSignals.h"
#include "FrameFetch.h"

#include <QEvent>

#include <algorithm>

#include <pthread.h>

using std::chrono::microseconds;

FramePreview::FramePreview(QObject* parent)
    : QObject(parent)
{
    for (std::jthread& worker : workers)
        worker = std::jthread([this](const std::stop_token& ending) { fetchInTurn(ending); });
    settle.setSingleShot(true);
    settle.setInterval(settleTime);
    connect(&settle, &QTimer::timeout, this, &FramePreview::update);
    connect(this, &FramePreview::frameDone, this, &FramePreview::takeDone, Qt::QueuedConnection);
}

FramePreview::~FramePreview()
{
    // Not long: the fetches under way are killed at once.
    stop.request_stop();
    for (std::jthread& worker : workers)
        worker.request_stop();
    for (std::jthread& worker : workers)
        worker.join();
}

void FramePreview::setView(DropView* view)
{
    if (this->view)
        this->view->removeEventFilter(this);
    this->view = view;
    if (view)
        view->installEventFilter(this);
}

void FramePreview::showVideo(const QString& path, const ClipTimes& times)
{
    overtake();
    settle.stop();
    video = path;
    duration.reset();
    this->times = times;
    if (view)
        view->clearFrames();
    update();
}

void FramePreview::setDuration(const QString& durationText)
{
    duration = timeOfDurationText(durationText);
    update();
}

void FramePreview::setClipTimes(const ClipTimes& times)
{
    if (this->times == times)
        return;
    this->times = times;
    settle.start();
}

// A larger or smaller area wants frames of its size, once it has rested too.
bool FramePreview::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == view && event->type() == QEvent::Resize && !video.isEmpty())
        settle.start();
    return QObject::eventFilter(watched, event);
}

// Both frames once the duration says where the video ends; until then ffprobe
// has the machine to itself.
FramePreview::Halves FramePreview::wanted() const
{
    if (video.isEmpty() || !duration || !view)
        return {};
    const QSize size = view->framePixelSize();
    const Ask first{frameAtArguments(video, times.startCode, size),
                    durationTextOf(std::max(times.start, microseconds(0)))};
    const microseconds end = times.start + times.length;
    if (end >= *duration)
        return {first,
                Ask{frameBeforeArguments(video, std::nullopt, size), durationTextOf(*duration)}};
    return {first, Ask{frameBeforeArguments(video, end, size), durationTextOf(end)}};
}

// Asks for the frames wanted now, unless they are the ones asked for last; a
// request still under way for others is overtaken.
void FramePreview::update()
{
    const Halves want = wanted();
    if (want == asked)
        return;
    overtake();
    for (std::size_t half = 0; half < want.size(); ++half) {
        if (want[half])
            post(half, *want[half]);
    }
}

void FramePreview::overtake()
{
    stop.request_stop();
    stop = std::stop_source();
    ++request;
    asked = {};
    fetched = {};
    waiting.clear();
}

void FramePreview::post(std::size_t half, const Ask& ask)
{
    asked[half] = ask;
    waiting.push({request, half, ask, stop.get_token()});
}

void FramePreview::fetchInTurn(const std::stop_token& ending)
{
    blockEndingSignals();
    ::pthread_setname_np(::pthread_self(), "frames");
    while (const std::optional<Job> next = waiting.take(ending)) {
        const Job& job = *next;
        const QImage picture = fetchFrame(job.ask.arguments, job.stop);
        if (job.stop.stop_requested())
            continue;
        {
            const std::lock_guard lock(mutex);
            done.push_back({job.request, job.half, ClipFrame{picture, job.ask.time}});
        }
        emit frameDone(QPrivateSignal());
    }
}

void FramePreview::takeDone()
{
    std::deque<Done> taken;
    {
        const std::lock_guard lock(mutex);
        taken.swap(done);
    }
    for (const Done& frame : taken)
        arrived(frame.request, frame.half, frame.frame);
}

void FramePreview::arrived(quint64 request, std::size_t half, const ClipFrame& frame)
{
    if (request != this->request)
        return;
    fetched[half] = frame;
    if (fetched[0] && fetched[1] && view)
        view->showFrames({*fetched[0], *fetched[1]});
}
