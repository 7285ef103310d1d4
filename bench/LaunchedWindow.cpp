#include "LaunchedWindow.h"

#include "ClipTimeline.h"
#include "DropView.h"
#include "EventLoop.h"
#include "TestSupport.h"
#include "TimelineHandle.h"

#include <QLineEdit>
#include <QTest>

double dropAndWaitForDuration(LaunchedWindow& launched, const QString& clip)
{
    // The same clip gives the same text and only a change is seen: start empty.
    QLineEdit& duration = *launched.delegate.durationTextField();
    duration.clear();
    QCoreApplication::processEvents();
    TimedWait shown;
    QObject::connect(&duration, &QLineEdit::textChanged, &shown, [&shown](const QString& text) {
        if (!text.isEmpty())
            shown.done();
    });

    shown.start();
    if (!dragAndDropFiles(*launched.window.dropView(), {clip}))
        fail(QStringLiteral("the drop area refused %1").arg(clip));
    return shown.wait("the duration to be shown");
}

double dropAndWaitForFrames(LaunchedWindow& launched, const QString& clip)
{
    DropView& view = *launched.window.dropView();
    TimedWait shown;
    shown.start();
    if (!dragAndDropFiles(view, {clip}))
        fail(QStringLiteral("the drop area refused %1").arg(clip));
    // The drop has cleared the frames of any earlier one: the next to be
    // drawn are this clip's.
    const EventWatch painted(view, QEvent::Paint, [&] {
        if (view.accessibleDescription().startsWith(QStringLiteral("Frames at")))
            shown.done();
    });
    return shown.wait("the frames to be shown");
}

void scrub(LaunchedWindow& launched, const QString& clip)
{
    launched.delegate.timeHH()->setText(QStringLiteral("9"));
    dropAndWaitForFrames(launched, clip);
    ClipTimeline& timeline = *launched.delegate.clipTimeline();
    if (!QTest::qWaitFor([&] { return timeline.duration().has_value(); }, 10'000))
        fail(QStringLiteral("the timeline never learnt the length of %1").arg(clip));
    TimelineHandle& start = *timeline.handle(ClipTimeline::startHandle);
    const auto settle = [] { QTest::qWait(100); };
    for (int step = 0; step < 20; ++step) {
        QTest::keyClick(&start, Qt::Key_PageDown);
        settle();
    }
    for (int step = 0; step < 30; ++step) {
        QTest::keyClick(&start, Qt::Key_Left);
        settle();
    }
    QTest::mousePress(&timeline, Qt::LeftButton, {},
                      QPoint(timeline.xOfTime(timeline.handleTime(0)), 15));
    for (int x = timeline.xOfTime(timeline.handleTime(0)); x > 0; x -= 8) {
        QTest::mouseMove(&timeline, QPoint(x, 15));
        QTest::qWait(16);
    }
    QTest::mouseRelease(&timeline, Qt::LeftButton, {}, QPoint(0, 15));
    QTest::qWait(1000);
}
