#include "VideoFile.h"
#include "MediaClips.h"
#include "TestSupport.h"

#include <QTemporaryFile>

#include <gtest/gtest.h>

#include <unistd.h>

using std::chrono::microseconds;

namespace {

constexpr QSize nativeSize{320, 240};
const microseconds oneFrame = secondsAt(1.0 / 24);

QStringList everyClip()
{
    const MediaClips& clips = mediaClips();
    return {clips.everyTwoSeconds, clips.withBFrames, clips.transport};
}

VideoFrame frameOf(VideoFile& video, microseconds time, FrameChoice choice, QSize box = nativeSize)
{
    return video.frame(time, choice, box, [] { return false; }).value_or(VideoFrame{});
}

std::vector<std::chrono::milliseconds> toMilliseconds(const std::vector<microseconds>& times)
{
    std::vector<std::chrono::milliseconds> rounded;
    for (const microseconds time : times)
        rounded.push_back(std::chrono::round<std::chrono::milliseconds>(time));
    return rounded;
}

} // namespace

// Asked out of order, so that the decoder seeks back, goes on from where it
// stands and answers from its cache: the first frame at or after a time, and
// the last before it (past the video's end, its last), each as ffmpeg gives it.
TEST(VideoFile, GivesTheFrameFfmpegGivesAtATimeOnEveryContainer)
{
    const FrameChoice from = FrameChoice::FirstAtOrAfter, before = FrameChoice::LastBefore;
    const double frame = 1.0 / 24;
    // The time asked for, and that of the frame ffmpeg gives for it.
    // clang-format off
    const std::tuple<double, FrameChoice, double> cases[] = {
        {4.0, from, 4.0}, {0.0, from, 0.0}, {4.5, from, 4.5}, {4.0417, from, 4.0417},
        {3.9583, from, 3.9583}, {9.9, from, 9.9}, {2.0, from, 2.0}, {7.3, from, 7.3},
        {7.25, from, 7.25}, {4.0, from, 4.0}, {3.9583, from, 3.9583},
        {3.0, before, 3.0 - frame}, {5.0, before, 5.0 - frame}, {0.1, before, 2 * frame},
        {2.5, before, 2.5 - frame}, {20.0, before, 10.0 - frame}, {10.0, before, 10.0 - frame}};
    // clang-format on
    for (const QString& clip : everyClip()) {
        const std::unique_ptr<VideoFile> video = VideoFile::open(clip);
        ASSERT_TRUE(video) << clip.toStdString();
        for (const auto& [seconds, choice, shown] : cases) {
            SCOPED_TRACE(clip.toStdString() + " at " + std::to_string(seconds));
            const VideoFrame got = frameOf(*video, secondsAt(seconds), choice);
            EXPECT_GT(psnr(got.picture, ffmpegFrame(clip, secondsAt(shown), nativeSize)), 40);
            EXPECT_GE(got.time, secondsAt(shown - 0.0001));
            EXPECT_LT(got.time, secondsAt(shown) + oneFrame);
        }
        // The check tells neighbouring frames apart.
        const QImage at4 = frameOf(*video, secondsAt(4.0), from).picture;
        EXPECT_LT(psnr(at4, ffmpegFrame(clip, secondsAt(4.0) + oneFrame, nativeSize)), 40);
    }
}

// The key frames the index lists, as ffprobe finds them, and none known in
// MPEG-TS, which keeps no index; the frame at or before a time is the key
// frame before it, the nearest where they are known.
TEST(VideoFile, FindsTheKeyFramesFfprobeFinds)
{
    for (const QString& clip : everyClip()) {
        SCOPED_TRACE(clip.toStdString());
        const std::unique_ptr<VideoFile> video = VideoFile::open(clip);
        ASSERT_TRUE(video);
        const bool indexed = !clip.endsWith(".ts");
        // ffprobe misses the first key frame of MPEG-TS, which holds the frames
        // of the MP4 it was copied from.
        const auto keys = ffprobeKeyFrames(indexed ? clip : mediaClips().withBFrames);
        ASSERT_GE(keys.size(), 4U);
        const KeyFrames listed = keyFramesOf(clip);
        EXPECT_EQ(listed.known, indexed);
        EXPECT_EQ(toMilliseconds(listed.times),
                  toMilliseconds(indexed ? keys : std::vector<microseconds>()));
        EXPECT_EQ(video->facts().keyFrames.known, indexed);
        EXPECT_DOUBLE_EQ(video->facts().framesPerSecond, 24);
        for (const double seconds : {0.5, 2.0, 4.99, 5.0, 7.6, 9.99, 0.0}) {
            const microseconds time = secondsAt(seconds);
            const VideoFrame frame = frameOf(*video, time, FrameChoice::KeyFrameAtOrBefore);
            const auto after = std::upper_bound(keys.begin(), keys.end(), time + secondsAt(0.001));
            ASSERT_NE(after, keys.begin());
            const auto isKey = [&](microseconds key) {
                return std::chrono::abs(key - frame.time) <= secondsAt(0.001);
            };
            EXPECT_TRUE(indexed ? isKey(*std::prev(after))
                                : std::any_of(keys.begin(), after, isKey))
                << seconds;
            EXPECT_GT(psnr(frame.picture, ffmpegFrame(clip, frame.time, nativeSize)), 40)
                << seconds;
        }
    }
    EXPECT_FALSE(keyFramesOf(mediaClips().soundOnly).known);
}

// Fitted into the box at the aspect the video is shown at: its pixels made
// square, and turned as it says.
TEST(VideoFile, ScalesStraightToTheShownAspectWithinTheBox)
{
    const MediaClips& clips = mediaClips();
    const auto remade = [&](const char* name, const QStringList& how) {
        buildToolOutput("ffmpeg",
                        QStringList{"-v", "error", "-i", clips.everyTwoSeconds, "-t", "1"} + how +
                            QStringList{clips.folder.filePath(name)});
        return clips.folder.filePath(name);
    };
    const QString wide = remade("wide.mp4", {"-vf", "scale=160:240,setsar=2", "-c:v", "libx264"});
    const QString turned = remade("turned.mp4", {"-c", "copy", "-metadata:s:v", "rotate=90"});
    const std::tuple<QString, QSize, QSize> cases[] = {
        {clips.everyTwoSeconds, {160, 160}, {160, 120}},
        {clips.everyTwoSeconds, {1000, 240}, {320, 240}},
        {wide, {400, 400}, {400, 300}},
        {turned, {400, 400}, {300, 400}}};
    for (const auto& [path, box, shown] : cases) {
        SCOPED_TRACE(path.toStdString());
        const std::unique_ptr<VideoFile> video = VideoFile::open(path);
        ASSERT_TRUE(video);
        const VideoFrame frame = frameOf(*video, secondsAt(0.5), FrameChoice::FirstAtOrAfter, box);
        EXPECT_EQ(frame.picture.size(), shown);
        // Scaled, then turned: ffmpeg turns first, which blurs the colours
        // differently; a picture turned the wrong way would not be this near.
        EXPECT_GT(psnr(frame.picture, ffmpegFrame(path, secondsAt(0.5), shown)), 25);
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
    const bool lastShown =
        damaged && !frameOf(*damaged, secondsAt(9), FrameChoice::LastBefore).picture.isNull();
    const bool othersOpened = VideoFile::open(clips.soundOnly) || VideoFile::open(text);
    ::dup2(standardError, STDERR_FILENO);
    ::close(standardError);

    EXPECT_TRUE(lastShown);
    EXPECT_FALSE(othersOpened);
    EXPECT_EQ(contentsOf(errors.fileName()), QByteArray());
}
