#include "ClipJob.h"
#include "CopyArguments.h"
#include "CopyChecks.h"
#include "KeyFrameSnap.h"
#include "StatusText.h"
#include "TestSupport.h"
#include "WriteClip.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

using std::chrono::microseconds;
using std::chrono::milliseconds;

// Key frames every 2 s from 0.5 s; the start and length asked for, and the cut
// that starts at the key frame at or before it and ends where it did.
TEST(KeyFrameSnap, StartsAtTheKeyFrameAtOrBeforeAndKeepsTheEnd)
{
    const std::vector<microseconds> keyFrames{milliseconds(500), milliseconds(2500),
                                              milliseconds(4500)};
    const std::tuple<int, int, int, int> cases[] = {
        {3000, 1000, 2500, 1500}, {2500, 1000, 2500, 1000}, {2499, 10, 500, 2009},
        {9000, 500, 4500, 5000},  {200, 1000, 0, 1200},     {0, 0, 0, 0}};
    for (const auto& [start, length, snappedStart, snappedLength] : cases) {
        const CutTimes snapped =
            snappedToKeyFrame(keyFrames, {milliseconds(start), milliseconds(length)});
        EXPECT_EQ(snapped.start, milliseconds(snappedStart)) << start;
        EXPECT_EQ(snapped.length, milliseconds(snappedLength)) << start;
    }
    EXPECT_EQ(keyFrameAtOrBefore({}, milliseconds(3000)), microseconds(0));

    // The fields that show a key frame, and the time code they give ffmpeg.
    const std::tuple<std::int64_t, TimeTexts, const char*> shown[] = {
        {2'080'000, {"0", "0", "2", "08"}, "00:00:02.08"},
        {3'725'500'000, {"1", "2", "5", "5"}, "01:02:05.50"},
        {2'083'334, {"0", "0", "2", "083334"}, "00:00:02.083334"},
        {0, {"0", "0", "0", "0"}, "00:00:00.00"}};
    for (const auto& [time, texts, timeCode] : shown) {
        EXPECT_EQ(timeTextsOfTime(microseconds(time)), texts) << timeCode;
        EXPECT_EQ(timeCodeOfTexts(texts), timeCode);
        EXPECT_EQ(timeOfTexts(texts), microseconds(time)) << timeCode;
    }
}

TEST(CopyArguments, CopiesTheStreamsFromTheSoughtKeyFrame)
{
    ClipRequest request;
    request.startTime = "00:00:04.00";
    request.inputPath = "/videos/my talk.mkv";
    request.duration = "00:00:06.50";
    request.outputPath = "/clips/a clip.mp4";
    request.copyStreams = true;
    const QStringList copied{
        "-y",   "-ss",         "00:00:04.00", "-i",           "/videos/my talk.mkv",
        "-t",   "00:00:06.50", "-map",        "0:v:0?",       "-map",
        "0:a?", "-c",          "copy",        "-copypriorss", "0"};
    EXPECT_EQ(clipArguments(request), copied + QStringList({"/clips/a clip.mp4"}));
    request.removeAudioState = 1;
    EXPECT_EQ(clipArguments(request), copied + QStringList({"-an", "/clips/a clip.mp4"}));
    request.copyStreams = false;
    EXPECT_EQ(clipArguments(request).mid(7, 2), (QStringList{"-qscale", "0"}));
}

// From a start between key frames, in containers that seek by presentation
// time (MP4) and by decoding time (Matroska), with B-frames and without.
TEST(CopyClip, IsTheSourcesPacketsFromTheKeyFrameAtOrBeforeTheStart)
{
    const QTemporaryDir folder;
    const std::pair<const char*, bool> sources[] = {
        {"plain.mp4", false}, {"reordered.mp4", true}, {"reordered.mkv", true}};
    for (const auto& [name, bFrames] : sources) {
        const QString source = folder.filePath(name);
        ASSERT_TRUE(makeKeyFrameClip(source, 12.0, bFrames));
        std::vector<microseconds> keyFrames;
        for (const double seconds : keyFrameSeconds(source))
            keyFrames.push_back(microseconds(std::llround(seconds * 1e6)));
        const CutTimes cut = snappedToKeyFrame(keyFrames, {milliseconds(5000), milliseconds(3000)});

        ClipRequest request;
        request.copyStreams = true;
        request.inputPath = source;
        request.startTime = timeCodeOfTexts(timeTextsOfTime(cut.start));
        request.duration = timeCodeOfTexts(timeTextsOfTime(cut.length));
        request.outputPath = folder.filePath(QString(name) + " clip.mp4");
        std::vector<int> percents;
        ClipWriting writing;
        writing.progressed = [&percents](int percent) { percents.push_back(percent); };
        const ClipVerdict verdict = writeClip(request, writing);

        const QString said = verdictStatus(verdict);
        EXPECT_TRUE(said.startsWith(QString("Written: %1 clip.mp4, 0:00:04.").arg(name)) &&
                    said.endsWith(", copied from the key frame at 0:00:04.0"))
            << said.toStdString();
        EXPECT_FALSE(percents.empty()) << "copy's statistics give no progress";
        const double keyFrame = std::chrono::duration<double>(cut.start).count();
        EXPECT_NEAR(keyFrame, 4.0, 0.05) << name;
        expectCopiedFrom(source, request.outputPath, keyFrame, 4.0);
    }
}

TEST(CopyClip, ThatTheContainerCannotHoldIsNotWrittenAndSaysToReEncode)
{
    const QTemporaryDir folder;
    ClipRequest request;
    request.copyStreams = true;
    request.inputPath = folder.filePath("pcm.mkv");
    request.startTime = "00:00:00.00";
    request.duration = "00:00:01.00";
    request.outputPath = folder.filePath("clip.mp4");
    QProcess ffmpeg;
    ffmpeg.start(VELBORN_BUILD_RESOURCE_DIR "/ffmpeg",
                 {"-v", "error", "-f", "lavfi", "-i", "testsrc=size=160x120:duration=2", "-f",
                  "lavfi", "-i", "sine=duration=2", "-c:a", "pcm_s16le", request.inputPath});
    ASSERT_TRUE(ffmpeg.waitForFinished(60'000) && ffmpeg.exitCode() == 0);

    EXPECT_EQ(verdictStatus(writeClip(request)),
              "Not written: Could not find tag for codec pcm_s16le in stream #1, codec not "
              "currently supported in container; untick Keep quality to re-encode");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"pcm.mkv"});
}
