#include "FrameSource.h"
#include "MediaClips.h"
#include "TestSupport.h"
#include "VideoFile.h"

#include <gtest/gtest.h>

using std::chrono::microseconds;

namespace {

struct Delivered {
    std::size_t lane;
    VideoFrame frame;
};

struct Listener {
    explicit Listener(FrameSource& source)
    {
        QObject::connect(&source, &FrameSource::frameReady,
                         [this](std::size_t lane, const VideoFrame& frame) {
                             frames.push_back({lane, frame});
                         });
        QObject::connect(&source, &FrameSource::opened,
                         [this](const VideoFacts& opened) { facts.push_back(opened); });
    }
    std::vector<Delivered> frames;
    std::vector<VideoFacts> facts;
};

constexpr QSize box{320, 240};

} // namespace

// Requests asked in quick succession: of each lane only the last is delivered,
// whatever the worker had begun or finished, and the lanes do not overtake
// each other.
TEST(FrameSource, DeliversOnlyEachLanesNewestRequest)
{
    const QString clip = mediaClips().withBFrames;
    FrameSource source;
    Listener heard(source);
    source.open(clip);
    for (int step = 0; step < 20; ++step)
        source.ask(0, secondsAt(9.5 - step * 0.37), FrameChoice::FirstAtOrAfter, box);
    source.ask(1, secondsAt(6), FrameChoice::LastBefore, box);
    const microseconds newest = secondsAt(9.5 - 19 * 0.37);
    ASSERT_TRUE(waitFor([&] { return heard.frames.size() == 2; }));
    // An answer ready before the newest request is delivered before it.
    source.ask(1, secondsAt(2), FrameChoice::KeyFrameAtOrBefore, box);
    ASSERT_TRUE(waitFor([&] { return heard.frames.size() >= 3; }));

    ASSERT_EQ(heard.facts.size(), 1U);
    EXPECT_TRUE(heard.facts[0].opened);
    ASSERT_EQ(heard.frames.size(), 3U);
    const auto video = VideoFile::open(clip);
    const auto direct = [&](microseconds time, FrameChoice choice) {
        return video->frame(time, choice, box, [] { return false; })->picture;
    };
    const std::tuple<std::size_t, microseconds, FrameChoice> asked[] = {
        {0, newest, FrameChoice::FirstAtOrAfter},
        {1, secondsAt(6), FrameChoice::LastBefore},
        {1, secondsAt(2), FrameChoice::KeyFrameAtOrBefore}};
    std::size_t found = 0;
    for (const auto& [lane, time, choice] : asked) {
        for (const Delivered& one : heard.frames) {
            if (one.lane == lane && one.frame.picture == direct(time, choice))
                ++found;
        }
    }
    EXPECT_EQ(found, 3U);
}

// Another video overtakes what was asked of the one before; a file without a
// picture opens as nothing, and its frames come without pictures.
TEST(FrameSource, AnotherVideoOvertakesTheRequestsOfTheOneBefore)
{
    const MediaClips& clips = mediaClips();
    FrameSource source;
    Listener heard(source);
    source.open(clips.everyTwoSeconds);
    source.ask(0, secondsAt(9.9), FrameChoice::FirstAtOrAfter, box);
    source.ask(1, secondsAt(9.9), FrameChoice::LastBefore, box);
    source.open(clips.soundOnly);
    source.ask(0, secondsAt(0.5), FrameChoice::FirstAtOrAfter, box);
    ASSERT_TRUE(waitFor([&] { return !heard.frames.empty(); }));
    source.open(clips.transport);
    source.ask(1, secondsAt(3), FrameChoice::FirstAtOrAfter, box);
    ASSERT_TRUE(waitFor([&] { return heard.frames.size() >= 2; }));

    ASSERT_EQ(heard.facts.size(), 2U);
    EXPECT_FALSE(heard.facts[0].opened);
    EXPECT_TRUE(heard.facts[1].opened);
    EXPECT_FALSE(heard.facts[1].keyFrames.known);
    ASSERT_EQ(heard.frames.size(), 2U);
    EXPECT_EQ(heard.frames[0].lane, 0U);
    EXPECT_TRUE(heard.frames[0].frame.picture.isNull());
    EXPECT_EQ(heard.frames[1].lane, 1U);
    EXPECT_GT(psnr(heard.frames[1].frame.picture, ffmpegFrame(clips.transport, secondsAt(3), box)),
              40);
}
