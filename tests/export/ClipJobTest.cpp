#include "ClipJob.h"
#include "BusyState.h"
#include "ClipVerdict.h"
#include "EventLoop.h"
#include "ToolFolder.h"

#include <QFile>
#include <QProgressBar>
#include <QPushButton>

#include "QtPrinting.h"

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
    void showClipVerdict(const ClipVerdict& shown) override { verdict = shown; }

    QPointer<QProgressBar> progress = new QProgressBar;
    QPointer<QPushButton> button = new QPushButton;
    std::optional<ClipVerdict> verdict;
};

struct JobCase {
    const char* ffmpeg;  // nullptr: no ffmpeg at all
    bool outputExisted;  // a file was at the output path before the run
    const char* printed; // what lands on standard output
    const char* status;  // "written <duration>", or the reason it was not
    bool outputLeft;     // a file is at the output path afterwards
};

class RunClipJob : public testing::TestWithParam<JobCase> {};

// ffmpeg is a script that writes "$out" as told; ffprobe is the real one.
TEST_P(RunClipJob, EndsTheBusyStateThenJudgesTheFileAndRemovesABrokenOne)
{
    ToolFolder tools;
    ASSERT_TRUE(QFile::link(VELBORN_BUILD_RESOURCE_DIR "/ffprobe", tools.filePath("ffprobe")));
    if (GetParam().ffmpeg)
        tools.addScript("ffmpeg", QString("for out; do :; done\n") + GetParam().ffmpeg);
    ClipRequest request;
    request.outputPath = tools.filePath("clip.mp4");
    if (GetParam().outputExisted) {
        QFile old(request.outputPath);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("an earlier file") > 0);
    }
    FakeDelegate delegate;
    request.weakDelegate = &delegate;

    testing::internal::CaptureStdout();
    runClipJob(request);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), GetParam().printed);
    ASSERT_TRUE(processEventsUntil([&] { return delegate.verdict.has_value(); }));
    EXPECT_TRUE(delegate.button->isEnabled());
    EXPECT_TRUE(delegate.progress->isHidden());

    const ClipVerdict& verdict = *delegate.verdict;
    EXPECT_EQ(verdict.outputPath, request.outputPath);
    EXPECT_EQ(verdict.written ? "written " + verdict.duration : verdict.reason,
              QString(GetParam().status).replace("$FOLDER", tools.path()));
    EXPECT_EQ(QFile::exists(request.outputPath), GetParam().outputLeft);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, RunClipJob, testing::Values(
    JobCase{"printf 'frame=1\\nbad \\377 byte\\n' >&2; echo x > \"$out\"; exit 1", false,
            "frame=1\nbad \xef\xbf\xbd byte\n\n", "bad \xef\xbf\xbd byte", false},
    JobCase{"printf 'Invalid duration for ss\\n\\nframe= 1 size= 0kB\\r"
            "video:0kB muxing overhead: unknown\\n'; exit 1", true,
            "Invalid duration for ss\n\nframe= 1 size= 0kB\rvideo:0kB muxing overhead: unknown\n\n",
            "Invalid duration for ss", true},
    JobCase{"echo x >> \"$out\"; exit 1", true, "\n", "ffmpeg ended with status 1", false},
    JobCase{": > \"$out\"", false, "\n",
            "nothing was encoded; is the start past the end of the video?", false},
    JobCase{"exit 0", true, "\n", "nothing was encoded; is the start past the end of the video?", true},
    JobCase{"kill -KILL $$", false, "\n", "$FOLDER/ffmpeg crashed", false},
    JobCase{nullptr, false, "", "no program \"ffmpeg\" in $FOLDER", false}));
// clang-format on

} // namespace
