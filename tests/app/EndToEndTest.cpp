#include "ApplicationFixture.h"
#include "DropView.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>

#include <sys/stat.h>
#include <unistd.h>

// The real ffprobe and ffmpeg, from a drop to a written clip.
TEST_F(ApplicationFixture, ADroppedVideoIsCutWithOrWithoutAudioAndNeverPastItsEnd)
{
    tools.linkBuildTool("ffprobe");
    tools.linkBuildTool("ffmpeg");
    const QString source = tools.filePath("-in put, «ø».mp4");
    ASSERT_TRUE(makeTestClip(source, 10.0));
    ASSERT_TRUE(dragAndDropFiles(*window.dropView(), {source}));
    ASSERT_TRUE(durationShown("0:00:10.0")); // before the status line has anything else to say
    setTimes("0|0|2|5|0|0|3|");
    const auto exportTo = [&](const QString& name) {
        saveAs(1, tools.filePath(name));
        EXPECT_TRUE(waitFor([&] { return !delegate.statusLabel()->text().startsWith("Writing"); }));
        EXPECT_TRUE(delegate.saveClipButton()->isEnabled());
        return delegate.statusLabel()->text();
    };

    EXPECT_EQ(exportTo("-out, 'ñ' q.mp4"), "Written: -out, 'ñ' q.mp4, 0:00:03.0");
    EXPECT_EQ(probeMediaFacts(tools.filePath("-out, 'ñ' q.mp4")),
              (QStringList{"video", "audio", "3.0"}));
    delegate.removeAudioButton()->setChecked(true);
    EXPECT_EQ(exportTo("silent.mp4"), "Written: silent.mp4, 0:00:03.0");
    EXPECT_EQ(probeMediaFacts(tools.filePath("silent.mp4")), (QStringList{"video", "3.0"}));

    delegate.startSS()->setText("99");
    EXPECT_EQ(exportTo("past.mp4"),
              "Not written: nothing was encoded; is the start past the end of the video?");
    EXPECT_FALSE(QFile::exists(tools.filePath("past.mp4")));
}

// Processes whose command line names `path`, zombies aside.
int processesNaming(const QString& path)
{
    QProcess pgrep;
    pgrep.start("pgrep", {"--count", "--full", QRegularExpression::escape(path)});
    return pgrep.waitForFinished() ? pgrep.readAll().trimmed().toInt() : -1;
}

// The whole application, its standard output a pipe nobody reads: it opens
// `input`, saves it whole to `output` and closes its window while it writes.
class ApplicationProcess : public testing::Test {
protected:
    void start(const QString& input, const QString& output)
    {
        int pipe[2];
        ASSERT_EQ(::pipe(pipe), 0);
        ::close(pipe[0]);
        application.setChildProcessModifier([end = pipe[1]] { ::dup2(end, STDOUT_FILENO); });
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("VELBORN_TEST_OUTPUT", output);
        application.setProcessEnvironment(environment);
        application.start(VELBORN_SCRIPTED_APP, {"-platform", "offscreen", input});
        ::close(pipe[1]);
        ASSERT_TRUE(application.waitForStarted());
    }

    const QTemporaryDir folder;
    QProcess application;
};

// A signal stops ffmpeg and leaves no unfinished clip (SIGKILL leaves it, but
// its ffmpeg dies too); left alone, the clip is whole despite the closed pipe.
TEST_F(ApplicationProcess, EndsWithTheWholeClipOrNoneAndNoChildLeft)
{
    // Quick to make as MPEG-1, and seconds to write as MP4.
    ASSERT_TRUE(makeTestClip(folder.filePath("long.mpg"), 30.0, "1280x720"));
    qint64 whole = 0; // how long writing the whole clip takes
    for (const int signal : {0, SIGTERM, SIGINT, SIGHUP, SIGKILL}) {
        const QString output = folder.filePath(QString("ended by %1.mp4").arg(signal));
        QElapsedTimer clock;
        clock.start();
        start(folder.filePath("long.mpg"), output);
        if (signal) {
            ASSERT_TRUE(waitFor([&] { return QFile(output).size() > 0; }));
            ::kill(static_cast<pid_t>(application.processId()), signal);
            clock.start();
        }
        ASSERT_TRUE(application.waitForFinished(120'000));
        whole = signal ? whole : clock.elapsed(); // a signal does not wait for ffmpeg:
        EXPECT_LT(clock.elapsed(), signal ? whole / 2 : 120'000) << signal;
        EXPECT_EQ(std::pair(application.exitStatus(), application.exitCode()),
                  std::pair(signal ? QProcess::CrashExit : QProcess::NormalExit, signal));
        EXPECT_TRUE(waitFor([&] { return processesNaming(output) == 0; }, 2000));
        EXPECT_EQ(probeMediaFacts(output).join(' '), signal == 0 ? "video audio 30.0" : "")
            << signal;
        EXPECT_EQ(QFile::exists(output), signal == 0 || signal == SIGKILL) << signal;
    }
}

// ffprobe stuck on a pipe nobody writes to learns from the kernel alone that we are gone.
TEST_F(ApplicationProcess, ASilentChildDiesWithAKilledApplication)
{
    const QString fifo = folder.filePath("never written.mp4");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    start(fifo, folder.filePath("unused.mp4"));
    ASSERT_TRUE(waitFor([&] { return processesNaming(fifo) == 2; })); // it and its ffprobe
    application.kill();
    ASSERT_TRUE(application.waitForFinished());
    EXPECT_TRUE(waitFor([&] { return processesNaming(fifo) == 0; }, 2000));
}
