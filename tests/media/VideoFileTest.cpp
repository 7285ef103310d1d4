#include "VideoFile.h"
#include "MediaClips.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QTemporaryFile>

#include <unistd.h>

using std::chrono::microseconds;

namespace {

constexpr QSize nativeSize{320, 240};
const microseconds oneFrame = secondsAt(1.0 / 24);

struct Clip {
    const char* name;
    QString path;
};

std::vector<Clip> everyClip()
{
    const MediaClips& clips = mediaClips();
    return {{"2 s key frames", clips.everyTwoSeconds},
            {"B-frames", clips.withBFrames},
            {"MPEG-TS", clips.transport}};
}

VideoFrame frameOf(VideoFile& video, microseconds time, FrameChoice choice, QSize box = nativeSize)
{
    return video.frame(time, choice, box, [] { return false; }).value_or(VideoFrame{});
}

} // namespace

// The times are asked out of order, so that the decoder seeks back, goes on
// from where it stands and answers from its cache, on every container.
TEST(VideoFile, GivesTheFrameFfmpegGivesAtATimeOnEveryContainer)
{
    const double times[] = {4.0, 0.0, 4.5, 4.0417, 3.9583, 9.9, 2.0, 7.3, 7.25, 4.0, 3.9583};
    for (const Clip& clip : everyClip()) {
        const std::unique_ptr<VideoFile> video = VideoFile::open(clip.path);
        ASSERT_TRUE(video) << clip.name;
        for (const double seconds : times) {
            const microseconds time = secondsAt(seconds);
            const VideoFrame frame = frameOf(*video, time, FrameChoice::FirstAtOrAfter);
            EXPECT_GT(psnr(frame.picture, ffmpegFrame(clip.path, time, nativeSize)), 40)
                << clip.name << " at " << seconds;
            EXPECT_GE(frame.time, time - secondsAt(0.0001)) << clip.name << " at " << seconds;
            EXPECT_LT(frame.time, time + oneFrame) << clip.name << " at " << seconds;
        }
        // The check tells neighbouring frames apart.
        const VideoFrame frame = frameOf(*video, secondsAt(4.0), FrameChoice::FirstAtOrAfter);
        EXPECT_LT(
            psnr(frame.picture, ffmpegFrame(clip.path, secondsAt(4.0) + oneFrame, nativeSize)), 40)
            << clip.name;
    }
}

// A clip ending at a time ends with the frame before it; past the video's end,
// with the video's last frame.
TEST(VideoFile, GivesTheLastFrameBeforeATimeAndTheLastFrameOfTheVideoPastItsEnd)
{
    const std::pair<double, double> cases[] = {{3.0, 3.0 - 1.0 / 24},   {5.0, 5.0 - 1.0 / 24},
                                               {0.1, 2.0 / 24},         {2.5, 2.5 - 1.0 / 24},
                                               {20.0, 10.0 - 1.0 / 24}, {10.0, 10.0 - 1.0 / 24}};
    for (const Clip& clip : everyClip()) {
        const std::unique_ptr<VideoFile> video = VideoFile::open(clip.path);
        ASSERT_TRUE(video) << clip.name;
        for (const auto& [end, last] : cases) {
            const VideoFrame frame = frameOf(*video, secondsAt(end), FrameChoice::LastBefore);
            EXPECT_GT(psnr(frame.picture, ffmpegFrame(clip.path, secondsAt(last), nativeSize)), 40)
                << clip.name << " before " << end;
            EXPECT_LT(frame.time, secondsAt(end)) << clip.name << " before " << end;
        }
    }
}

// Where the index lists key frames, the one at or before the time; in MPEG-TS,
// a key frame at or before it.
TEST(VideoFile, GivesAKeyFrameAtOrBeforeATime)
{
    for (const Clip& clip : everyClip()) {
        const std::unique_ptr<VideoFile> video = VideoFile::open(clip.path);
        ASSERT_TRUE(video) << clip.name;
        // ffprobe misses the first key frame of MPEG-TS; it holds the same
        // frames as the MP4 it was copied from.
        const std::vector<microseconds> keys = ffprobeKeyFrames(
            clip.path == mediaClips().transport ? mediaClips().withBFrames : clip.path);
        ASSERT_GE(keys.size(), 4U) << clip.name;
        for (const double seconds : {0.5, 2.0, 4.99, 5.0, 7.6, 9.99, 0.0}) {
            const microseconds time = secondsAt(seconds);
            const VideoFrame frame = frameOf(*video, time, FrameChoice::KeyFrameAtOrBefore);
            const auto after = std::upper_bound(keys.begin(), keys.end(), time + secondsAt(0.001));
            ASSERT_NE(after, keys.begin());
            const auto isKey = [&](microseconds key) {
                return std::chrono::abs(key - frame.time) <= secondsAt(0.001);
            };
            if (video->facts().keyFrames.known)
                EXPECT_TRUE(isKey(*std::prev(after))) << clip.name << " at " << seconds;
            else
                EXPECT_TRUE(std::any_of(keys.begin(), after, isKey))
                    << clip.name << " at " << seconds;
            EXPECT_GT(psnr(frame.picture, ffmpegFrame(clip.path, frame.time, nativeSize)), 40)
                << clip.name << " at " << seconds;
        }
    }
}

TEST(VideoFile, ListsTheKeyFramesFfprobeFindsFromTheIndexAndSaysWhenThereIsNone)
{
    for (const Clip& clip : everyClip()) {
        const KeyFrames listed = keyFramesOf(clip.path);
        if (clip.path.endsWith(".ts")) {
            EXPECT_FALSE(listed.known);
            EXPECT_TRUE(listed.times.empty());
            continue;
        }
        EXPECT_TRUE(listed.known) << clip.name;
        const std::vector<microseconds> probed = ffprobeKeyFrames(clip.path);
        ASSERT_EQ(listed.times.size(), probed.size()) << clip.name;
        for (std::size_t key = 0; key < probed.size(); ++key)
            EXPECT_LE(std::chrono::abs(listed.times[key] - probed[key]), secondsAt(0.001))
                << clip.name << " key " << key;
    }
    EXPECT_FALSE(keyFramesOf(mediaClips().soundOnly).known);
}

// Fitted into the box at the aspect the video is shown at: its pixels made
// square, and turned as it says.
TEST(VideoFile, ScalesStraightToTheShownAspectWithinTheBox)
{
    const MediaClips& clips = mediaClips();
    const QString wide = clips.folder.filePath("wide-pixels.mp4");
    buildToolOutput("ffmpeg", {"-v", "error", "-i", clips.everyTwoSeconds, "-t", "1", "-vf",
                               "scale=160:240,setsar=2", "-c:v", "libx264", wide});
    const QString turned = clips.folder.filePath("turned.mp4");
    buildToolOutput("ffmpeg", {"-v", "error", "-i", clips.everyTwoSeconds, "-t", "1", "-c", "copy",
                               "-metadata:s:v", "rotate=90", turned});
    const std::tuple<QString, QSize, QSize> cases[] = {
        {clips.everyTwoSeconds, {160, 160}, {160, 120}},
        {clips.everyTwoSeconds, {1000, 240}, {320, 240}},
        {wide, {400, 400}, {400, 300}},
        {turned, {400, 400}, {300, 400}}};
    for (const auto& [path, box, shown] : cases) {
        const std::unique_ptr<VideoFile> video = VideoFile::open(path);
        ASSERT_TRUE(video) << path.toStdString();
        const VideoFrame frame = frameOf(*video, secondsAt(0.5), FrameChoice::FirstAtOrAfter, box);
        EXPECT_EQ(frame.picture.size(), shown) << path.toStdString();
        // Scaled, then turned: ffmpeg turns first, which blurs the colours
        // differently; a picture turned the wrong way would not be this near.
        EXPECT_GT(psnr(frame.picture, ffmpegFrame(path, secondsAt(0.5), shown)), 25)
            << path.toStdString();
    }
}

// A damaged file, one without a picture and one that is not a video open as
// well as they can, and the libraries say nothing on standard error.
TEST(VideoFile, SaysNothingAndOpensWhatHasNoPictureAsNothing)
{
    const MediaClips& clips = mediaClips();
    const QString cut = clips.folder.filePath("cut.ts");
    const QByteArray whole = contentsOf(clips.transport);
    ASSERT_TRUE(writeContents(cut, whole.left(whole.size() / 2) + QByteArray(5000, 'x')));
    const QString text = clips.folder.filePath("notes.mp4");
    ASSERT_TRUE(writeContents(text, "not a video"));

    QTemporaryFile errors;
    ASSERT_TRUE(errors.open());
    const int standardError = ::dup(STDERR_FILENO);
    ::dup2(errors.handle(), STDERR_FILENO);
    const std::unique_ptr<VideoFile> damaged = VideoFile::open(cut);
    const bool opened = damaged != nullptr;
    const VideoFrame last =
        opened ? frameOf(*damaged, secondsAt(9), FrameChoice::LastBefore) : VideoFrame{};
    const bool soundOpened = VideoFile::open(clips.soundOnly) != nullptr;
    const bool textOpened = VideoFile::open(text) != nullptr;
    ::dup2(standardError, STDERR_FILENO);
    ::close(standardError);

    EXPECT_TRUE(opened);
    EXPECT_FALSE(last.picture.isNull());
    EXPECT_FALSE(soundOpened);
    EXPECT_FALSE(textOpened);
    EXPECT_EQ(contentsOf(errors.fileName()), QByteArray());
}
