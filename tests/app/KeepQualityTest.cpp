// "Keep quality": the streams copied from the key frame the window shows, in
// the window and from the command line, with the real ffmpeg.
#include "ApplicationFixture.h"
#include "ClipJob.h"
#include "ClipTimeline.h"
#include "CopyChecks.h"
#include "TimelineHandle.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace {

struct Made {
    int exitCode = -1;
    QString verdict; // the last line of standard error
};

Made cutFromCommandLine(const QStringList& arguments, const QString& folder)
{
    QProcess application;
    application.setWorkingDirectory(folder);
    application.start(VELBORN_APP, arguments);
    application.waitForFinished(60'000);
    return {application.exitStatus() == QProcess::NormalExit ? application.exitCode() : -1,
            QString::fromUtf8(application.readAllStandardError()).trimmed().section('\n', -1)};
}

} // namespace

TEST_F(ApplicationFixture, KeepQualityCopiesFromTheKeyFrameTheFieldsShow)
{
    tools.linkBuildTool("ffprobe");
    tools.linkBuildTool("ffmpeg");
    const QString source = tools.filePath("reordered.mp4");
    const QString stream = tools.filePath("broadcast.ts");
    ASSERT_TRUE(makeKeyFrameClip(source, 12.0, true));
    ASSERT_TRUE(makeKeyFrameClip(stream, 4.0, false));
    QCheckBox& keepQuality = *delegate.keepQualityButton();
    EXPECT_FALSE(keepQuality.isChecked());

    // MPEG-TS keeps no index: the box cannot be ticked, and says why.
    ASSERT_TRUE(dragAndDropFiles(*window.dropView(), {stream}));
    ASSERT_TRUE(waitFor([&] { return keepQuality.toolTip().contains("no index"); }));
    EXPECT_FALSE(keepQuality.isEnabled());
    EXPECT_EQ(keepQuality.toolTip(),
              "broadcast.ts keeps no index of its key frames, so a clip of it can only be "
              "re-encoded");

    ASSERT_TRUE(dragAndDropFiles(*window.dropView(), {source}));
    ASSERT_TRUE(durationShown("0:00:12.0"));
    ASSERT_TRUE(waitFor([&] { return keepQuality.isEnabled(); }));
    setTimes("0|0|5|5|0|0|3|0");
    keepQuality.setChecked(true);
    EXPECT_EQ(seen().last(), "0|0|4|0|0|0|4|5");
    // A start typed while it is ticked moves once the field is left.
    delegate.startSS()->setText("7");
    emit delegate.startSS()->editingFinished();
    EXPECT_EQ(seen().last(), "0|0|6|0|0|0|5|5");
    // The start handle steps from key frame to key frame; the end stays.
    TimelineHandle& startHandle = *delegate.clipTimeline()->handle(ClipTimeline::startHandle);
    QTest::keyClick(&startHandle, Qt::Key_Left);
    EXPECT_EQ(seen().last(), "0|0|4|0|0|0|7|5");
    QTest::keyClick(&startHandle, Qt::Key_Right);
    EXPECT_EQ(seen().last(), "0|0|6|0|0|0|5|5");
    delegate.startSS()->setText("4");
    emit delegate.startSS()->editingFinished();

    saveAs(1, tools.filePath("copy.mp4"));
    ASSERT_TRUE(waitFor([&] { return delegate.statusLabel()->text().startsWith("Written"); }));
    waitForClipJobs();
    EXPECT_TRUE(delegate.statusLabel()->text().endsWith(", copied from the key frame at 0:00:04.0"))
        << delegate.statusLabel()->text().toStdString();
    expectCopiedFrom(source, tools.filePath("copy.mp4"), 4.0, 5.5);
}

TEST(CopyCommand, CopiesFromTheKeyFrameOrSaysWhyNot)
{
    const QTemporaryDir folder;
    ASSERT_TRUE(makeKeyFrameClip(folder.filePath("in.mp4"), 12.0, true));
    ASSERT_TRUE(makeKeyFrameClip(folder.filePath("in.ts"), 4.0, false));
    const QStringList times{"--start", "0:5.5", "--length", "3", "--copy", "--output"};

    const Made copied = cutFromCommandLine(times + QStringList{"clip", "in.mp4"}, folder.path());
    EXPECT_EQ(copied.exitCode, 0);
    EXPECT_TRUE(copied.verdict.startsWith("Written: clip.mp4, 0:00:04.") &&
                copied.verdict.endsWith(", copied from the key frame at 0:00:04.0"))
        << copied.verdict.toStdString();
    expectCopiedFrom(folder.filePath("in.mp4"), folder.filePath("clip.mp4"), 4.0, 4.5);

    const Made refused = cutFromCommandLine(times + QStringList{"ts", "in.ts"}, folder.path());
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.verdict, "Not written: in.ts keeps no index of its key frames, so it can "
                               "only be re-encoded; leave out --copy to re-encode");
    EXPECT_FALSE(QFile::exists(folder.filePath("ts.mp4")));
}
