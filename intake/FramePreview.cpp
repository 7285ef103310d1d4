#include "FramePreview.h"

#include "DropView.h"
#include "DurationText.h"
#include "EndingSignals.h"
#include "FrameFetch.h"

#include <QEvent>

#include <algorithm>

using std::chrono::microseconds;

FramePreview::FramePreview(QObject* parent)
    : QObject(parent)
    , worker(std::make_unique<QObject>())
{
    settle.setSingleShot(true);
    settle.setInterval(settleTime);
    connect(&settle, &QTimer::timeout, this, &FramePreview::update);
    thread.setObjectName(QStringLiteral("frames"));
    connect(&thread, &QThread::started, &thread, blockEndingSignals, Qt::DirectConnection);
    worker->moveToThread(&thread);
    thread.start();
}

FramePreview::~FramePreview()
{
    stop.request_stop();
    thread.quit();
    thread.wait(); // not long: the fetch under way ends at once
    worker.reset();
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

// The first frame is wanted as soon as there is a video; the last one once its
// duration says where the video ends.
FramePreview::Halves FramePreview::wanted() const
{
    if (video.isEmpty() || !view)
        return {};
    const QSize size = view->framePixelSize();
    const Ask first{frameAtArguments(video, times.startCode, size),
                    durationTextOf(std::max(times.start, microseconds(0)))};
    if (!duration)
        return {first, std::nullopt};
    const microseconds end = times.start + times.length;
    if (end >= *duration)
        return {first,
                Ask{frameBeforeArguments(video, std::nullopt, size), durationTextOf(*duration)}};
    return {first, Ask{frameBeforeArguments(video, end, size), durationTextOf(end)}};
}

// Asks for what is wanted and not yet asked for; anything asked for that is no
// longer wanted is overtaken.
void FramePreview::update()
{
    const Halves want = wanted();
    for (std::size_t half = 0; half < want.size(); ++half) {
        if (asked[half] && asked[half] != want[half]) {
            overtake();
            break;
        }
    }
    for (std::size_t half = 0; half < want.size(); ++half) {
        if (want[half] && !asked[half])
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
}

void FramePreview::post(std::size_t half, const Ask& ask)
{
    asked[half] = ask;
    QMetaObject::invokeMethod(
        worker.get(),
        [this, half, ask, request = request, token = stop.get_token()] {
            const QImage picture = fetchFrame(ask.arguments, token);
            if (token.stop_requested())
                return;
            QMetaObject::invokeMethod(
                this,
                [this, request, half, frame = ClipFrame{picture, ask.time}] {
                    arrived(request, half, frame);
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void FramePreview::arrived(quint64 request, std::size_t half, const ClipFrame& frame)
{
    if (request != this->request)
        return;
    fetched[half] = frame;
    if (fetched[0] && fetched[1] && view)
        view->showFrames({*fetched[0], *fetched[1]});
}
