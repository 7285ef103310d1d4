#include "Application.h"
#include "ApplicationFixture.h"
#include "ClipJob.h"
#include "EventLoop.h"
#include "MediaClips.h"
#include "QtPrinting.h"
#include "ToolFolder.h"

#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Clips 2.5 s to 5.5 s out of one generated ten-second source with a tone.
class ClipEndToEnd : public ApplicationFixture {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(makeTestClip(sources.filePath("source.mp4"), 10.0));
    }

    void SetUp() override
    {
        const QString source = outputs.filePath("-in put, «ø».mp4");
        ASSERT_TRUE(QFile::copy(sources.filePath("source.mp4"), source));
        delegate.fileDropped(source);
        // The probe's answer clears the status line, so it comes first.
        ASSERT_TRUE(
            processEventsUntil([&] { return !delegate.durationTextField()->text().isEmpty(); }));
        setTimeTexts({"0", "0", "2", "5", "0", "0", "3", ""});
    }

    void exportAndWait(const QString& output)
    {
        saveAs(1, output);
        EXPECT_FALSE(delegate.saveClipButton()->isEnabled());
        EXPECT_TRUE(processEventsUntil([&] { return delegate.saveClipButton()->isEnabled(); },
                                       std::chrono::seconds(120)));
        EXPECT_TRUE(delegate.clipProgress()->isHidden());
        waitForClipJobs();
        // The verdict may still be queued when the job's thread has ended.
        EXPECT_TRUE(processEventsUntil(
            [&] { return !delegate.statusLabel()->text().startsWith("Writing"); }));
    }

    static inline QTemporaryDir sources;
    const BuildToolFolder tools;
    const QTemporaryDir outputs;
};

TEST_F(ClipEndToEnd, WritesTheClipWithVideoAndAudio)
{
    const QString output = outputs.filePath("-out put, 'ñ' \"q\".mp4");
    exportAndWait(output);
    const MediaFacts facts = probeMediaFacts(output);
    EXPECT_NEAR(facts.durationSeconds, 3.0, 0.1);
    EXPECT_EQ(facts.streamKinds, (QStringList{"video", "audio"}));
    EXPECT_EQ(delegate.statusLabel()->text(), "Written: -out put, 'ñ' \"q\".mp4, 0:00:03.0");
}

TEST_F(ClipEndToEnd, AStartPastTheEndIsNotWrittenAndLeavesNoFile)
{
    delegate.startSS()->setText("99");
    exportAndWait(outputs.filePath("past the end.mp4"));
    EXPECT_EQ(delegate.statusLabel()->text(),
              "Not written: nothing was encoded; is the start past the end of the video?");
    EXPECT_FALSE(QFile::exists(outputs.filePath("past the end.mp4")));
}

TEST_F(ClipEndToEnd, RemoveAudioLeavesTheAudioOut)
{
    delegate.removeAudioButton()->setChecked(true);
    exportAndWait(outputs.filePath("silent.mp4"));
    const MediaFacts facts = probeMediaFacts(outputs.filePath("silent.mp4"));
    EXPECT_NEAR(facts.durationSeconds, 3.0, 0.1);
    EXPECT_EQ(facts.streamKinds, QStringList{"video"});
}

TEST_F(ClipEndToEnd, AnUnwritableOutputEndsTheBusyStateAndPrintsWhy)
{
    testing::internal::CaptureStdout();
    exportAndWait(outputs.filePath("no such folder/clip.mp4"));
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find("No such file or directory"), std::string::npos) << printed;
    EXPECT_EQ(delegate.statusLabel()->text(),
              "Not written: " + outputs.filePath("no such folder/clip.mp4") +
                  ": No such file or directory");
}

TEST_F(ClipEndToEnd, ClosingTheWindowDuringAnExportStillLeavesACompleteClip)
{
    const QString output = outputs.filePath("at quit.mp4");
    QTimer::singleShot(0, &window, [&] {
        saveAs(1, output);
        window.close();
    });
    EXPECT_EQ(runApplication(window, delegate), 0);
    EXPECT_NEAR(probeMediaFacts(output).durationSeconds, 3.0, 0.1);
    EXPECT_EQ(probeMediaFacts(output).streamKinds.size(), 2);
}

} // namespace
