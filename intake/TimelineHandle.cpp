#include "TimelineHandle.h"

#include "ClipTimeline.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QPainter>

TimelineHandle::TimelineHandle(ClipTimeline& timeline, std::size_t which)
    : QWidget(&timeline)
    , timeline_(timeline)
    , which_(which)
{
    // Before the name is set: a screen reader already listening asks for the
    // handle then, and keeps the answer it gets.
    installTimelineHandleAccessibility();
    setFocusPolicy(Qt::StrongFocus);
    // The timeline tells a drag of a handle from one of the range.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAccessibleName(which == ClipTimeline::startHandle ? tr("Clip start") : tr("Clip end"));
    setToolTip(
        which == ClipTimeline::startHandle
            ? tr("Start of the clip: Left and Right step a frame, with Shift a second; Page Up "
                 "and Page Down go to key frames")
            : tr("End of the clip: Left and Right step a frame, with Shift a second; Page Up "
                 "and Page Down go to key frames"));
}

void TimelineHandle::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF grip = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    painter.setBrush(palette().color(hasFocus() ? QPalette::Highlight : QPalette::Button));
    painter.setPen(
        QPen(palette().color(hasFocus() ? QPalette::Text : QPalette::Dark), hasFocus() ? 2 : 1));
    painter.drawRoundedRect(grip, 3, 3);
}

void TimelineHandle::keyPressEvent(QKeyEvent* event)
{
    if (!timeline_.stepHandle(which_, *event))
        QWidget::keyPressEvent(event);
}

// A key held down steps with quick pictures; letting it go asks for the exact one.
void TimelineHandle::keyReleaseEvent(QKeyEvent* event)
{
    if (!event->isAutoRepeat())
        timeline_.settleHandles();
    QWidget::keyReleaseEvent(event);
}

namespace {

class TimelineHandleAccessible final : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit TimelineHandleAccessible(TimelineHandle* handle)
        : QAccessibleWidget(handle, QAccessible::Slider)
    {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QVariant currentValue() const override { return seconds(timeline().handleTime(which())); }
    void setCurrentValue(const QVariant& value) override
    {
        const auto time = std::chrono::microseconds(std::llround(value.toDouble() * 1e6));
        timeline().moveHandle(which(), time, ClipTimeline::Motion::Settled);
    }
    QVariant maximumValue() const override
    {
        return seconds(timeline().duration().value_or(std::chrono::microseconds(0)));
    }
    QVariant minimumValue() const override { return 0.0; }
    QVariant minimumStepSize() const override { return 1.0 / timeline().framesPerSecond(); }

private:
    static double seconds(std::chrono::microseconds time) { return time.count() / 1e6; }
    const TimelineHandle& handle() const { return *static_cast<TimelineHandle*>(widget()); }
    ClipTimeline& timeline() const { return handle().timeline(); }
    std::size_t which() const { return handle().which(); }
};

QAccessibleInterface* accessibleHandle(const QString& className, QObject* object)
{
    if (className == QLatin1String("TimelineHandle") && object != nullptr && object->isWidgetType())
        return new TimelineHandleAccessible(static_cast<TimelineHandle*>(object));
    return nullptr;
}

} // namespace

void installTimelineHandleAccessibility()
{
    [[maybe_unused]] static const bool installed = [] {
        QAccessible::installFactory(accessibleHandle);
        return true;
    }();
}
