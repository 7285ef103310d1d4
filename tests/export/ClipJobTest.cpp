#include "ClipJob.h"
#include "BusyState.h"
#include "EventLoop.h"
#include "ToolFolder.h"

#include <QProgressBar>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

class FakeDelegate : public ClipJobDelegate {
public:
    FakeDelegate() { enterBusyState(*progress, *button); }
    ~FakeDelegate() override
    {
        delete progress;
        delete button;
    }
    QProgressBar* clipProgress() const override { return progress; }
    QAbstractButton* saveClipButton() const override { return button; }

    QPointer<QProgressBar> progress = new QProgressBar;
    QPointer<QPushButton> button = new QPushButton;
};

TEST(FinishClipJob, SkipsWhateverHasGoneAway)
{
    auto delegate = std::make_unique<FakeDelegate>();
    delete delegate->progress;
    finishClipJob(delegate.get(), nullptr);
    EXPECT_TRUE(delegate->button->isEnabled());

    QPointer<ClipJobDelegate> gone = delegate.get();
    delegate.reset();
    finishClipJob(gone, nullptr); // touches nothing, and does not stop
}

struct RunCase {
    const char* ffmpeg; // nullptr: no ffmpeg at all
    const char* printed;
};

class RunClipJob : public testing::TestWithParam<RunCase> {};

TEST_P(RunClipJob, PrintsAllFfmpegSaidAndEndsTheBusyState)
{
    ToolFolder tools;
    if (GetParam().ffmpeg)
        tools.addScript("ffmpeg", GetParam().ffmpeg);
    FakeDelegate delegate;
    ClipRequest request;
    request.weakDelegate = &delegate;

    testing::internal::CaptureStdout();
    runClipJob(request);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), GetParam().printed);
    EXPECT_TRUE(processEventsUntil([&] { return delegate.button->isEnabled(); }));
    EXPECT_TRUE(delegate.progress->isHidden());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, RunClipJob, testing::Values(
    RunCase{"printf 'frame=1\\nbad \\377 byte\\n' >&2; exit 1", "frame=1\nbad \xef\xbf\xbd byte\n\n"},
    RunCase{"exit 0", "\n"},
    RunCase{nullptr, ""}));
// clang-format on

} // namespace
