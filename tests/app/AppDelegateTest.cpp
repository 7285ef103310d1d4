#include "ApplicationFixture.h"
#include "BusyState.h"
#include "DragEvents.h"
#include "DropView.h"
#include "EventLoop.h"
#include "ToolFolder.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QTest>

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

// Ctrl+O anywhere, a click on the drop area, Enter or Space while it has the
// focus: each opens the dialog, and the file chosen there counts as a drop.
TEST_F(AppDelegateTest, EveryWayToChooseAFileOpensTheDialogAndTakesItsChoiceAsADrop)
{
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QWidget& dropView = *window.dropView();
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"1", [&] { QTest::keyClick(delegate.timeSS(), Qt::Key_O, Qt::ControlModifier); }},
        {"2", [&] { QTest::mouseClick(&dropView, Qt::LeftButton); }},
        {"3", [&] { QTest::keyClick(&dropView, Qt::Key_Return); }},
        {"4", [&] { QTest::keyClick(&dropView, Qt::Key_Space); }},
    };
    EXPECT_EQ(QApplication::focusWidget(), &dropView); // first in the tab order

    // Cancelling changes nothing.
    QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(openPanels.size(), 1u);
    std::exchange(openPanels.back()->completion, nullptr)(std::nullopt);
    EXPECT_FALSE(delegate.saveClipButton()->isEnabled());
    EXPECT_EQ(delegate.droppedFilename(), std::nullopt);

    for (const auto& [name, open] : ways) {
        open();
        ASSERT_EQ(openPanels.size(), std::stoul(name) + 1) << name;
        EXPECT_EQ(openPanels.back()->window, &window);
        const QString path = QString("/v/") + name;
        std::exchange(openPanels.back()->completion, nullptr)(path);
        EXPECT_EQ(delegate.droppedFileNameLabel()->text(), path);
        EXPECT_EQ(delegate.droppedFilename(), path);
        EXPECT_TRUE(delegate.saveClipButton()->isEnabled());
        EXPECT_TRUE(durationShown(QString("0:00:0%1.12").arg(name))) << name;
    }
}

// A screen reader says a control's accessible name: a label must not hide its
// text behind a name of its own, and whatever takes the focus needs a name.
TEST_F(AppDelegateTest, ScreenReadersHearWhatTheWindowShows)
{
    window.show();
    delegate.fileDropped("/v/a clip/7");
    ASSERT_TRUE(durationShown("0:00:07.12"));
    delegate.statusLabel()->setText("Written: x.mp4, 0:00:03.0");
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisible())
            continue;
        const QString name = QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
        if (const auto* label = qobject_cast<QLabel*>(widget)) {
            EXPECT_EQ(name, QString(label->text()).remove('&'));
        } else if (widget->focusPolicy() != Qt::NoFocus) {
            EXPECT_FALSE(name.isEmpty()) << widget->objectName().toStdString();
        }
    }
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
