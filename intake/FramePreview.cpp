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

void FramePreview::showHandle(std::size_t half, microseconds time, bool exact)
{
    ask(half, wantedFor(half, time, exact));
}

// Both frames once the duration says where the video ends.
FramePreview::Halves FramePreview::wanted() const
{
    return {wantedFor(0, times.start, true), wantedFor(1, times.start + times.length, true)};
}

// The first frame at or after the start; the last before the end, the
// video's last when the end lies past it.
std::optional<FramePreview::Ask> FramePreview::wantedFor(std::size_t half, microseconds time,
                                                         bool exact) const
{
    if (video.isEmpty() || !duration || !view)
        return std::nullopt;
    const QSize box = view->framePixelSize();
    const microseconds at =
        half == 0 ? std::max(time, microseconds(0)) : std::clamp(time, microseconds(0), *duration);
    const FrameChoice choice = !exact      ? FrameChoice::KeyFrameAtOrBefore
                               : half == 0 ? FrameChoice::FirstAtOrAfter
                                           : FrameChoice::LastBefore;
    return Ask{at, choice, durationTextOf(at), box};
}

// Asks for the frames wanted now that differ from those asked for last.
void FramePreview::update()
{
    const Halves want = wanted();
    for (std::size_t half = 0; half < want.size(); ++half)
        ask(half, want[half]);
}

void FramePreview::ask(std::size_t half, const std::optional<Ask>& wanted)
{
    if (wanted == asked[half])
        return;
    asked[half] = wanted;
    if (wanted)
        source.ask(half, wanted->time, wanted->choice, wanted->box);
    else
        source.drop(half);
}

// A key frame is written with its own time, which is where the picture is.
void FramePreview::arrived(std::size_t half, const VideoFrame& frame)
{
    if (!asked[half])
        return;
    const bool keyFrame = asked[half]->choice == FrameChoice::KeyFrameAtOrBefore;
    fetched[half] =
        ClipFrame{frame.picture, keyFrame && !frame.picture.isNull() ? durationTextOf(frame.time)
                                                                     : asked[half]->label};
    if (fetched[0] && fetched[1] && view)
        view->showFrames({*fetched[0], *fetched[1]});
}
