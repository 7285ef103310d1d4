#include "ApplicationFixture.h"
#include "BusyState.h"
#include "DragEvents.h"
#include "DropView.h"
#include "EventLoop.h"
#include "ToolFolder.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

class AppDelegateTest : public ApplicationFixture {
protected:
    // Answers like ffprobe, with the file's name as its seconds.
    void SetUp() override { tools.addScript("ffprobe", R"(echo "format,0:00:0${2##*/}.500000")"); }

    bool durationShown(const QString& text)
    {
        return processEventsUntil([&] { return delegate.durationTextField()->text() == text; });
    }

    ToolFolder tools;
};

TEST_F(AppDelegateTest, LaunchesWithNothingToSave)
{
    EXPECT_FALSE(delegate.saveClipButton()->isEnabled());
    EXPECT_TRUE(delegate.clipProgress()->isHidden());
}

TEST_F(AppDelegateTest, ADropShowsTheWholePathEnablesSaveAndThenShowsTheDuration)
{
    const QStringList times = timeTexts();
    const QString path = "/home/user/Videos/holiday 2026/<b>day</b> one/5";
    ASSERT_TRUE(dragAndDropFiles(*window.dropView(), {path, "/elsewhere/9"}));

    EXPECT_EQ(delegate.droppedFileNameLabel()->text(), path);
    EXPECT_EQ(delegate.droppedFileNameLabel()->textFormat(), Qt::PlainText);
    EXPECT_EQ(delegate.droppedFilename(), path);
    EXPECT_TRUE(delegate.saveClipButton()->isEnabled());
    EXPECT_EQ(delegate.durationTextField()->text(), ""); // not before the event loop runs
    delegate.statusLabel()->setText("stale");
    EXPECT_TRUE(durationShown("0:00:05.12"));
    EXPECT_EQ(delegate.statusLabel()->text(), "");
    EXPECT_EQ(timeTexts(), times);
}

TEST_F(AppDelegateTest, ASecondDropReplacesTheFirst)
{
    ASSERT_TRUE(dragAndDropFiles(*window.dropView(), {"/v/1"}));
    ASSERT_TRUE(dragAndDropFiles(*window.dropView(), {"/v/2"}));
    EXPECT_EQ(delegate.droppedFileNameLabel()->text(), "/v/2");
    EXPECT_TRUE(durationShown("0:00:02.12"));
    processEventsUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_EQ(delegate.durationTextField()->text(), "0:00:02.12");
}

TEST_F(AppDelegateTest, ADropDuringAnExportEnablesSaveAndKeepsTheIndicator)
{
    enterBusyState(*delegate.clipProgress(), *delegate.saveClipButton());
    delegate.fileDropped("/v/3");
    EXPECT_TRUE(delegate.saveClipButton()->isEnabled());
    EXPECT_TRUE(isBusyIndicatorRunning(*delegate.clipProgress()));
}

class BadProbe : public AppDelegateTest, public testing::WithParamInterface<const char*> {};

TEST_P(BadProbe, ClearsTheDurationAndPrintsAnEmptyLine)
{
    if (GetParam())
        tools.addScript("ffprobe", GetParam());
    else
        QFile::remove(tools.filePath("ffprobe"));
    delegate.durationTextField()->setText("stale");
    delegate.fileDropped("/v/4");

    testing::internal::CaptureStdout();
    const bool cleared = durationShown("");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\n");
    EXPECT_TRUE(cleared);
    EXPECT_EQ(delegate.statusLabel()->text(), "No duration: ffprobe could not read 4");
}

INSTANTIATE_TEST_SUITE_P(Cases, BadProbe,
                         testing::Values("exit 1", R"(printf 'format,0:00:01.\377\n')", nullptr));

} // namespace
