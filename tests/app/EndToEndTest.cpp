#include "ApplicationFixture.h"
#include "ClipJob.h"
#include "ClipTimeline.h"
#include "CopyChecks.h"
#include "DropView.h"
#include "TimelineHandle.h"

#include <QAccessible>

#include <csignal>

#include <unistd.h>

// The real tools, from a drop to a clip, or to no file when stopped or on a full disk.
TEST_F(ApplicationFixture, ADroppedVideoIsCutOrStoppedOrNotWrittenOnAFullDisk)
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
        waitForClipJobs();
        return seen().mid(2, 3).join(' ');
    };
    EXPECT_EQ(exportTo(tools.filePath("-out, 'ñ' q.mp4")),
              "Written: -out, 'ñ' q.mp4, 0:00:03.0 save idle");
    EXPECT_EQ(probeMediaFacts(tools.filePath("-out, 'ñ' q.mp4")),
              (QStringList{"video", "audio", "3.0"}));
    delegate.removeAudioButton()->setChecked(true);
    EXPECT_EQ(exportTo(tools.filePath("silent.ts")), "Written: silent.ts.mp4, 0:00:03.0 save idle");
    EXPECT_EQ(probeMediaFacts(tools.filePath("silent.ts.mp4")), (QStringList{"video", "3.0"}));

    // Escape stops an export that shows how far it has got: ffmpeg and its file
    // go. A screen reader can find Stop and press it.
    const QString longVideo = tools.filePath("long.mpg");
    ASSERT_TRUE(makeTestClip(longVideo, 30.0, "1280x720"));
    window.show();
    delegate.fileDropped(longVideo);
    ASSERT_TRUE(durationShown("0:00:30.0"));
    setTimes("0|0|0|0|0|1|0|0");
    saveAs(1, tools.filePath("stopped.mp4"));
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
    EXPECT_EQ(QDir(tools.path()).entryList({"stopped*"}) + unfinishedClips(tools.path()),
              QStringList());

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

// "Keep quality" copies the streams from the key frame the fields show.
TEST_F(ApplicationFixture, KeepQualityCopiesFromTheKeyFrameTheFieldsShow)
{
    tools.linkBuildTool("ffprobe");
    tools.linkBuildTool("ffmpeg");
    const QString source = tools.filePath("reordered.mp4");
    const QString stream = tools.filePath("broadcast.ts");
    ASSERT_TRUE(makeKeyFrameClip(source, 12.0, true));
    ASSERT_TRUE(makeKeyFrameClip(stream, 4.0, false));
    QCheckBox& keepQuality = *delegate.keepQualityButton();
    EXPECT_FALSE(keepQuality.isChecked());

    ASSERT_TRUE(dragAndDropFiles(*window.dropView(), {stream}));
    ASSERT_TRUE(waitFor([&] {
        return keepQuality.toolTip() == "broadcast.ts keeps no index of its key frames, so a clip "
                                        "of it can only be re-encoded";
    }));
    EXPECT_FALSE(keepQuality.isEnabled());

    ASSERT_TRUE(dragAndDropFiles(*window.dropView(), {source}));
    ASSERT_TRUE(durationShown("0:00:12.0"));
    ASSERT_TRUE(waitFor([&] { return keepQuality.isEnabled(); }));
    setTimes("0|0|5|5|0|0|3|0");
    keepQuality.setChecked(true);
    EXPECT_EQ(seen().last(), "0|0|4|0|0|0|4|5");
    EXPECT_TRUE(waitFor([&] {
        return window.dropView()->accessibleDescription() == "Frames at 0:00:04.0 and 0:00:08.12";
    })) << window.dropView()->accessibleDescription().toStdString();
    delegate.startSS()->setText("7");
    emit delegate.startSS()->editingFinished();
    EXPECT_EQ(seen().last(), "0|0|6|0|0|0|5|5");
    TimelineHandle& startHandle = *delegate.clipTimeline()->handle(ClipTimeline::startHandle);
    QTest::keyClick(&startHandle, Qt::Key_Left);
    EXPECT_EQ(seen().last(), "0|0|4|0|0|0|7|5");
    QTest::keyClick(&startHandle, Qt::Key_Right);
    EXPECT_EQ(seen().last(), "0|0|6|0|0|0|5|5");
    saveAs(1, tools.filePath("copy.mp4"));
    EXPECT_TRUE(waitFor([&] {
        return delegate.statusLabel()->text().endsWith(", copied from the key frame at 0:00:06.0");
    })) << delegate.statusLabel()->text().toStdString();
    waitForClipJobs();
    expectCopiedFrom(source, tools.filePath("copy.mp4"), 6.0, 5.5);
}

// ScriptedApplication, its standard output a pipe nobody reads: closed, or
// held open and stalled.
class ApplicationProcess : public testing::Test {
protected:
    void start(const QString& input, const QString& output, const QStringList& environment = {},
               bool stalled = false)
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
        application.start(VELBORN_SCRIPTED_APP, {"-platform", "offscreen", input});
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

// A signal stops ffmpeg and leaves no unfinished clip (SIGKILL leaves the
// private folder, for the next export there to remove); else the clip is whole.
TEST_F(ApplicationProcess, EndsWithTheWholeClipOrNoneAndNoChildLeft)
{
    ASSERT_TRUE(makeTestClip(folder.filePath("long.mpg"), 30.0, "1280x720"));
    for (const int signal : {0, SIGKILL, SIGTERM, SIGINT, SIGHUP}) {
        const QString name = QString("ended by %1.mp4").arg(signal);
        const QString output = folder.filePath(name);
        start(folder.filePath("long.mpg"), output);
        if (signal) {
            ASSERT_TRUE(waitFor([&] {
                const QStringList mine = unfinishedClips(folder.path()).filter(name);
                return !mine.isEmpty() && QFileInfo(folder.filePath(mine[0])).size() > 0;
            }));
            ::kill(static_cast<pid_t>(application.processId()), signal);
        }
        ASSERT_TRUE(application.waitForFinished(120'000));
        EXPECT_EQ(endingSignal(application), signal);
        EXPECT_TRUE(waitFor([&] { return processesNaming(name) == 0; }));
        EXPECT_EQ(probeMediaFacts(output).join(' '), signal == 0 ? "video audio 30.0" : "")
            << signal;
        EXPECT_EQ(std::pair(QFile::exists(output), unfinishedClips(folder.path()).size()),
                  std::pair(signal == 0, qsizetype(signal == SIGKILL)))
            << signal;
    }
}

// Under nohup, 400 KB printed to a stalled pipe and a probe ignoring SIGTERM
// hold neither the window nor the end.
TEST_F(ApplicationProcess, AStalledOutputAndAHungProbeHoldNeitherTheWindowNorTheEnd)
{
    ToolFolder tools;
    tools.addScript("ffprobe", "case $2 in *hung*) trap '' TERM; sleep 300;; esac\n"
                               "echo format,0:00:05.000000");
    tools.addScript("ffmpeg", "head -c 400000 /dev/zero | tr '\\0' x");
    const QString hung = folder.filePath("hung.mp4");
    start(folder.filePath("a.mp4"), folder.filePath("b.mp4"),
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
    EXPECT_EQ(endingSignal(application), SIGTERM);
    EXPECT_TRUE(waitFor([&] { return processesNaming(hung) == 0; }));
}

// Within 1.5 s; the bound here leaves room for a loaded machine.
TEST_F(ApplicationProcess, AnEndThatCannotFinishStillEndsByTheSignal)
{
    ToolFolder tools;
    tools.addScript("ffprobe", "sleep 30");
    const QString input = folder.filePath("probed.mp4");
    start(input, folder.filePath("unused.mp4"),
          {"VELBORN_TEST_TOOLS=" + tools.path(), "VELBORN_TEST_STUCK_END=1"});
    ASSERT_TRUE(waitFor([&] { return processesNaming(input) == 2; })); // it and its ffprobe
    ::kill(static_cast<pid_t>(application.processId()), SIGTERM);
    EXPECT_TRUE(application.waitForFinished(15'000));
    EXPECT_EQ(endingSignal(application), SIGTERM);
}
