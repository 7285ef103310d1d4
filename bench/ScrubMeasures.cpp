#include "ClipTimeline.h"
#include "DropView.h"
#include "DurationText.h"
#include "EventLoop.h"
#include "LaunchedWindow.h"
#include "Measures.h"
#include "TimelineHandle.h"
#include "VideoFile.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>

using std::chrono::microseconds;

namespace {

// The window with `clip` dropped, its frames shown, and a clip as long as the
// video, so that the start handle can go anywhere.
void openForScrubbing(LaunchedWindow& launched, const QString& clip)
{
    showAndWaitUntilPainted(launched.window);
    launched.delegate.timeHH()->setText(QStringLiteral("9"));
    dropAndWaitForFrames(launched, clip);
    ClipTimeline& timeline = *launched.delegate.clipTimeline();
    TimedWait known;
    known.start();
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &known, [&] {
        if (timeline.duration() && timeline.framesPerSecond() > 0)
            known.done();
    });
    look.start(5);
    known.wait("the timeline to know the video");
}

// Milliseconds until the drop area shows its first frame at `time`.
double untilStartShown(LaunchedWindow& launched, microseconds time,
                       const std::function<void()>& move)
{
    DropView& view = *launched.window.dropView();
    const QString wanted = QStringLiteral("Frames at ") + durationTextOf(time);
    TimedWait shown;
    const EventWatch painted(view, QEvent::Paint, [&] {
        if (view.accessibleDescription().startsWith(wanted))
            shown.done();
    });
    shown.start();
    move();
    return shown.wait("the start's frame to be shown");
}

double percentile(std::vector<double> values, double share)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0
                          : values[std::min(values.size() - 1, std::size_t(share * values.size()))];
}

} // namespace

ScrubSamples measureScrubbing(int runs, const QString& clip)
{
    LaunchedWindow launched;
    openForScrubbing(launched, clip);
    ClipTimeline& timeline = *launched.delegate.clipTimeline();
    TimelineHandle& start = *timeline.handle(ClipTimeline::startHandle);
    const QSize box = launched.window.dropView()->framePixelSize();
    const std::unique_ptr<VideoFile> direct = VideoFile::open(clip);
    if (!direct || !direct->facts().keyFrames.known)
        fail(QStringLiteral("the decoder cannot list the key frames of %1").arg(clip));
    const std::vector<microseconds>& keys = direct->facts().keyFrames.times;
    const auto never = [] { return false; };

    ScrubSamples samples;
    // Page Down from the video's start to its end, one key frame at a time.
    for (int round = 0; round < std::max(1, runs / 5); ++round) {
        QTest::keyClick(&start, Qt::Key_Home);
        std::vector<double> app;
        std::vector<double> floor;
        for (std::size_t key = 1; key + 1 < keys.size(); ++key) {
            app.push_back(untilStartShown(launched, keys[key],
                                          [&] { QTest::keyClick(&start, Qt::Key_PageDown); }));
            QElapsedTimer clock;
            clock.start();
            direct->frame(keys[key], FrameChoice::KeyFrameAtOrBefore, box, never);
            floor.push_back(double(clock.nsecsElapsed()) / 1e6);
        }
        samples.keyStepMedian.app.push_back(median(app));
        samples.keyStepMedian.floor.push_back(median(floor));
        samples.keyStep95.app.push_back(percentile(app, 0.95));
        samples.keyStep95.floor.push_back(percentile(floor, 0.95));
    }

    // A drag that rests 1.5 s past a key frame: its exact frame after the release.
    for (int round = 0; round < runs; ++round) {
        const microseconds key = keys[(std::size_t(round) * 7 + 3) % (keys.size() - 2)];
        QTest::keyClick(&start, Qt::Key_Home);
        const QPoint from(timeline.xOfTime(microseconds(0)), 15);
        const microseconds target =
            timeline.timeAtX(timeline.xOfTime(key + microseconds(1'500'000)));
        const QPoint to(timeline.xOfTime(target), 15);
        QTest::mousePress(&timeline, Qt::LeftButton, {}, from);
        QTest::mouseMove(&timeline, to);
        QCoreApplication::processEvents();
        samples.exactAfterStop.app.push_back(
            untilStartShown(launched, timeline.handleTime(ClipTimeline::startHandle),
                            [&] { QTest::mouseRelease(&timeline, Qt::LeftButton, {}, to); }));
        const std::unique_ptr<VideoFile> fresh = VideoFile::open(clip);
        QElapsedTimer clock;
        clock.start();
        fresh->frame(timeline.handleTime(ClipTimeline::startHandle), FrameChoice::FirstAtOrAfter,
                     box, never);
        samples.exactAfterStop.floor.push_back(double(clock.nsecsElapsed()) / 1e6);
    }

    // The start dragged across the bar at a pointer's pace, 60 moves a second.
    const auto drag = [&](bool app) {
        return longestGapDuring([&] {
            if (app)
                QTest::mousePress(&timeline, Qt::LeftButton, {},
                                  QPoint(timeline.xOfTime(timeline.handleTime(0)), 15));
            for (int x = 0; x < timeline.width(); x += 4) {
                if (app)
                    QTest::mouseMove(&timeline, QPoint(x, 15));
                QEventLoop pace;
                QTimer::singleShot(16, &pace, &QEventLoop::quit);
                pace.exec();
            }
            if (app)
                QTest::mouseRelease(&timeline, Qt::LeftButton, {}, QPoint(timeline.width(), 15));
        });
    };
    samples.longestGap = rounds(
        runs, [&] { return drag(true); }, [&] { return drag(false); });
    return samples;
}
