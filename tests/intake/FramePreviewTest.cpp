#include "FramePreview.h"
#include "DropView.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

// The stand-in ffmpeg draws a red picture for a.mp4 and a blue one for b.mp4;
// for a start at 1 s it leaves its pid, and takes five minutes.
TEST(FramePreview, OnlyTheNewestRequestIsShownAndANewVideoClearsTheOldFramesAtOnce)
{
    ToolFolder tools;
    const QString begun = tools.filePath("ffmpeg.pid");
    tools.addScript("ffmpeg",
                    "case \"$*\" in *00:00:01.00*) echo $$ > \"$0.pid\"; sleep 300;; esac\n"
                    "case \"$*\" in *b.mp4*) rgb='\\0\\0\\377';; *) rgb='\\377\\0\\0';; esac\n"
                    "printf 'P6\\n40 30\\n255\\n'; for i in $(seq 1200); do printf $rgb; done");
    DropView view;
    view.resize(400, 300);
    const QString resting = view.accessibleDescription();
    FramePreview preview;
    preview.setView(&view);
    const auto times = [](int start) {
        using std::chrono::seconds;
        return ClipTimes{QString("00:00:0%1.00").arg(start), seconds(start), seconds(3)};
    };
    const auto pixels = [&](QColor colour) {
        const auto in = [colour](QColor c) { return c == colour; };
        return std::pair(pixelsInHalf(view, 0, in), pixelsInHalf(view, 1, in));
    };
    // Every description shown until `last` is.
    const auto describedUntil = [&](const QString& last) {
        QStringList seen;
        waitFor([&] {
            if (seen.isEmpty() || seen.last() != view.accessibleDescription())
                seen << view.accessibleDescription();
            return seen.last() == last;
        });
        return seen;
    };

    preview.showVideo("/v/a.mp4", times(0));
    preview.setDuration("0:00:10.0");
    EXPECT_EQ(describedUntil("Frames at 0:00:00.0 and 0:00:03.0").last(),
              "Frames at 0:00:00.0 and 0:00:03.0");
    EXPECT_EQ(pixels(Qt::red), std::pair(1200, 1200));

    // Overtaken while ffmpeg is on it: stopped, and its frames never shown.
    preview.setClipTimes(times(1));
    ASSERT_TRUE(waitFor([&] { return QFile::exists(begun); }));
    preview.setClipTimes(times(2));
    EXPECT_EQ(
        describedUntil("Frames at 0:00:02.0 and 0:00:05.0"),
        (QStringList{"Frames at 0:00:00.0 and 0:00:03.0", "Frames at 0:00:02.0 and 0:00:05.0"}));
    QFile slow(begun);
    ASSERT_TRUE(slow.open(QIODevice::ReadOnly));
    const QString process = "/proc/" + slow.readAll().trimmed();
    EXPECT_TRUE(waitFor([&] { return !QFile::exists(process); })); // stopped, not let run

    // A new video while the frames of the old one are fetched.
    QFile::remove(begun);
    preview.setClipTimes(times(1));
    ASSERT_TRUE(waitFor([&] { return QFile::exists(begun); }));
    preview.showVideo("/v/b.mp4", times(0));
    EXPECT_EQ(view.accessibleDescription(), resting);
    EXPECT_EQ(pixels(Qt::red), std::pair(0, 0));
    preview.setDuration("0:00:02.12");
    describedUntil("Frames at 0:00:00.0 and 0:00:02.12");
    EXPECT_EQ(pixels(Qt::blue), std::pair(1200, 1200));
}
