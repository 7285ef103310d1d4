#include "ClipTimeline.h"
#include "TestSupport.h"
#include "TimelineHandle.h"

#include <QAccessible>

#include <gtest/gtest.h>

using std::chrono::microseconds;
using Motion = ClipTimeline::Motion;

namespace {

const auto at = secondsAt;

// The time of frame k of a video at 24 frames a second, to the microsecond above.
microseconds frame(long long k)
{
    return microseconds((k * 1'000'000 + 23) / 24);
}

using Moved = std::tuple<std::size_t, microseconds, Motion>;

// A 10 s video at 24 frames a second, a key frame every 2 s, the clip from
// 1 s to 5 s, on a bar 400 pixels wide: 25 ms a pixel. Handle 0 is the start.
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
                         [this](auto... moved) { moves.emplace_back(moved...); });
    }
    std::array<microseconds, 2> times() const
    {
        return {timeline.handleTime(0), timeline.handleTime(1)};
    }
    QPoint atTime(microseconds time) const { return {timeline.xOfTime(time), 15}; }
    void drag(QPoint from, QPoint to)
    {
        QTest::mousePress(&timeline, Qt::LeftButton, {}, from);
        QTest::mouseMove(&timeline, to);
        QTest::mouseRelease(&timeline, Qt::LeftButton, {}, to);
    }
    void key(std::size_t which, Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(timeline.handle(which), key, modifiers);
    }

    ClipTimeline timeline;
    std::vector<Moved> moves;
};

} // namespace

// Each step lands on the next boundary of its kind that way, and stops at the
// video's ends and a frame short of the other handle.
TEST_F(TimelineTest, KeysOnAHandleStepByFramesSecondsAndKeyFrames)
{
    const Qt::KeyboardModifiers none, shift = Qt::ShiftModifier;
    const Qt::Key left = Qt::Key_Left, right = Qt::Key_Right, up = Qt::Key_PageUp;
    // clang-format off
    const std::tuple<std::size_t, Qt::Key, Qt::KeyboardModifiers, microseconds> steps[] = {
        {0, right, none, frame(25)}, {0, right, none, frame(26)}, {0, left, none, frame(25)},
        {0, left, none, frame(24)}, {0, left, none, frame(23)}, {0, right, shift, at(1)},
        {0, right, shift, at(2)}, {0, left, shift, at(1)}, {0, Qt::Key_PageDown, none, at(2)},
        {0, Qt::Key_PageDown, none, at(4)},
        {0, Qt::Key_PageDown, none, frame(119)}, // the key frame at 6 s is past the end
        {0, up, none, at(4)}, {0, Qt::Key_Home, none, at(0)}, {0, left, none, at(0)},
        {0, Qt::Key_End, none, frame(119)},
        {1, Qt::Key_Home, none, at(5)}, // a frame after the start
        {1, Qt::Key_End, none, at(10)}, {1, right, none, at(10)}, {1, left, none, frame(239)},
        {1, up, none, at(8)}, {1, up, none, at(6)},
        {1, up, none, at(5)}, // the start is a frame before
        {1, left, shift, at(5)}};
    // clang-format on
    for (const auto& [which, pressed, modifiers, expected] : steps) {
        key(which, pressed, modifiers);
        EXPECT_EQ(timeline.handleTime(which), expected)
            << which << " " << QKeySequence(pressed | modifiers).toString().toStdString();
    }
    // Every step asked for its exact frame at once.
    EXPECT_TRUE(std::all_of(moves.begin(), moves.end(), [](const Moved& move) {
        return std::get<2>(move) == Motion::Settled;
    }));
}

// A held key moves the handle with quick pictures; letting go asks for the
// exact one where it rests.
TEST_F(TimelineTest, AHeldKeyMovesQuicklyAndSettlesWhenLetGo)
{
    for (int repeat = 0; repeat < 3; ++repeat) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier, QString(), true);
        QCoreApplication::sendEvent(timeline.handle(0), &press);
    }
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Right, Qt::NoModifier);
    QCoreApplication::sendEvent(timeline.handle(0), &release);
    EXPECT_EQ(moves, (std::vector<Moved>{{0, frame(25), Motion::Moving},
                                         {0, frame(26), Motion::Moving},
                                         {0, frame(27), Motion::Moving},
                                         {0, frame(27), Motion::Settled}}));
}

// A handle is dragged; the range drags both; a click on the bar moves the
// nearer handle there. Times fall on frames, and the handles never cross.
TEST_F(TimelineTest, TheMouseDragsAHandleOrTheRangeAndAClickMovesTheNearerHandle)
{
    drag(atTime(at(1)), atTime(at(3)));
    EXPECT_EQ(times(), (std::array{at(3), at(5)}));
    EXPECT_TRUE(timeline.handle(0)->hasFocus() || QApplication::focusWidget() == nullptr);
    EXPECT_EQ(moves.back(), (Moved{0, at(3), Motion::Settled}));

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
    drag(atTime(at(9)), QPoint(timeline.xOfTime(at(9)) + 3, 15));
    const long long endFrame = std::llround(times()[1].count() * 24 / 1e6);
    EXPECT_EQ(times()[1], frame(endFrame));
    EXPECT_NEAR(times()[1].count(), 9'075'000, 25'000);

    // The start dragged past the end stops a frame short of it.
    drag(atTime(at(2.5)), atTime(at(9.9)));
    EXPECT_EQ(times(), (std::array{frame(endFrame - 1), frame(endFrame)}));
}

// Screen readers hear two sliders with their names and times in seconds, and
// can set them.
TEST_F(TimelineTest, TheHandlesAreSlidersWithNamesAndValuesInSeconds)
{
    const std::pair<const char*, double> expected[] = {{"Clip start", 1.0}, {"Clip end", 5.0}};
    for (std::size_t which : {0, 1}) {
        QAccessibleInterface* handle =
            QAccessible::queryAccessibleInterface(timeline.handle(which));
        ASSERT_TRUE(handle && handle->valueInterface());
        const QAccessibleValueInterface& value = *handle->valueInterface();
        EXPECT_EQ(handle->role(), QAccessible::Slider);
        EXPECT_EQ(handle->text(QAccessible::Name), expected[which].first);
        EXPECT_DOUBLE_EQ(value.currentValue().toDouble(), expected[which].second);
        EXPECT_DOUBLE_EQ(value.maximumValue().toDouble(), 10.0);
        EXPECT_DOUBLE_EQ(value.minimumStepSize().toDouble(), 1.0 / 24);
    }
    QAccessible::queryAccessibleInterface(timeline.handle(1))
        ->valueInterface()
        ->setCurrentValue(7.5);
    EXPECT_EQ(times(), (std::array{at(1), at(7.5)}));
}

// A new video: no handles and no ticks until its length is known; a video
// the decoder cannot open still gets a range.
TEST_F(TimelineTest, ANewVideoHidesTheHandlesUntilItsLengthIsKnown)
{
    timeline.reset();
    EXPECT_TRUE(timeline.handle(0)->isHidden());
    key(0, Qt::Key_Right);
    EXPECT_EQ(times(), (std::array{at(1), at(5)}));
    timeline.setDuration(at(3));
    EXPECT_FALSE(timeline.handle(1)->isHidden());
    // Without a frame rate, frames are 24ths; without key frames, Page Down
    // goes 10 s on, here to the end a frame short of the clip's end.
    key(0, Qt::Key_Right);
    EXPECT_EQ(times()[0], frame(25));
    key(1, Qt::Key_PageDown);
    EXPECT_EQ(times(), (std::array{frame(25), at(3)}));
}

// A screen reader already listening when the window is made asks for each
// handle as it is set up, and keeps what it is told: both must be sliders
// from that first question. A process of its own, so that the timeline is
// its first.
TEST(TimelineAccessibility, BothHandlesAreSlidersToAScreenReaderListeningFromTheStart)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto firstTimeline = [] {
        // Asks for each object an event names, as the AT-SPI bridge does.
        QAccessible::installUpdateHandler(
            [](QAccessibleEvent* event) { event->accessibleInterface(); });
        QAccessible::setActive(true);
        ClipTimeline timeline;
        for (std::size_t which : {0, 1}) {
            if (QAccessible::queryAccessibleInterface(timeline.handle(which))->role() !=
                QAccessible::Slider)
                std::_Exit(1 + int(which));
        }
        std::_Exit(0);
    };
    EXPECT_EXIT(firstTimeline(), testing::ExitedWithCode(0), "");
}
