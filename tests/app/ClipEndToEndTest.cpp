#include "ApplicationFixture.h"
#include "BusyState.h"
#include "ClipJob.h"
#include "EventLoop.h"
#include "MediaClips.h"
#include "ToolFolder.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// One generated ten-second source with video and a sine tone, shared by all.
class ClipEndToEnd : public ApplicationFixture {
protected:
    static void SetUpTestSuite()
    {
        sourceFolder = new QTemporaryDir;
        source = sourceFolder->filePath("source clip ünïcode.mp4");
        ASSERT_TRUE(makeTestClip(source, 10.0));
    }
    static void TearDownTestSuite() { delete sourceFolder; }

    void SetUp() override
    {
        delegate.fileDropped(source);
        setFields({delegate.startHH(), delegate.startMM(), delegate.startSS(), delegate.startFFF()},
                  {"0", "0", "2", "5"});
        setFields({delegate.timeHH(), delegate.timeMM(), delegate.timeSS(), delegate.timeFFF()},
                  {"0", "0", "3", ""});
    }

    static void setFields(std::initializer_list<QLineEdit*> fields, QStringList texts)
    {
        for (QLineEdit* field : fields)
            field->setText(texts.takeFirst());
    }

    void startExport(const QString& output)
    {
        delegate.saveClip();
        panels.answer(1, output);
        ASSERT_TRUE(isBusyIndicatorRunning(*delegate.clipProgress()));
    }

    void exportAndWait(const QString& output)
    {
        startExport(output);
        ASSERT_TRUE(processEventsUntil([&] { return delegate.saveClipButton()->isEnabled(); },
                                       std::chrono::seconds(120)));
        EXPECT_TRUE(delegate.clipProgress()->isHidden());
        waitForClipJobs();
    }

    static inline QTemporaryDir* sourceFolder = nullptr;
    static inline QString source;
    BuildToolFolder tools;
    ScriptedSavePanels panels;
    QTemporaryDir outputs;
};

TEST_F(ClipEndToEnd, WritesAThreeSecondClipWithVideoAndAudio)
{
    const QString output = outputs.filePath("clip.mp4");
    exportAndWait(output);
    const MediaFacts facts = probeMediaFacts(output);
    EXPECT_NEAR(facts.durationSeconds, 3.0, 0.1);
    EXPECT_TRUE(facts.streamKinds.contains("video"));
    EXPECT_TRUE(facts.streamKinds.contains("audio"));
}

TEST_F(ClipEndToEnd, RemoveAudioLeavesTheAudioOut)
{
    delegate.removeAudioButton()->setChecked(true);
    const QString output = outputs.filePath("silent.mp4");
    exportAndWait(output);
    const MediaFacts facts = probeMediaFacts(output);
    EXPECT_EQ(facts.streamKinds, QStringList{"video"});
    EXPECT_NEAR(facts.durationSeconds, 3.0, 0.1);
}

TEST_F(ClipEndToEnd, CopesWithAwkwardFileNames)
{
    const QString input = outputs.filePath("-in put, «ø».mp4");
    ASSERT_TRUE(QFile::copy(source, input));
    delegate.fileDropped(input);
    const QString output = outputs.filePath("-out put, 'ñ' \"q\".mp4");
    exportAndWait(output);
    EXPECT_NEAR(probeMediaFacts(output).durationSeconds, 3.0, 0.1);
}

TEST_F(ClipEndToEnd, AnUnwritableOutputEndsTheBusyStateAndPrintsWhy)
{
    const QString output = outputs.filePath("no such folder/clip.mp4");
    testing::internal::CaptureStdout();
    exportAndWait(output);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(QFile::exists(output));
    EXPECT_NE(printed.find("No such file or directory"), std::string::npos) << printed;
}

// Quitting runs what main does after its event loop: the window goes away and
// the running jobs are waited for.
TEST_F(ClipEndToEnd, QuittingDuringAnExportLeavesACompleteClip)
{
    const QString output = outputs.filePath("at quit.mp4");
    startExport(output);
    window.close();
    waitForClipJobs();

    const MediaFacts facts = probeMediaFacts(output);
    EXPECT_NEAR(facts.durationSeconds, 3.0, 0.1);
    EXPECT_EQ(facts.streamKinds.size(), 2);
}

} // namespace
