#include "ApplicationFixture.h"
#include "BusyState.h"
#include "DragEvents.h"
#include "EventLoop.h"
#include "ToolFolder.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

class AppDelegateTest : public ApplicationFixture {
protected:
    void SetUp() override
    {
        // Answers like ffprobe, naming the file so each drop can be told apart.
        tools.addScript("ffprobe", R"(echo "format,0:00:0${2##*/}.500000")");
    }

    QStringList timeFieldTexts() const
    {
        QStringList texts;
        for (QLineEdit* field :
             {delegate.startHH(), delegate.startMM(), delegate.startSS(), delegate.startFFF(),
              delegate.timeHH(), delegate.timeMM(), delegate.timeSS(), delegate.timeFFF()})
            texts << field->text();
        return texts;
    }

    ToolFolder tools;
};

TEST_F(AppDelegateTest, LaunchesIdleWithNothingToSave)
{
    EXPECT_FALSE(delegate.saveClipButton()->isEnabled());
    EXPECT_TRUE(delegate.clipProgress()->isHidden());
    EXPECT_EQ(delegate.droppedFilename(), std::nullopt);
}

TEST_F(AppDelegateTest, ADropShowsTheWholePathAndProbesIt)
{
    const QStringList timesBefore = timeFieldTexts();
    const QString path = "/home/user/Videos/holiday 2026/day one/5";
    ASSERT_TRUE(dragAndDropFiles(dropView(), {path, "/elsewhere/9"}));

    // Save is on at once; the duration comes later, from the event loop.
    EXPECT_EQ(delegate.droppedFileNameLabel()->text(), path);
    EXPECT_EQ(delegate.droppedFilename(), path);
    EXPECT_TRUE(delegate.saveClipButton()->isEnabled());
    EXPECT_EQ(delegate.durationTextField()->text(), "");

    EXPECT_TRUE(
        processEventsUntil([&] { return !delegate.durationTextField()->text().isEmpty(); }));
    EXPECT_EQ(delegate.durationTextField()->text(), "0:00:05.12");
    EXPECT_EQ(timeFieldTexts(), timesBefore);
}

TEST_F(AppDelegateTest, ASecondDropReplacesTheFirst)
{
    ASSERT_TRUE(dragAndDropFiles(dropView(), {"/v/1"}));
    ASSERT_TRUE(dragAndDropFiles(dropView(), {"/v/2"}));
    EXPECT_EQ(delegate.droppedFileNameLabel()->text(), "/v/2");

    // Probes finish in the order of the drops: the last file's duration stays.
    EXPECT_TRUE(
        processEventsUntil([&] { return delegate.durationTextField()->text() == "0:00:02.12"; }));
    processEventsUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_EQ(delegate.durationTextField()->text(), "0:00:02.12");
}

TEST_F(AppDelegateTest, ADropDuringAnExportEnablesSave)
{
    enterBusyState(*delegate.clipProgress(), *delegate.saveClipButton());
    delegate.fileDropped("/v/3");
    EXPECT_TRUE(delegate.saveClipButton()->isEnabled());
    EXPECT_TRUE(isBusyIndicatorRunning(*delegate.clipProgress()));
}

TEST_F(AppDelegateTest, TheLabelShowsAPathAsPlainText)
{
    const QString path = "/v/<b>not bold</b> & more";
    delegate.fileDropped(path);
    EXPECT_EQ(delegate.droppedFileNameLabel()->textFormat(), Qt::PlainText);
    EXPECT_EQ(delegate.droppedFileNameLabel()->text(), path);
}

struct BadProbeCase {
    const char* name;
    const char* script;
};

class BadProbe : public AppDelegateTest, public testing::WithParamInterface<BadProbeCase> {};

TEST_P(BadProbe, ClearsTheDurationAndPrintsAnEmptyLine)
{
    if (GetParam().script)
        tools.addScript("ffprobe", GetParam().script);
    else
        QFile::remove(tools.filePath("ffprobe"));
    delegate.durationTextField()->setText("stale");
    delegate.fileDropped("/v/4");

    testing::internal::CaptureStdout();
    const bool cleared =
        processEventsUntil([&] { return delegate.durationTextField()->text().isEmpty(); });
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(cleared);
    EXPECT_EQ(printed, "\n");
}

INSTANTIATE_TEST_SUITE_P(Cases, BadProbe,
                         testing::Values(BadProbeCase{"Silent", "exit 1"},
                                         BadProbeCase{"NotUtf8",
                                                      R"(printf 'format,0:00:01.\377\n')"},
                                         BadProbeCase{"Missing", nullptr}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(AppDelegateTest, TerminationLeavesEverythingAsItWas)
{
    delegate.fileDropped("/v/6");
    const QStringList times = timeFieldTexts();
    delegate.applicationWillTerminate();
    EXPECT_EQ(delegate.droppedFilename(), "/v/6");
    EXPECT_EQ(delegate.droppedFileNameLabel()->text(), "/v/6");
    EXPECT_EQ(timeFieldTexts(), times);
}

} // namespace
