#include "ClipTimeline.h"

#include "DurationText.h"
#include "TimelineHandle.h"
#include "TimelineSteps.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

using std::chrono::microseconds;

namespace {

constexpr int handleWidth = 10;
constexpr int barHeight = 22;
constexpr int tickHeight = 5;
// Frames are written in 24ths where the video does not say its rate.
constexpr double fallbackFramesPerSecond = 24;

} // namespace

ClipTimeline::ClipTimeline(QWidget* parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibleName(tr("Clip timeline"));
    for (std::size_t which : {startHandle, endHandle}) {
        handles[which] = new TimelineHandle(*this, which);
        handles[which]->hide();
    }
    setTabOrder(handles[startHandle], handles[endHandle]);
}

QSize ClipTimeline::sizeHint() const
{
    return {400, minimumSizeHint().height()};
}

QSize ClipTimeline::minimumSizeHint() const
{
    return {4 * handleWidth, barHeight + 2 * tickHeight + fontMetrics().height() + 4};
}

void ClipTimeline::reset()
{
    duration_.reset();
    keyFrames = {};
    framesPerSecond_ = 0;
    drag = Drag::None;
    moving = {};
    layoutHandles();
    update();
}

void ClipTimeline::setDuration(std::optional<microseconds> duration)
{
    duration_ = duration && *duration > microseconds(0) ? duration : std::nullopt;
    layoutHandles();
    update();
}

void ClipTimeline::setVideoFacts(const VideoFacts& facts)
{
    keyFrames = facts.keyFrames;
    framesPerSecond_ = facts.framesPerSecond;
    update();
}

void ClipTimeline::setClip(microseconds start, microseconds end)
{
    if (times == std::array{start, end})
        return;
    times = {start, end};
    layoutHandles();
    update();
}

double ClipTimeline::framesPerSecond() const
{
    return framesPerSecond_ > 0 ? framesPerSecond_ : fallbackFramesPerSecond;
}

// Within the video, and at least a frame from the other handle.
microseconds ClipTimeline::clampedTime(std::size_t which, microseconds time) const
{
    const microseconds end = duration_.value_or(microseconds(0));
    const double rate = framesPerSecond();
    if (which == startHandle)
        return std::clamp(
            time, microseconds(0),
            std::max(microseconds(0), frameStep(std::min(times[endHandle], end), -1, rate)));
    return std::clamp(
        time, std::min(end, frameStep(std::max(times[startHandle], microseconds(0)), 1, rate)),
        end);
}

void ClipTimeline::moveHandle(std::size_t which, microseconds time, Motion motion)
{
    std::array<microseconds, 2> wanted = times;
    wanted[which] = clampedTime(which, time);
    if (which == startHandle)
        wanted[which] = allowedStart(wanted[which]);
    place(wanted, motion);
}

void ClipTimeline::moveRange(microseconds start, Motion motion)
{
    if (!duration_)
        return;
    const microseconds length = times[endHandle] - times[startHandle];
    const microseconds from =
        std::clamp(start, microseconds(0), std::max(microseconds(0), *duration_ - length));
    place({from, std::min(from + length, *duration_)}, motion);
}

// Takes the new times and says which handles moved; at rest, the handles
// shown with a quick picture get their exact one too.
void ClipTimeline::place(const std::array<microseconds, 2>& wanted, Motion motion)
{
    if (!duration_)
        return;
    const std::array<microseconds, 2> before = times;
    times = wanted;
    layoutHandles();
    update();
    if (times != before)
        emit clipMoved(times[startHandle], times[endHandle]);
    for (std::size_t which : {startHandle, endHandle}) {
        const bool moved = times[which] != before[which];
        if (moved)
            announce(which);
        if (moved || (motion == Motion::Settled && moving[which]))
            emit handleMoved(which, times[which], motion);
        if (moved || motion == Motion::Settled)
            moving[which] = moved && motion == Motion::Moving;
    }
}

microseconds ClipTimeline::allowedStart(microseconds time) const
{
    if (!startOnKeyFrames || !keyFrames.known)
        return time;
    const auto after = std::upper_bound(keyFrames.times.begin(), keyFrames.times.end(), time);
    return after == keyFrames.times.begin() ? microseconds(0) : *std::prev(after);
}

void ClipTimeline::settleHandles()
{
    for (std::size_t which : {startHandle, endHandle}) {
        if (moving[which]) {
            moving[which] = false;
            emit handleMoved(which, times[which], Motion::Settled);
        }
    }
}

void ClipTimeline::announce(std::size_t which)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleValueChangeEvent event(handles[which], times[which].count() / 1e6);
    QAccessible::updateAccessibility(&event);
}

bool ClipTimeline::stepHandle(std::size_t which, const QKeyEvent& key)
{
    if (!duration_)
        return false;
    const microseconds time = times[which];
    const bool shift = key.modifiers().testFlag(Qt::ShiftModifier);
    microseconds to;
    switch (key.key()) {
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const int direction = key.key() == Qt::Key_Left ? -1 : 1;
        if (which == startHandle && startOnKeyFrames && keyFrames.known)
            to = keyFrameStep(time, direction, keyFrames.times);
        else
            to =
                shift ? secondStep(time, direction) : frameStep(time, direction, framesPerSecond());
        break;
    }
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        const int direction = key.key() == Qt::Key_PageUp ? -1 : 1;
        // Without a list of key frames, ten seconds at a time.
        to = keyFrames.known ? keyFrameStep(time, direction, keyFrames.times)
                             : time + direction * microseconds(10'000'000);
        break;
    }
    case Qt::Key_Home:
        to = microseconds(0);
        break;
    case Qt::Key_End:
        to = *duration_;
        break;
    default:
        return false;
    }
    moveHandle(which, to, key.isAutoRepeat() ? Motion::Moving : Motion::Settled);
    return true;
}

QRect ClipTimeline::bar() const
{
    return {handleWidth / 2, tickHeight, std::max(1, width() - handleWidth), barHeight};
}

int ClipTimeline::xOfTime(microseconds time) const
{
    if (!duration_)
        return bar().left();
    const double share = std::clamp(double(time.count()) / double(duration_->count()), 0.0, 1.0);
    return bar().left() + static_cast<int>(std::lround(share * (bar().width() - 1)));
}

microseconds ClipTimeline::timeAtX(double x) const
{
    if (!duration_)
        return microseconds(0);
    const double share = std::clamp((x - bar().left()) / std::max(1, bar().width() - 1), 0.0, 1.0);
    const auto time = microseconds(std::llround(share * double(duration_->count())));
    return std::min(nearestFrameTime(time, framesPerSecond()), *duration_);
}

void ClipTimeline::layoutHandles()
{
    for (std::size_t which : {startHandle, endHandle}) {
        const int x =
            xOfTime(std::clamp(times[which], microseconds(0), duration_.value_or(microseconds(0))));
        handles[which]->setGeometry(x - handleWidth / 2, 0, handleWidth,
                                    barHeight + 2 * tickHeight);
        handles[which]->setVisible(duration_.has_value());
    }
}

void ClipTimeline::resizeEvent(QResizeEvent*)
{
    layoutHandles();
}

void ClipTimeline::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect track = bar();
    painter.setPen(palette().color(QPalette::Mid));
    painter.setBrush(palette().color(isEnabled() && duration_ ? QPalette::Base : QPalette::Window));
    painter.drawRect(track.adjusted(0, 0, -1, -1));
    if (!duration_)
        return;
    const int left = xOfTime(times[startHandle]);
    const int right = xOfTime(times[endHandle]);
    QColor range = palette().color(QPalette::Highlight);
    range.setAlpha(110);
    painter.fillRect(QRect(QPoint(left, track.top() + 1), QPoint(right, track.bottom() - 1)),
                     range);
    painter.setPen(palette().color(QPalette::Text));
    for (const microseconds key : keyFrames.times) {
        const int x = xOfTime(key);
        painter.drawLine(x, track.top() - tickHeight, x, track.top() + tickHeight - 1);
    }
    const QRect line(track.left(), track.bottom() + tickHeight + 2, track.width(),
                     fontMetrics().height());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, durationTextOf(microseconds(0)));
    painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter, durationTextOf(*duration_));
    painter.drawText(line, Qt::AlignHCenter | Qt::AlignVCenter,
                     durationTextOf(times[startHandle]) + QStringLiteral(" – ") +
                         durationTextOf(std::min(times[endHandle], *duration_)));
}

// A handle under the pointer is dragged; inside the range both are; elsewhere
// on the bar the nearer handle jumps there and is dragged from there.
void ClipTimeline::mousePressEvent(QMouseEvent* event)
{
    if (!duration_ || event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    const double x = event->position().x();
    const std::array<double, 2> distance{std::abs(x - xOfTime(times[startHandle])),
                                         std::abs(x - xOfTime(times[endHandle]))};
    const std::size_t nearer =
        distance[endHandle] < distance[startHandle] ||
                (distance[endHandle] == distance[startHandle] && x > xOfTime(times[endHandle]))
            ? endHandle
            : startHandle;
    const bool onHandle = distance[nearer] <= handleWidth / 2 + 1;
    const bool inRange = x > xOfTime(times[startHandle]) && x < xOfTime(times[endHandle]);
    if (!onHandle && inRange) {
        drag = Drag::Range;
        grabOffset = timeAtX(x) - times[startHandle];
        handles[startHandle]->setFocus(Qt::MouseFocusReason);
        return;
    }
    drag = nearer == startHandle ? Drag::Start : Drag::End;
    handles[nearer]->setFocus(Qt::MouseFocusReason);
    if (!onHandle)
        moveHandle(nearer, timeAtX(x), Motion::Settled);
}

void ClipTimeline::mouseMoveEvent(QMouseEvent* event)
{
    const double x = event->position().x();
    switch (drag) {
    case Drag::Start:
    case Drag::End:
        moveHandle(drag == Drag::Start ? startHandle : endHandle, timeAtX(x), Motion::Moving);
        break;
    case Drag::Range:
        moveRange(timeAtX(x) - grabOffset, Motion::Moving);
        break;
    case Drag::None:
        QWidget::mouseMoveEvent(event);
    }
}

void ClipTimeline::mouseReleaseEvent(QMouseEvent* event)
{
    if (drag == Drag::None || event->button() != Qt::LeftButton)
        return QWidget::mouseReleaseEvent(event);
    drag = Drag::None;
    settleHandles();
}
