#include "FramePreview.h"

#include "DropView.h"
#include "DurationText.h"

#include <QEvent>

#include <algorithm>

using std::chrono::microseconds;

FramePreview::FramePreview(QObject* parent)
    : QObject(parent)
{
    settle.setSingleShot(true);
    settle.setInterval(settleTime);
    connect(&settle, &QTimer::timeout, this, &FramePreview::update);
    connect(&source, &FrameSource::frameReady, this, &FramePreview::arrived);
    connect(&source, &FrameSource::opened, this, &FramePreview::videoOpened);
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
    settle.stop();
    video = path;
    duration.reset();
    this->times = times;
    asked = {};
    fetched = {};
    source.open(path);
    if (view)
        view->clearFrames();
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

// Both frames once the duration says where the video ends.
FramePreview::Halves FramePreview::wanted() const
{
    if (video.isEmpty() || !duration || !view)
        return {};
    const QSize box = view->framePixelSize();
    const microseconds start = std::max(times.start, microseconds(0));
    const microseconds end = std::min(times.start + times.length, *duration);
    return {Ask{start, FrameChoice::FirstAtOrAfter, durationTextOf(start), box},
            Ask{end, FrameChoice::LastBefore, durationTextOf(end), box}};
}

// Asks for the frames wanted now that differ from those asked for last.
void FramePreview::update()
{
    const Halves want = wanted();
    for (std::size_t half = 0; half < want.size(); ++half) {
        if (want[half] == asked[half])
            continue;
        asked[half] = want[half];
        if (want[half])
            source.ask(half, want[half]->time, want[half]->choice, want[half]->box);
        else
            source.drop(half);
    }
}

void FramePreview::arrived(std::size_t half, const VideoFrame& frame)
{
    if (!asked[half])
        return;
    fetched[half] = ClipFrame{frame.picture, asked[half]->label};
    if (fetched[0] && fetched[1] && view)
        view->showFrames({*fetched[0], *fetched[1]});
}
