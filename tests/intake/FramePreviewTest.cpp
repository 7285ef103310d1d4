#include "FramePreview.h"
#include "DropView.h"
#include "MediaClips.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

ClipTimes clipTimes(int start, int length)
{
    return ClipTimes{QString("00:00:%1.00").arg(start, 2, 10, QChar('0')),
                     std::chrono::seconds(start), std::chrono::seconds(length)};
}

} // namespace

// The frames come from the decoder, the end frame the clip's own: the last
// before start + length, or the video's last when the end lies past it, never
// the frame after the clip. A new video clears the old frames at once, and a
// file without a picture says so.
TEST(FramePreview, TheEndFrameIsTheClipsOwnLast)
{
    const QString video = mediaClips().everyTwoSeconds; // 24 frames a second, 10 s
    DropView view;
    view.resize(400, 300);
    const QString resting = view.accessibleDescription();
    FramePreview preview;
    preview.setView(&view);
    std::vector<bool> opened;
    QObject::connect(&preview, &FramePreview::videoOpened,
                     [&](const VideoFacts& facts) { opened.push_back(facts.opened); });
    const auto described = [&](const QString& text) {
        return waitFor([&] { return view.accessibleDescription() == text; });
    };
    const auto pictured = [&](int half) {
        return pixelsInHalf(view, half, [](QColor c) { return c.saturation() > 100; });
    };
    preview.showVideo(video, clipTimes(0, 2));
    preview.setDuration("0:00:10.0");
    ASSERT_TRUE(described("Frames at 0:00:00.0 and 0:00:02.0"));
    EXPECT_GT(pictured(0), 1000);
    EXPECT_GT(pictured(1), 1000);
    struct Row {
        int start;
        int length;
        QString end;   // as the drop area names it
        double inside; // the clip's last frame
        double after;  // the first frame past the clip, or a second before its last
    };
    const Row rows[] = {{0, 1, "0:00:01.0", 23 / 24.0, 1.0},
                        {3, 4, "0:00:07.0", 167 / 24.0, 7.0},
                        {8, 5, "0:00:10.0", 239 / 24.0, 215 / 24.0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.end.toStdString());
        preview.setClipTimes(clipTimes(row.start, row.length));
        ASSERT_TRUE(described(
            QString("Frames at 0:00:%1.0 and %2").arg(row.start, 2, 10, QChar('0')).arg(row.end)));
        const QImage end = view.shownFrames()->last.picture;
        const double inside = psnr(end, ffmpegFrame(video, secondsAt(row.inside), end.size()));
        EXPECT_GT(inside, 40);
        EXPECT_GT(inside, psnr(end, ffmpegFrame(video, secondsAt(row.after), end.size())) + 10);
    }

    preview.showVideo(mediaClips().soundOnly, clipTimes(0, 1));
    EXPECT_EQ(view.accessibleDescription(), resting);
    EXPECT_EQ(pictured(0), 0);
    preview.setDuration("0:00:01.0");
    EXPECT_TRUE(described("No picture at 0:00:00.0 and 0:00:01.0"));
    EXPECT_EQ(opened, (std::vector{true, false}));
}
