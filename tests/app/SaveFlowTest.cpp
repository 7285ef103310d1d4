#include "ApplicationFixture.h"
#include "BusyState.h"
#include "ClipJob.h"
#include "EventLoop.h"
#include "ToolFolder.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

// This ffmpeg saves its arguments, one a line, beside its output and, when
// told to, waits until the test creates "<output>.go".
constexpr const char* fakeFfmpeg = R"(for a; do out="$a"; done
for a; do printf '%s\n' "$a"; done > "$out.args"
case "$out" in *wait*) for i in $(seq 1500); do [ -e "$out.go" ] && break; sleep 0.02; done ;; esac)";

class SaveFlowTest : public ApplicationFixture {
protected:
    void SetUp() override
    {
        tools.addScript("ffprobe", "echo format,0:00:10.000000");
        tools.addScript("ffmpeg", fakeFfmpeg);
        delegate.fileDropped("/videos/source clip.mov");
        setTimeTexts({"", "1", "75", "5", "0", "0", "90", ""});
    }

    bool busy() const
    {
        return isBusyIndicatorRunning(*delegate.clipProgress()) &&
               !delegate.saveClipButton()->isEnabled();
    }

    QStringList argumentsOfExportTo(const QString& name)
    {
        saveAs(1, tools.filePath(name));
        waitForClipJobs();
        QFile args(tools.filePath(name) + ".args");
        return args.open(QIODevice::ReadOnly)
                   ? QString::fromUtf8(args.readAll()).split('\n', Qt::SkipEmptyParts)
                   : QStringList();
    }

    ToolFolder tools;
};

TEST_F(SaveFlowTest, AsksForAnMp4FileOnTheWindowAndWaitsForTheAnswer)
{
    delegate.saveClip();
    ASSERT_EQ(panels.size(), 1u);
    EXPECT_EQ(panels[0]->title, "Save as MP4 file");
    EXPECT_EQ(panels[0]->types, QStringList{"mp4"});
    EXPECT_EQ(panels[0]->window, &window);
    EXPECT_FALSE(busy());
    std::exchange(panels[0]->completion, nullptr)(0);
}

TEST_F(SaveFlowTest, AnythingButOkWithAFileCancelsWithoutTouchingTheFields)
{
    const QStringList before = timeTexts();
    for (const auto& [response, path] : {std::pair<qint64, std::optional<QString>>{0, "/tmp/x.mp4"},
                                         {2, "/tmp/x.mp4"},
                                         {-1, "/tmp/x.mp4"},
                                         {1, std::nullopt}}) {
        saveAs(response, path);
        EXPECT_EQ(timeTexts(), before) << response;
        EXPECT_TRUE(delegate.clipProgress()->isHidden()) << response;
        EXPECT_TRUE(delegate.saveClipButton()->isEnabled()) << response;
    }
    EXPECT_EQ(runningClipJobCount(), 0);
}

TEST_F(SaveFlowTest, OkNormalisesStartThenLengthAndHandsTheLabelsPathToFfmpeg)
{
    delegate.droppedFileNameLabel()->setText("/edited/by hand.mkv");
    EXPECT_EQ(argumentsOfExportTo("out.mp4"),
              (QStringList{"-y", "-ss", "00:02:15.50", "-i", "/edited/by hand.mkv", "-t",
                           "00:01:30.00", "-qscale", "0", tools.filePath("out.mp4")}));
    EXPECT_EQ(timeTexts(), (QStringList{"", "2", "15", "5", "0", "1", "30", ""}));
}

TEST_F(SaveFlowTest, LeavesAudioOutOnlyWhenTheBoxIsChecked)
{
    delegate.removeAudioButton()->setTristate(true);
    for (const auto& [state, count] :
         {std::pair{Qt::Checked, 11}, {Qt::Unchecked, 10}, {Qt::PartiallyChecked, 10}}) {
        delegate.removeAudioButton()->setCheckState(state);
        const QStringList arguments =
            argumentsOfExportTo(QString("audio%1.mp4").arg(static_cast<int>(state)));
        EXPECT_EQ(arguments.size(), count) << state;
        EXPECT_EQ(arguments.indexOf("-an"), count == 11 ? 9 : -1) << state;
    }
}

int threadsNamedVelborn()
{
    int count = 0;
    const QDir tasks("/proc/self/task");
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(task + "/comm"));
        count += comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == "velborn";
    }
    return count;
}

TEST_F(SaveFlowTest, TwoExportsRunOnTwoThreadsAndTheFirstToFinishEndsTheBusyState)
{
    const QString first = tools.filePath("wait1.mp4");
    const QString second = tools.filePath("wait2.mp4");
    saveAs(1, first);
    EXPECT_TRUE(busy());
    EXPECT_EQ(delegate.statusLabel()->text(), "Writing wait1.mp4…");
    delegate.fileDropped("/videos/another.mov");
    saveAs(1, second);
    ASSERT_TRUE(processEventsUntil(
        [&] { return QFile::exists(first + ".args") && QFile::exists(second + ".args"); }));
    EXPECT_EQ(runningClipJobCount(), 2);
    EXPECT_EQ(threadsNamedVelborn(), 2);
    EXPECT_TRUE(busy());

    QFile(second + ".go").open(QIODevice::WriteOnly);
    EXPECT_TRUE(processEventsUntil([&] { return !busy(); }));
    // This ffmpeg writes no clip, so each verdict says so as its job ends.
    EXPECT_TRUE(
        processEventsUntil([&] { return delegate.statusLabel()->text().startsWith("Not"); }));
    EXPECT_TRUE(delegate.clipProgress()->isHidden());
    EXPECT_TRUE(processEventsUntil([] { return runningClipJobCount() == 1; }));
    QFile(first + ".go").open(QIODevice::WriteOnly);
    waitForClipJobs();
}

} // namespace
