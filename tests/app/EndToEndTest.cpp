#include "ApplicationFixture.h"
#include "ClipJob.h"
#include "DropView.h"
#include "StandardOutput.h"

#include <QAccessible>
#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>

#include <sys/stat.h>
#include <unistd.h>

// The real ffprobe and ffmpeg, from a drop to a written clip that takes its
// name only once it is whole.
TEST_F(ApplicationFixture, ADroppedVideoIsCutWithOrWithoutAudioAndNeverOverAFileItNeeds)
{
    tools.linkBuildTool("ffprobe");
    tools.linkBuildTool("ffmpeg");
    const QString source = tools.filePath("-in put, «ø».mp4");
    ASSERT_TRUE(makeTestClip(source, 10.0));
    ASSERT_TRUE(dragAndDropFiles(*window.dropView(), {source}));
    ASSERT_TRUE(durationShown("0:00:10.0")); // before the status line has anything else to say
    setTimes("0|0|2|5|0|0|3|");
    const auto exportTo = [&](const QString& path) {
        saveAs(1, path);
        EXPECT_TRUE(waitFor([&] { return !delegate.statusLabel()->text().startsWith("Writing"); }));
        EXPECT_TRUE(delegate.saveClipButton()->isEnabled());
        waitForClipJobs();
        return delegate.statusLabel()->text();
    };

    EXPECT_EQ(exportTo(tools.filePath("-out, 'ñ' q.mp4")), "Written: -out, 'ñ' q.mp4, 0:00:03.0");
    EXPECT_EQ(probeMediaFacts(tools.filePath("-out, 'ñ' q.mp4")),
              (QStringList{"video", "audio", "3.0"}));
    // A replaced file keeps its permissions; a link at the chosen name stays.
    ASSERT_TRUE(writeContents(tools.filePath("earlier.mp4"), "an earlier clip"));
    QFile earlier(tools.filePath("earlier.mp4"));
    earlier.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    const QFile::Permissions permissions = earlier.permissions();
    QFile::link("earlier.mp4", tools.filePath("link.mp4"));
    delegate.removeAudioButton()->setChecked(true);
    EXPECT_EQ(exportTo(tools.filePath("link.mp4")), "Written: link.mp4, 0:00:03.0");
    EXPECT_EQ(QFileInfo(tools.filePath("link.mp4")).symLinkTarget(), earlier.fileName());
    EXPECT_EQ(probeMediaFacts(earlier.fileName()), (QStringList{"video", "3.0"}));
    EXPECT_EQ(earlier.permissions(), permissions);
    // The dialog gives the clip its file type's suffix, as the platform's save panel does.
    EXPECT_EQ(exportTo(tools.filePath("silent.ts")), "Written: silent.ts.mp4, 0:00:03.0");

    // Over the video being cut, by its own name or through a linked folder:
    // refused before ffmpeg runs, and the video is as it was.
    const QByteArray video = contentsOf(source);
    QFile::link(tools.path(), tools.filePath("linked"));
    for (const QString& same : {source, tools.filePath("linked/-in put, «ø».mp4")}) {
        flushStandardOutput(std::chrono::seconds(1));
        testing::internal::CaptureStdout();
        EXPECT_EQ(exportTo(same),
                  "Not written: -in put, «ø».mp4 is the video being cut; choose another name");
        flushStandardOutput(std::chrono::seconds(1));
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        EXPECT_TRUE(contentsOf(source) == video);
    }

    delegate.startSS()->setText("99");
    EXPECT_EQ(exportTo(tools.filePath("past.mp4")),
              "Not written: nothing was encoded; is the start past the end of the video?");
    EXPECT_FALSE(QFile::exists(tools.filePath("past.mp4")));
    EXPECT_EQ(unfinishedClips(tools.path()), QStringList());

    // A full disk, where this test may mount a small one.
    const QTemporaryDir small;
    QProcess mount;
    mount.start("mount", {"-t", "tmpfs", "-o", "size=16k", "tmpfs", small.path()});
    if (!mount.waitForFinished() || mount.exitCode() != 0)
        GTEST_SKIP() << "cannot mount a small file system here";
    setTimes("0|0|0|0|0|0|9|");
    const QString status = exportTo(small.filePath("full.mp4"));
    const QStringList left =
        QDir(small.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    QProcess::execute("umount", {small.path()});
    EXPECT_TRUE(status.startsWith("Not written: ") && status.contains("No space left on device"))
        << status.toStdString();
    EXPECT_EQ(left, QStringList());
}

// The real ffmpeg's frames, and nothing printed for them: none for a file of
// sound alone, then a video's in both halves, which follow the start.
TEST_F(ApplicationFixture, TheDropAreaShowsTheClipsFirstAndLastFrame)
{
    tools.linkBuildTool("ffprobe");
    tools.linkBuildTool("ffmpeg");
    ASSERT_TRUE(makeTestClip(tools.filePath("sound.wav"), 2.0, ""));
    ASSERT_TRUE(makeTestClip(tools.filePath("video.mp4"), 10.0));
    window.show();
    DropView& view = *window.dropView();
    const QString resting = view.accessibleDescription();
    const auto describedAs = [&](const QString& text) {
        return waitFor([&] { return view.accessibleDescription() == text; });
    };
    // Pixels of testsrc's colour bars, which the window has none of.
    const auto colourful = [&](int half) {
        return pixelsInHalf(view, half, [](QColor c) { return c.hsvSaturation() > 128; });
    };
    flushStandardOutput(std::chrono::seconds(1));
    testing::internal::CaptureStdout();

    ASSERT_TRUE(dragAndDropFiles(view, {tools.filePath("sound.wav")}));
    EXPECT_TRUE(describedAs("No picture at 0:00:00.0 and 0:00:02.0"));
    ASSERT_TRUE(dragAndDropFiles(view, {tools.filePath("video.mp4")}));
    EXPECT_EQ(view.accessibleDescription(), resting);
    EXPECT_TRUE(describedAs("Frames at 0:00:00.0 and 0:00:10.0"));
    const int area = view.width() * view.height() / 2;
    EXPECT_GT(colourful(0), area / 4);
    EXPECT_GT(colourful(1), area / 4);
    const QImage before = view.grab().toImage();
    setTimes("0|0|2|5|0|0|3|");
    EXPECT_TRUE(describedAs("Frames at 0:00:02.12 and 0:00:05.12"));
    const QImage after = view.grab().toImage();
    const QRect left(0, 0, view.width() / 2, view.height());
    EXPECT_NE(before.copy(left), after.copy(left));

    flushStandardOutput(std::chrono::seconds(1));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "0:00:02.0\n0:00:10.0\n");
}

// The whole application, its standard output a pipe that nobody reads: closed,
// or held open and stalled. It opens `input`, saves it whole to `output` and,
// as ScriptedApplication says, closes its window while it writes or drops
// another file. `arguments` go before the file, `environment` into its own.
class ApplicationProcess : public testing::Test {
protected:
    void start(const QString& input, const QString& output, const QStringList& arguments = {},
               const QStringList& environment = {}, bool stalled = false)
    {
        ASSERT_EQ(::pipe(pipe), 0);
        if (!stalled)
            ::close(std::exchange(pipe[0], -1));
        application.setChildProcessModifier([this, stalled] {
            ::dup2(pipe[1], STDOUT_FILENO);
            if (stalled) // as nohup leaves it
                ::signal(SIGHUP, SIG_IGN);
        });
        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        variables.insert("VELBORN_TEST_OUTPUT", output);
        for (const QString& variable : environment)
            variables.insert(variable.section('=', 0, 0), variable.section('=', 1));
        application.setProcessEnvironment(variables);
        application.start(VELBORN_SCRIPTED_APP,
                          QStringList{"-platform", "offscreen"} + arguments + QStringList{input});
        ::close(pipe[1]);
        ASSERT_TRUE(application.waitForStarted());
    }
    ~ApplicationProcess() override
    {
        if (pipe[0] >= 0)
            ::close(pipe[0]);
    }

    const QTemporaryDir folder;
    QProcess application;
    int pipe[2] = {-1, -1};
};

// A signal stops ffmpeg and leaves no unfinished clip (SIGKILL leaves its
// private folder, but its ffmpeg dies too, and the next export there removes
// it); left alone, the clip is whole despite the closed pipe.
TEST_F(ApplicationProcess, EndsWithTheWholeClipOrNoneAndNoChildLeft)
{
    // Quick to make as MPEG-1, and seconds to write as MP4.
    ASSERT_TRUE(makeTestClip(folder.filePath("long.mpg"), 30.0, "1280x720"));
    for (const int signal : {0, SIGKILL, SIGTERM, SIGINT, SIGHUP}) {
        const QString output = folder.filePath(QString("ended by %1.mp4").arg(signal));
        const QString style = folder.filePath("style.qss");
        QFile(style).open(QIODevice::WriteOnly);
        start(folder.filePath("long.mpg"), output,
              {"-reverse", "-style", "fusion", "-stylesheet", style}); // Qt's, not ours
        if (signal) {
            ASSERT_TRUE(waitFor([&] {
                const QStringList unfinished = unfinishedClips(folder.path());
                return std::any_of(unfinished.begin(), unfinished.end(), [&](const QString& clip) {
                    return clip.endsWith('/' + output.section('/', -1)) &&
                           QFile(folder.filePath(clip)).size() > 0;
                });
            }));
            ::kill(static_cast<pid_t>(application.processId()), signal);
        }
        ASSERT_TRUE(application.waitForFinished(120'000));
        EXPECT_EQ(std::pair(application.exitStatus(), application.exitCode()),
                  std::pair(signal ? QProcess::CrashExit : QProcess::NormalExit, signal));
        EXPECT_TRUE(waitFor([&] { return processesNaming(output.section('/', -1)) == 0; }));
        EXPECT_EQ(probeMediaFacts(output).join(' '), signal == 0 ? "video audio 30.0" : "")
            << signal;
        // Only a kill leaves the private folder, whose name says what it is.
        EXPECT_EQ(QFile::exists(output), signal == 0) << signal;
        EXPECT_EQ(unfinishedClips(folder.path()).size(), signal == SIGKILL ? 1 : 0) << signal;
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
    EXPECT_TRUE(waitFor([&] { return processesNaming(fifo) == 0; }));
}

// With SIGHUP ignored as nohup leaves it, an export that prints 400 KB into a
// standard output nobody reads, then a probe that hangs, ignoring SIGTERM,
// hold neither the window nor the end that SIGTERM asks for.
TEST_F(ApplicationProcess, AStalledOutputAndAHungProbeHoldNeitherTheWindowNorTheEnd)
{
    ToolFolder tools;
    tools.addScript("ffprobe", "case $2 in *hung*) trap '' TERM; sleep 300;; esac\n"
                               "echo format,0:00:05.000000");
    tools.addScript("ffmpeg", "head -c 400000 /dev/zero | tr '\\0' x");
    const QString hung = folder.filePath("hung.mp4");
    start(folder.filePath("a.mp4"), folder.filePath("b.mp4"), {},
          {"VELBORN_TEST_TOOLS=" + tools.path(), "VELBORN_TEST_DROP=" + hung}, true);
    // A window held for good never says it again.
    const auto answersAgain = [&] {
        QByteArray said;
        return waitFor(
            [&] { return (said += application.readAllStandardError()).count("answering") >= 3; });
    };
    ASSERT_TRUE(answersAgain());         // started, exported, dropped
    ASSERT_EQ(processesNaming(hung), 1); // its ffprobe, which has up to 10 s
    // Once it is gone QProcess gives 0, and kill(0) would hit this test's group.
    const auto pid = static_cast<pid_t>(application.processId());
    ::kill(pid, SIGHUP);
    ASSERT_TRUE(answersAgain());
    ::kill(pid, SIGTERM);
    EXPECT_TRUE(application.waitForFinished(30'000));
    EXPECT_EQ(std::pair(application.exitStatus(), application.exitCode()),
              std::pair(QProcess::CrashExit, SIGTERM));
    EXPECT_TRUE(waitFor([&] { return processesNaming(hung) == 0; }));
}

// An orderly end that never finishes still ends by the signal, within the
// promised 1.5 s; the bound here leaves room for a loaded machine.
TEST_F(ApplicationProcess, AnEndThatCannotFinishStillEndsByTheSignal)
{
    ToolFolder tools;
    tools.addScript("ffprobe", "sleep 30");
    const QString input = folder.filePath("probed.mp4");
    start(input, folder.filePath("unused.mp4"), {},
          {"VELBORN_TEST_TOOLS=" + tools.path(), "VELBORN_TEST_STUCK_END=1"});
    ASSERT_TRUE(waitFor([&] { return processesNaming(input) == 2; })); // it and its ffprobe
    ::kill(static_cast<pid_t>(application.processId()), SIGTERM);
    EXPECT_TRUE(application.waitForFinished(15'000));
    EXPECT_EQ(std::pair(application.exitStatus(), application.exitCode()),
              std::pair(QProcess::CrashExit, SIGTERM));
}

// A real export, stopped from the keyboard once it shows how far it has got:
// ffmpeg and its unfinished file go. A screen reader can find Stop and press it.
TEST_F(ApplicationFixture, EscapeStopsARealExportAndLeavesNothingBehind)
{
    tools.linkBuildTool("ffprobe");
    tools.linkBuildTool("ffmpeg");
    const QTemporaryDir folder;
    const QString source = folder.filePath("long.mpg");
    ASSERT_TRUE(makeTestClip(source, 30.0, "1280x720"));
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    delegate.fileDropped(source);
    ASSERT_TRUE(durationShown("0:00:30.0"));
    setTimes("0|0|0|0|0|1|0|0");
    saveAs(1, folder.filePath("stopped.mp4"));
    ASSERT_TRUE(waitFor([&] { return delegate.statusLabel()->text().endsWith("%"); }));
    QAccessibleInterface* stop = QAccessible::queryAccessibleInterface(delegate.stopButton());
    EXPECT_EQ(stop->text(QAccessible::Name), "Stop");
    EXPECT_TRUE(stop->actionInterface()->actionNames().contains("Press"));
    window.activateWindow(); // as the window manager does once the dialog has gone
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_TRUE(waitFor([&] { return delegate.statusLabel()->text() == "Not written: stopped"; }));
    waitForClipJobs();
    EXPECT_EQ(processesNaming("stopped.mp4"), 0);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"long.mpg"});
    EXPECT_EQ(seen().mid(3, 2), (QStringList{"save", "idle"}));
    EXPECT_TRUE(delegate.stopButton()->isHidden());
}
