#include "ClipTimeline.h"
#include "TestSupport.h"
#include "TimelineHandle.h"

#include <QAccessible>

#include <gtest/gtest.h>

using std::chrono::microseconds;

namespace {

microseconds at(double seconds)
{
    return microseconds(static_cast<long long>(seconds * 1e6 + 0.5));
}

// The time of frame k of a video at 24 frames a second, to the microsecond above.
microseconds frame(long long k)
{
    return microseconds((k * 1'000'000 + 23) / 24);
}

struct Moved {
    std::size_t which;
    microseconds time;
    ClipTimeline::Motion motion;
    bool operator==(const Moved&) const = default;
};

// A 10 s video at 24 frames a second, a key frame every 2 s, the clip from
// 1 s to 5 s, on a bar 400 pixels wide: 25 ms a pixel.
class TimelineTest : public testing::Test {
protected:
    TimelineTest()
    {
        timeline.resize(410, timeline.sizeHint().height());
        timeline.reset();
        timeline.setDuration(at(10));
        timeline.setVideoFacts({true, {true, {at(0), at(2), at(4), at(6), at(8)}}, 24});
        timeline.setClip(at(1), at(5));
        QObject::connect(&timeline, &ClipTimeline::handleMoved,
                         [this](std::size_t which, microseconds time, ClipTimeline::Motion motion) {
                             moves.push_back({which, time, motion});
                         });
    }
    std::array<microseconds, 2> times() const
    {
        return {timeline.handleTime(ClipTimeline::startHandle),
                timeline.handleTime(ClipTimeline::endHandle)};
    }
    QPoint atTime(microseconds time) const { return {timeline.xOfTime(time), 15}; }

    ClipTimeline timeline;
    std::vector<Moved> moves;
};

} // namespace

// Each step lands on the next boundary of its kind that way, and stops at the
// video's ends and a frame short of the other handle.
TEST_F(TimelineTest, KeysOnAHandleStepByFramesSecondsAndKeyFrames)
{
    const Qt::KeyboardModifiers none;
    const struct {
        std::size_t handle;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        microseconds expected;
    } steps[] = {
        {0, Qt::Key_Right, none, frame(25)},
        {0, Qt::Key_Right, none, frame(26)},
        {0, Qt::Key_Left, none, frame(25)},
        {0, Qt::Key_Left, none, frame(24)},
        {0, Qt::Key_Left, none, frame(23)},
        {0, Qt::Key_Right, Qt::ShiftModifier, at(1)},
        {0, Qt::Key_Right, Qt::ShiftModifier, at(2)},
        {0, Qt::Key_Left, Qt::ShiftModifier, at(1)},
        {0, Qt::Key_PageDown, none, at(2)},
        {0, Qt::Key_PageDown, none, at(4)},
        {0, Qt::Key_PageDown, none, frame(119)}, // the key frame at 6 s is past the end
        {0, Qt::Key_PageUp, none, at(4)},
        {0, Qt::Key_Home, none, at(0)},
        {0, Qt::Key_Left, none, at(0)},
        {0, Qt::Key_End, none, frame(119)},
        {1, Qt::Key_Home, none, at(5)}, // a frame after the start
        {1, Qt::Key_End, none, at(10)},
        {1, Qt::Key_Right, none, at(10)},
        {1, Qt::Key_Left, none, frame(239)},
        {1, Qt::Key_PageUp, none, at(8)},
        {1, Qt::Key_PageUp, none, at(6)},
        {1, Qt::Key_PageUp, none, at(5)}, // the start is a frame before
        {1, Qt::Key_Left, Qt::ShiftModifier, at(5)},
    };
    for (const auto& step : steps) {
        TimelineHandle& handle = *timeline.handle(step.handle);
        QTest::keyClick(&handle, step.key, step.modifiers);
        EXPECT_EQ(timeline.handleTime(step.handle), step.expected)
            << step.handle << " "
            << QKeySequence(step.key | step.modifiers).toString().toStdString();
    }
    // Every step asked for its exact frame at once.
    EXPECT_TRUE(std::all_of(moves.begin(), moves.end(), [](const Moved& move) {
        return move.motion == ClipTimeline::Motion::Settled;
    }));
}

// A held key moves the handle with quick pictures; letting go asks for the
// exact one where it rests.
TEST_F(TimelineTest, AHeldKeyMovesQuicklyAndSettlesWhenLetGo)
{
    TimelineHandle& start = *timeline.handle(ClipTimeline::startHandle);
    for (int repeat = 0; repeat < 3; ++repeat) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier, QString(), true);
        QCoreApplication::sendEvent(&start, &press);
    }
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Right, Qt::NoModifier);
    QCoreApplication::sendEvent(&start, &release);
    const auto moving = ClipTimeline::Motion::Moving;
    EXPECT_EQ(moves, (std::vector<Moved>{{0, frame(25), moving},
                                         {0, frame(26), moving},
                                         {0, frame(27), moving},
                                         {0, frame(27), ClipTimeline::Motion::Settled}}));
}

// A handle is dragged; the range drags both; a click on the bar moves the
// nearer handle there. Times fall on frames, and the handles never cross.
TEST_F(TimelineTest, TheMouseDragsAHandleOrTheRangeAndAClickMovesTheNearerHandle)
{
    QTest::mousePress(&timeline, Qt::LeftButton, {}, atTime(at(1)));
    QTest::mouseMove(&timeline, atTime(at(3)));
    QTest::mouseRelease(&timeline, Qt::LeftButton, {}, atTime(at(3)));
    EXPECT_EQ(times(), (std::array{at(3), at(5)}));
    EXPECT_TRUE(timeline.handle(ClipTimeline::startHandle)->hasFocus() ||
                QApplication::focusWidget() == nullptr);
    EXPECT_EQ(moves.back(), (Moved{0, at(3), ClipTimeline::Motion::Settled}));

    // The range, by 2 s; then past the video's end, which stops it.
    QTest::mousePress(&timeline, Qt::LeftButton, {}, atTime(at(4)));
    QTest::mouseMove(&timeline, atTime(at(6)));
    EXPECT_EQ(times(), (std::array{at(5), at(7)}));
    QTest::mouseMove(&timeline, QPoint(timeline.width() + 50, 15));
    QTest::mouseRelease(&timeline, Qt::LeftButton, {}, QPoint(timeline.width() + 50, 15));
    EXPECT_EQ(times(), (std::array{at(8), at(10)}));

    // Clicks on the bar, before the range and after it; one inside it moves nothing.
    QTest::mouseClick(&timeline, Qt::LeftButton, {}, atTime(at(2.5)));
    EXPECT_EQ(times(), (std::array{at(2.5), at(10)}));
    QTest::mouseClick(&timeline, Qt::LeftButton, {}, atTime(at(7)));
    EXPECT_EQ(times(), (std::array{at(2.5), at(10)}));
    timeline.setClip(at(2.5), at(7));
    QTest::mouseClick(&timeline, Qt::LeftButton, {}, atTime(at(9)));
    EXPECT_EQ(times(), (std::array{at(2.5), at(9)}));
    // Three pixels on, 75 ms: the frame nearest to where the pointer is.
    const QPoint nudged(timeline.xOfTime(at(9)) + 3, 15);
    QTest::mousePress(&timeline, Qt::LeftButton, {}, atTime(at(9)));
    QTest::mouseMove(&timeline, nudged);
    QTest::mouseRelease(&timeline, Qt::LeftButton, {}, nudged);
    const long long endFrame = std::llround(times()[1].count() * 24 / 1e6);
    EXPECT_EQ(times()[1], frame(endFrame));
    EXPECT_NEAR(times()[1].count(), 9'075'000, 25'000);

    // The start dragged past the end stops a frame short of it.
    QTest::mousePress(&timeline, Qt::LeftButton, {}, atTime(at(2.5)));
    QTest::mouseMove(&timeline, atTime(at(9.9)));
    QTest::mouseRelease(&timeline, Qt::LeftButton, {}, atTime(at(9.9)));
    EXPECT_EQ(times(), (std::array{frame(endFrame - 1), frame(endFrame)}));
}

// Screen readers hear two sliders with their names and times in seconds, and
// can set them.
TEST_F(TimelineTest, TheHandlesAreSlidersWithNamesAndValuesInSeconds)
{
    const std::pair<const char*, double> expected[] = {{"Clip start", 1.0}, {"Clip end", 5.0}};
    for (std::size_t which : {ClipTimeline::startHandle, ClipTimeline::endHandle}) {
        QAccessibleInterface* handle =
            QAccessible::queryAccessibleInterface(timeline.handle(which));
        ASSERT_NE(handle, nullptr);
        EXPECT_EQ(handle->role(), QAccessible::Slider);
        EXPECT_EQ(handle->text(QAccessible::Name), expected[which].first);
        QAccessibleValueInterface* value = handle->valueInterface();
        ASSERT_NE(value, nullptr);
        EXPECT_DOUBLE_EQ(value->currentValue().toDouble(), expected[which].second);
        EXPECT_DOUBLE_EQ(value->maximumValue().toDouble(), 10.0);
        EXPECT_DOUBLE_EQ(value->minimumStepSize().toDouble(), 1.0 / 24);
    }
    QAccessible::queryAccessibleInterface(timeline.handle(ClipTimeline::endHandle))
        ->valueInterface()
        ->setCurrentValue(7.5);
    EXPECT_EQ(times(), (std::array{at(1), at(7.5)}));
}

// A new video: no handles and no ticks until its length is known; a video
// the decoder cannot open still gets a range.
TEST_F(TimelineTest, ANewVideoHidesTheHandlesUntilItsLengthIsKnown)
{
    timeline.reset();
    EXPECT_TRUE(timeline.handle(ClipTimeline::startHandle)->isHidden());
    QTest::keyClick(timeline.handle(ClipTimeline::startHandle), Qt::Key_Right);
    EXPECT_EQ(times(), (std::array{at(1), at(5)}));
    timeline.setDuration(at(3));
    EXPECT_FALSE(timeline.handle(ClipTimeline::endHandle)->isHidden());
    // Without a frame rate, frames are 24ths; without key frames, Page Down
    // goes 10 s on, here to the end a frame short of the clip's end.
    QTest::keyClick(timeline.handle(ClipTimeline::startHandle), Qt::Key_Right);
    EXPECT_EQ(times()[0], frame(25));
    QTest::keyClick(timeline.handle(ClipTimeline::endHandle), Qt::Key_PageDown);
    EXPECT_EQ(times(), (std::array{frame(25), at(3)}));
}
