#include "ApplicationFixture.h"
#include "TimelineHandle.h"

using TimelineFieldsTest = ApplicationFixture;

const auto at = secondsAt;

// The start fields hold the start and the length fields the end less the
// start, normalised, to the microsecond; the fields typed move the handles.
TEST_F(TimelineFieldsTest, TheFieldsFollowTheHandlesWithCarriesAndTheHandlesFollowTheFields)
{
    ClipTimeline& timeline = *delegate.clipTimeline();
    delegate.fileDropped(tools.filePath("9"));
    ASSERT_TRUE(durationShown("0:00:09.12"));
    EXPECT_EQ(timeline.duration(), at(9.5));
    timeline.setDuration(at(2 * 3600)); // a longer video, for carries into hours
    setTimes("0|0|59|5|0|0|1|0");
    EXPECT_EQ(timeline.handleTime(ClipTimeline::startHandle), at(59.5));
    EXPECT_EQ(timeline.handleTime(ClipTimeline::endHandle), at(60.5));

    TimelineHandle& start = *timeline.handle(ClipTimeline::startHandle);
    TimelineHandle& end = *timeline.handle(ClipTimeline::endHandle);
    const std::tuple<TimelineHandle*, Qt::Key, Qt::KeyboardModifiers, QString> steps[] = {
        {&start, Qt::Key_Right, Qt::ShiftModifier, "0|1|0|0|0|0|0|5"},
        {&start, Qt::Key_Left, Qt::NoModifier, "0|0|59|958334|0|0|0|541666"},
        {&end, Qt::Key_Right, Qt::ShiftModifier, "0|0|59|958334|0|0|1|041666"},
        {&end, Qt::Key_End, Qt::NoModifier, "0|0|59|958334|1|59|0|041666"},
        {&start, Qt::Key_Home, Qt::NoModifier, "0|0|0|0|2|0|0|0"},
    };
    for (const auto& [handle, key, modifiers, fields] : steps) {
        QTest::keyClick(handle, key, modifiers);
        EXPECT_EQ(seen().last(), fields) << QKeySequence(key | modifiers).toString().toStdString();
    }

    // Typed fields, carries and all, move the handles; the fields stay as typed.
    setTimes("0|0|75|25|0|1|30|0");
    EXPECT_EQ(timeline.handleTime(ClipTimeline::startHandle), at(75.25));
    EXPECT_EQ(timeline.handleTime(ClipTimeline::endHandle), at(165.25));
    EXPECT_EQ(seen().last(), "0|0|75|25|0|1|30|0");
    // The export reads what the handles wrote.
    QTest::keyClick(&end, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(seen().last(), "0|1|15|25|0|1|29|75");
}
