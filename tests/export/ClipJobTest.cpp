#include "ClipJob.h"
#include "BusyState.h"
#include "EventLoop.h"
#include "ToolFolder.h"

#include <QDir>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

ClipRequest requestWithAudioState(std::int64_t state)
{
    ClipRequest request;
    request.removeAudioState = state;
    request.startTime = "00:00:02.50";
    request.inputPath = "/in/my clip, \"final\".mov";
    request.duration = "00:00:03.00";
    request.outputPath = "/out/-odd name.mp4";
    return request;
}

struct ArgumentsCase {
    std::int64_t removeAudioState;
    bool withoutAudio;
};

class ClipArguments : public testing::TestWithParam<ArgumentsCase> {};

TEST_P(ClipArguments, PutsNoAudioFlagDirectlyBeforeTheOutput)
{
    QStringList expected{"-y", "-ss",         "00:00:02.50", "-i", "/in/my clip, \"final\".mov",
                         "-t", "00:00:03.00", "-qscale",     "0"};
    if (GetParam().withoutAudio)
        expected << "-an";
    expected << "/out/-odd name.mp4";
    EXPECT_EQ(clipArguments(requestWithAudioState(GetParam().removeAudioState)), expected);
}

INSTANTIATE_TEST_SUITE_P(States, ClipArguments,
                         testing::Values(ArgumentsCase{1, true}, ArgumentsCase{0, false},
                                         ArgumentsCase{-1, false}, ArgumentsCase{2, false}));

class FakeDelegate : public ClipJobDelegate {
public:
    QProgressBar* clipProgress() const override { return progress; }
    QAbstractButton* saveClipButton() const override { return button; }

    QPointer<QProgressBar> progress = new QProgressBar;
    QPointer<QPushButton> button = new QPushButton;

    ~FakeDelegate() override
    {
        delete progress;
        delete button;
    }
};

class FinishClipJob : public testing::Test {
protected:
    void SetUp() override
    {
        delegate = std::make_unique<FakeDelegate>();
        enterBusyState(*delegate->progress, *delegate->button);
    }
    std::unique_ptr<FakeDelegate> delegate;
};

TEST_F(FinishClipJob, EndsTheBusyState)
{
    finishClipJob(delegate.get(), nullptr);
    EXPECT_FALSE(isBusyIndicatorRunning(*delegate->progress));
    EXPECT_TRUE(delegate->progress->isHidden());
    EXPECT_TRUE(delegate->button->isEnabled());
}

TEST_F(FinishClipJob, SkipsControlsThatAreGone)
{
    delete delegate->progress;
    finishClipJob(delegate.get(), nullptr);
    EXPECT_TRUE(delegate->button->isEnabled());
}

TEST_F(FinishClipJob, DoesNothingWhenTheDelegateIsGone)
{
    QPointer<ClipJobDelegate> gone = delegate.get();
    delegate.reset();
    EXPECT_TRUE(gone.isNull());
    finishClipJob(gone, nullptr); // must neither crash nor touch anything
}

class ClipJobRun : public testing::Test {
protected:
    ToolFolder tools;
};

TEST_F(ClipJobRun, PrintsWhatFfmpegSaidAndEndsTheBusyState)
{
    tools.addScript("ffmpeg", R"(printf 'frame=1\nbad \377 byte\n' >&2)");
    FakeDelegate delegate;
    enterBusyState(*delegate.progress, *delegate.button);
    ClipRequest request = requestWithAudioState(0);
    request.weakDelegate = &delegate;

    testing::internal::CaptureStdout();
    runClipJob(request);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed, "frame=1\nbad \xef\xbf\xbd byte\n\n");

    ASSERT_TRUE(processEventsUntil([&] { return delegate.button->isEnabled(); }));
    EXPECT_TRUE(delegate.progress->isHidden());
}

TEST_F(ClipJobRun, SilentFfmpegPrintsAnEmptyLine)
{
    tools.addScript("ffmpeg", "exit 1");
    testing::internal::CaptureStdout();
    runClipJob(requestWithAudioState(0));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\n");
}

TEST_F(ClipJobRun, MissingFfmpegStillEndsTheBusyState)
{
    FakeDelegate delegate;
    enterBusyState(*delegate.progress, *delegate.button);
    ClipRequest request = requestWithAudioState(0);
    request.weakDelegate = &delegate;

    testing::internal::CaptureStderr();
    runClipJob(request);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("ffmpeg"), std::string::npos);
    EXPECT_TRUE(processEventsUntil([&] { return delegate.button->isEnabled(); }));
}

int threadsNamedVelborn()
{
    int count = 0;
    const QDir tasks("/proc/self/task");
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(task + "/comm"));
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == "velborn")
            ++count;
    }
    return count;
}

TEST_F(ClipJobRun, JobsRunSideBySideOnThreadsOfTheirOwn)
{
    // Each fake ffmpeg waits until the test lets its own output file appear.
    tools.addScript("ffmpeg", R"(for a; do out="$a"; done; touch "$out.started"
                                 while [ ! -e "$out.go" ]; do sleep 0.02; done)");
    FakeDelegate delegate;
    enterBusyState(*delegate.progress, *delegate.button);
    ClipRequest first = requestWithAudioState(0);
    first.outputPath = tools.filePath("first");
    first.weakDelegate = &delegate;
    ClipRequest second = first;
    second.outputPath = tools.filePath("second");

    startClipJob(first);
    startClipJob(second);
    ASSERT_TRUE(processEventsUntil([&] {
        return QFile::exists(first.outputPath + ".started") &&
               QFile::exists(second.outputPath + ".started");
    }));
    EXPECT_EQ(runningClipJobCount(), 2);
    EXPECT_EQ(threadsNamedVelborn(), 2);

    QFile(second.outputPath + ".go").open(QIODevice::WriteOnly);
    EXPECT_TRUE(processEventsUntil([&] { return delegate.button->isEnabled(); }));
    EXPECT_TRUE(delegate.progress->isHidden());
    EXPECT_EQ(runningClipJobCount(), 1);

    QFile(first.outputPath + ".go").open(QIODevice::WriteOnly);
    waitForClipJobs();
    EXPECT_EQ(runningClipJobCount(), 0);
    processEventsUntil([] { return false; }, std::chrono::milliseconds(50));
}

} // namespace
