#include "FramePreview.h"
#include "DropView.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using std::chrono::seconds;

namespace {

ClipTimes clipTimes(int start, int length)
{
    return ClipTimes{QString("00:00:%1.00").arg(start, 2, 10, QChar('0')), seconds(start),
                     seconds(length)};
}

} // namespace

// The frames come from the decoder, the last one no later than the video's
// end; a new video clears the old frames at once, and a file without a
// picture says so.
TEST(FramePreview, ShowsTheClipsFramesAndSaysWhereThereIsNoPicture)
{
    QTemporaryDir folder;
    const QString video = folder.filePath("a.mp4");
    const QString sound = folder.filePath("b.m4a");
    ASSERT_TRUE(makeTestClip(video, 3) && makeTestClip(sound, 1, ""));
    DropView view;
    view.resize(400, 300);
    const QString resting = view.accessibleDescription();
    FramePreview preview;
    preview.setView(&view);
    std::vector<VideoFacts> opened;
    QObject::connect(&preview, &FramePreview::videoOpened,
                     [&](const VideoFacts& facts) { opened.push_back(facts); });
    const auto described = [&](const QString& text) {
        return waitFor([&] { return view.accessibleDescription() == text; });
    };
    const auto pictured = [&](int half) {
        return pixelsInHalf(view, half, [](QColor c) { return c.saturation() > 100; });
    };

    preview.showVideo(video, clipTimes(0, 1));
    preview.setDuration("0:00:03.0");
    EXPECT_TRUE(described("Frames at 0:00:00.0 and 0:00:01.0"));
    EXPECT_GT(pictured(0), 1000);
    EXPECT_GT(pictured(1), 1000);
    preview.setClipTimes(clipTimes(2, 5));
    EXPECT_TRUE(described("Frames at 0:00:02.0 and 0:00:03.0"));
    ASSERT_EQ(opened.size(), 1U);
    EXPECT_TRUE(opened[0].opened);
    EXPECT_TRUE(opened[0].keyFrames.known);
    EXPECT_DOUBLE_EQ(opened[0].framesPerSecond, 24);

    preview.showVideo(sound, clipTimes(0, 1));
    EXPECT_EQ(view.accessibleDescription(), resting);
    EXPECT_EQ(pictured(0), 0);
    preview.setDuration("0:00:01.0");
    EXPECT_TRUE(described("No picture at 0:00:00.0 and 0:00:01.0"));
    ASSERT_EQ(opened.size(), 2U);
    EXPECT_FALSE(opened[1].opened);
}
