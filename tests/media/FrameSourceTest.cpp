#include "FrameSource.h"
#include "MediaClips.h"
#include "TestSupport.h"
#include "VideoFile.h"

#include <gtest/gtest.h>

using std::chrono::microseconds;

namespace {

constexpr QSize box{320, 240};

// What a source delivers: its frames by lane, in order, and what it opened.
struct Heard {
    explicit Heard(FrameSource& source)
    {
        QObject::connect(&source, &FrameSource::frameReady,
                         [this](std::size_t lane, const VideoFrame& frame) {
                             frames.emplace_back(lane, frame);
                         });
        QObject::connect(&source, &FrameSource::opened,
                         [this](const VideoFacts& opened) { facts.push_back(opened.opened); });
    }
    std::vector<std::pair<std::size_t, VideoFrame>> frames;
    std::vector<bool> facts;
};

} // namespace

// Requests asked in quick succession: of each lane only the last is delivered,
// whatever the worker had begun or finished, and an answer ready before a
// lane's newer request is delivered before it. Another video overtakes what was
// asked of the one before; a file without a picture opens as nothing, and its
// frames come without pictures.
TEST(FrameSource, DeliversOnlyTheNewestRequestOfEachLaneAndVideo)
{
    const MediaClips& clips = mediaClips();
    const QString clip = clips.withBFrames;
    FrameSource source;
    Heard heard(source);
    source.open(clip);
    for (int step = 0; step < 20; ++step)
        source.ask(0, secondsAt(9.5 - step * 0.37), FrameChoice::FirstAtOrAfter, box);
    source.ask(1, secondsAt(6), FrameChoice::LastBefore, box);
    ASSERT_TRUE(waitFor([&] { return heard.frames.size() == 2; }));
    source.ask(1, secondsAt(2), FrameChoice::KeyFrameAtOrBefore, box);
    ASSERT_TRUE(waitFor([&] { return heard.frames.size() >= 3; }));

    EXPECT_EQ(heard.facts, std::vector{true});
    ASSERT_EQ(heard.frames.size(), 3U);
    std::stable_sort(heard.frames.begin(), heard.frames.end(),
                     [](const auto& one, const auto& other) { return one.first < other.first; });
    const auto video = VideoFile::open(clip);
    const std::tuple<std::size_t, double, FrameChoice> asked[] = {
        {0, 9.5 - 19 * 0.37, FrameChoice::FirstAtOrAfter},
        {1, 6, FrameChoice::LastBefore},
        {1, 2, FrameChoice::KeyFrameAtOrBefore}};
    for (std::size_t i = 0; i < 3; ++i) {
        const auto& [lane, seconds, choice] = asked[i];
        const auto direct = video->frame(secondsAt(seconds), choice, box, [] { return false; });
        EXPECT_EQ(heard.frames[i].first, lane) << i;
        EXPECT_TRUE(direct && heard.frames[i].second.picture == direct->picture) << i;
    }

    heard.frames.clear();
    heard.facts.clear();
    source.open(clips.everyTwoSeconds);
    source.ask(0, secondsAt(9.9), FrameChoice::FirstAtOrAfter, box);
    source.ask(1, secondsAt(9.9), FrameChoice::LastBefore, box);
    source.open(clips.soundOnly);
    source.ask(0, secondsAt(0.5), FrameChoice::FirstAtOrAfter, box);
    ASSERT_TRUE(waitFor([&] { return !heard.frames.empty(); }));
    source.open(clips.transport);
    source.ask(1, secondsAt(3), FrameChoice::FirstAtOrAfter, box);
    ASSERT_TRUE(waitFor([&] { return heard.frames.size() >= 2; }));

    EXPECT_EQ(heard.facts, (std::vector{false, true}));
    ASSERT_EQ(heard.frames.size(), 2U);
    EXPECT_EQ(heard.frames[0].first, 0U);
    EXPECT_TRUE(heard.frames[0].second.picture.isNull());
    EXPECT_EQ(heard.frames[1].first, 1U);
    EXPECT_GT(psnr(heard.frames[1].second.picture, ffmpegFrame(clips.transport, secondsAt(3), box)),
              40);
}
