#include "CopyChecks.h"
#include "DurationText.h"
#include "KeyFrameSnap.h"
#include "StatusText.h"
#include "VideoFile.h"
#include "WriteClip.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using std::chrono::microseconds;
using std::chrono::milliseconds;

namespace {

// Keep quality: `input`'s streams copied from `start` for `length`.
ClipRequest copyRequest(const QString& input, const QString& start, const QString& length,
                        const QString& output)
{
    ClipRequest request;
    request.inputPath = input;
    request.startTime = start;
    request.duration = length;
    request.outputPath = output;
    request.copyStreams = true;
    return request;
}

} // namespace

// Key frames at 0.5 s and 2.5 s: the start asked for, the key frame the copy
// starts at, and the field texts that show it.
TEST(KeyFrameSnap, StartsAtTheKeyFrameAtOrBeforeAndKeepsTheEnd)
{
    const std::vector<microseconds> keyFrames{milliseconds(500), microseconds(2'083'334)};
    const std::tuple<int, int, TimeTexts> cases[] = {{3000, 2'083'334, {"0", "0", "2", "083334"}},
                                                     {2000, 500'000, {"0", "0", "0", "5"}},
                                                     {200, 0, {"0", "0", "0", "0"}}};
    for (const auto& [start, keyFrame, texts] : cases) {
        const CutTimes cut =
            snappedToKeyFrame(keyFrames, {milliseconds(start), milliseconds(1000)});
        EXPECT_EQ(cut.start, microseconds(keyFrame)) << start;
        EXPECT_EQ(cut.start + cut.length, milliseconds(start + 1000)) << start;
        EXPECT_EQ(timeTextsOfTime(cut.start), texts) << start;
        EXPECT_EQ(timeOfTexts(texts), cut.start) << start;
    }
    EXPECT_EQ(timeTextsOfTime(std::chrono::seconds(3725)), (TimeTexts{"1", "2", "5", "0"}));
}

// From a start between key frames, in containers that seek by presentation
// time (MP4) and by decoding time (Matroska), with B-frames and without.
TEST(CopyClip, IsTheSourcesPacketsFromTheKeyFrameAtOrBeforeTheStart)
{
    const QTemporaryDir folder;
    for (const QString name : {"plain.mp4", "reordered.mp4", "reordered.mkv"}) {
        SCOPED_TRACE(name.toStdString());
        ClipRequest request = copyRequest(folder.filePath(name), "00:00:05.00", "00:00:03.00",
                                          folder.filePath(name + " clip.mp4"));
        ASSERT_TRUE(makeKeyFrameClip(request.inputPath, 12.0, name.startsWith("reordered")));
        ASSERT_EQ(copyFromKeyFrame(request), std::nullopt);
        const std::optional<TimeTexts> start = timeTextsOf(request.startTime);
        ASSERT_TRUE(start);
        const microseconds keyFrame = timeOfTexts(*start);
        // Matroska's index, as ffmpeg writes it, lists only the key frames
        // that begin its clusters, every 5 s or so.
        EXPECT_LE(keyFrame, milliseconds(5000));
        EXPECT_GT(keyFrame, milliseconds(name.endsWith("mkv") ? 0 : 3999));

        bool progressed = false;
        ClipWriting writing;
        writing.progressed = [&progressed](int) { progressed = true; };
        const QString said = verdictStatus(writeClip(request, writing));
        EXPECT_TRUE(said.endsWith(", copied from the key frame at " + durationTextOf(keyFrame)))
            << said.toStdString();
        EXPECT_TRUE(progressed) << "a copy's statistics gave no progress";
        const double seconds = std::chrono::duration<double>(keyFrame).count();
        expectCopiedFrom(request.inputPath, request.outputPath, seconds, 8.0 - seconds);
    }
}

TEST(CopyClip, ThatTheContainerCannotHoldIsNotWrittenAndSaysToReEncode)
{
    const QTemporaryDir folder;
    const ClipRequest request = copyRequest(folder.filePath("pcm.mkv"), "00:00:00.00",
                                            "00:00:01.00", folder.filePath("clip.mp4"));
    QProcess::execute(VELBORN_BUILD_RESOURCE_DIR "/ffmpeg",
                      {"-v", "error", "-f", "lavfi", "-i", "testsrc=size=160x120:duration=2", "-f",
                       "lavfi", "-i", "sine=duration=2", "-c:a", "pcm_s16le", request.inputPath});
    EXPECT_EQ(verdictStatus(writeClip(request)),
              "Not written: Could not find tag for codec pcm_s16le in stream #1, codec not "
              "currently supported in container; untick Keep quality to re-encode");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"pcm.mkv"});
}
