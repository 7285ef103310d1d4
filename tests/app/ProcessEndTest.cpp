#include "EventLoop.h"
#include "MediaClips.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// The scripted application exports the whole of `input` to `output`.
void startApplication(QProcess& application, const QString& input, const QString& output)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("VELBORN_TEST_INPUT", input);
    environment.insert("VELBORN_TEST_OUTPUT", output);
    application.setProcessEnvironment(environment);
    application.setStandardInputFile(QProcess::nullDevice());
    application.start(VELBORN_SCRIPTED_APP, {});
    ASSERT_TRUE(application.waitForStarted());
}

// Processes whose command line names `path`, zombies aside.
int processesNaming(const QString& path)
{
    int count = 0;
    for (const QString& pid : QDir("/proc").entryList({"[0-9]*"}, QDir::Dirs)) {
        QFile commandLine("/proc/" + pid + "/cmdline");
        count +=
            commandLine.open(QIODevice::ReadOnly) && commandLine.readAll().contains(path.toUtf8());
    }
    return count;
}

class ApplicationProcess : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(makeTestClip(folder.filePath("short.mp4"), 3.0));
        // Quick to make as MPEG-1, and seconds to write as a clip.
        ASSERT_TRUE(makeTestClip(folder.filePath("long.mpg"), 20.0, "1280x720"));
    }

    static inline QTemporaryDir folder;
};

TEST_F(ApplicationProcess, AClosedStandardOutputLosesLinesNotTheApplication)
{
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    ::close(pipe[0]); // nobody will ever read
    QProcess application;
    application.setChildProcessModifier([end = pipe[1]] { ::dup2(end, STDOUT_FILENO); });
    const QString output = folder.filePath("through a closed pipe.mp4");
    startApplication(application, folder.filePath("short.mp4"), output);
    ::close(pipe[1]);

    ASSERT_TRUE(application.waitForFinished(120'000));
    EXPECT_EQ(application.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(application.exitCode(), 0);
    const MediaFacts facts = probeMediaFacts(output);
    EXPECT_NEAR(facts.durationSeconds, 3.0, 0.1);
    EXPECT_EQ(facts.streamKinds, (QStringList{"video", "audio"}));
}

class EndingSignal : public ApplicationProcess, public testing::WithParamInterface<int> {};

TEST_P(EndingSignal, StopsFfmpegAndLeavesNoUnfinishedClip)
{
    const QString output = folder.filePath(QString("ended by %1.mp4").arg(GetParam()));
    QProcess application;
    startApplication(application, folder.filePath("long.mpg"), output);
    ASSERT_TRUE(processEventsUntil([&] { return QFileInfo(output).size() > 0; }));
    ASSERT_EQ(processesNaming(output), 1); // ffmpeg, writing

    ::kill(static_cast<pid_t>(application.processId()), GetParam());
    ASSERT_TRUE(application.waitForFinished(30'000));
    EXPECT_EQ(application.exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(application.exitCode(), GetParam());
    EXPECT_TRUE(
        processEventsUntil([&] { return processesNaming(output) == 0; }, std::chrono::seconds(5)));
    // A killed application cannot clean up; its ffmpeg still dies with it.
    if (GetParam() != SIGKILL) {
        EXPECT_FALSE(QFile::exists(output));
    }
}

// ffprobe stuck opening a pipe nobody writes to says nothing, so only the
// kernel can tell it that the application has gone.
TEST_F(ApplicationProcess, ASilentChildDiesWithAKilledApplication)
{
    const QString fifo = folder.filePath("never written.mp4");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QProcess application;
    startApplication(application, fifo, folder.filePath("unused.mp4"));
    ASSERT_TRUE(processEventsUntil([&] { return processesNaming(fifo) == 1; }));
    application.kill();
    ASSERT_TRUE(application.waitForFinished());
    EXPECT_TRUE(
        processEventsUntil([&] { return processesNaming(fifo) == 0; }, std::chrono::seconds(2)));
}

INSTANTIATE_TEST_SUITE_P(Signals, EndingSignal, testing::Values(SIGTERM, SIGINT, SIGHUP, SIGKILL));

} // namespace
