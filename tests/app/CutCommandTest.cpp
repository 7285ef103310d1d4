// The cut from the command line, run as a script runs it: a process of its
// own, with no display and no window system.
#include "CutCommand.h"
#include "ApplicationFixture.h"
#include "ClipJob.h"

#include <QDirIterator>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <csignal>
#include <map>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QProcessEnvironment withoutDisplay()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(name);
    return environment;
}

struct Cut {
    int exitCode = -1;
    QString errors; // standard error
};

Cut cut(const QStringList& arguments, const QString& folder)
{
    QProcess application;
    application.setProcessEnvironment(withoutDisplay());
    application.setWorkingDirectory(folder);
    application.start(VELBORN_APP, arguments);
    application.waitForFinished(60'000);
    return {application.exitStatus() == QProcess::NormalExit ? application.exitCode() : -1,
            QString::fromUtf8(application.readAllStandardError())};
}

// Every entry under `folder` by its path there: a file's bytes and mode, where
// a link leads, or what else it is. Links are not followed.
std::map<QString, QByteArray> everythingIn(const QString& folder)
{
    std::map<QString, QByteArray> found;
    QDirIterator entries(folder,
                         QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
    while (entries.hasNext()) {
        const QString path = entries.next();
        const QFileInfo entry = entries.fileInfo();
        struct stat mode = {};
        ::lstat(QFile::encodeName(path).constData(), &mode);
        found[path.mid(folder.size() + 1)] =
            entry.isSymLink() ? "-> " + QFile::encodeName(entry.symLinkTarget())
            : entry.isDir()   ? QByteArray("folder")
            : entry.isFile()  ? QByteArray::number(mode.st_mode & 07777, 8) + ' ' + contentsOf(path)
                              : QByteArray("other");
    }
    return found;
}

// Chosen outputs that text and the kernel read differently, beside the video
// "video.mp4" and a copy of it, "target.mp4", in the working folder "home".
void makeTree(const QDir& root, const QString& video)
{
    for (const char* folder : {"home/dir", "elsewhere/deep", "far/a/b", "data/a/b"})
        ASSERT_TRUE(root.mkpath(folder));
    ASSERT_TRUE(QFile::copy(video, root.filePath("home/video.mp4")));
    ASSERT_TRUE(QFile::copy(video, root.filePath("home/target.mp4")));
    ASSERT_TRUE(writeContents(root.filePath("home/kept.mp4"), "a clip of mine"));
    ASSERT_TRUE(writeContents(root.filePath("data/a/target.mp4"), "their target"));
    ::chmod(QFile::encodeName(root.filePath("home/kept.mp4")).constData(), 06750);
    const std::pair<QString, QString> links[] = {{"home/link", root.filePath("elsewhere/deep")},
                                                 {"elsewhere/deep/up", "../../far/a/b"},
                                                 {"home/linkdir", "../data/a/b"},
                                                 {"data/a/b/out.mp4", "../target.mp4"},
                                                 {"home/dangling.mp4", "nowhere.mp4"},
                                                 {"home/loop.mp4", "loop2.mp4"},
                                                 {"home/loop2.mp4", "loop.mp4"},
                                                 {"home/tovideo.mp4", "video.mp4"}};
    for (const auto& [link, target] : links)
        ASSERT_EQ(::symlink(QFile::encodeName(target), QFile::encodeName(root.filePath(link))), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(root.filePath("home/fifo.mp4")).constData(), 0600), 0);
}

// 0666 less the umask, as the kernel makes a new file.
mode_t newFileMode()
{
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return 0666 & ~mask;
}

QString usage(const QString& why)
{
    return "velborn-trimlet: --output: " + why + " Try --help.";
}

} // namespace

// The kernel alone says where the clip goes: wherever the text would lead, the
// clip lands where the file system resolves the name, only over a regular
// file, and a name that is not a clip's is a mistake on the command line.
TEST(CutCommand, TheFileSystemAloneSaysWhereTheClipGoes)
{
    const QTemporaryDir source;
    const QString video = source.filePath("video.mp4");
    ASSERT_TRUE(makeTestClip(video, 2.0));
    const QString suffixes = ".mp4 .m4v .mov .mkv .webm .ts .m2ts .avi .flv .3gp.";
    const QStringList written{"video", "audio", "1.0"};
    // The arguments after the times; the exit code; the verdict; where the clip is.
    // clang-format off
    const std::tuple<QStringList, int, QString, QString> cases[] = {
        {{"--output", "link/../video.mp4", "video.mp4"}, 0, "Written: video.mp4, 0:00:01.0", "elsewhere/video.mp4"},
        {{"--output", "link/up/../../video.mp4", "video.mp4"}, 0, "Written: video.mp4, 0:00:01.0", "far/video.mp4"},
        {{"--overwrite", "--output", "linkdir/out.mp4", "target.mp4"}, 0, "Written: out.mp4, 0:00:01.0", "data/a/target.mp4"},
        {{"--overwrite", "--output", "kept.mp4", "video.mp4"}, 0, "Written: kept.mp4, 0:00:01.0", "home/kept.mp4"},
        {{"--overwrite", "--output", "dangling.mp4", "video.mp4"}, 1, "Not written: dangling.mp4 is a link to a missing file", ""},
        {{"--overwrite", "--output", "loop.mp4", "video.mp4"}, 1, "Not written: loop.mp4 is a loop of links", ""},
        {{"--overwrite", "--output", "fifo.mp4", "video.mp4"}, 1, "Not written: fifo.mp4 is not a regular file", ""},
        {{"--overwrite", "--output", "tovideo.mp4", "video.mp4"}, 1, "Not written: tovideo.mp4 is the video being cut; choose another name", ""},
        {{"--overwrite", "--output", "", "video.mp4"}, 2, usage("\"\" names no file; give one, such as clip.mp4."), ""},
        {{"--output", ".", "video.mp4"}, 2, usage("\".\" names no file; give one, such as clip.mp4."), ""},
        {{"--output", "..", "video.mp4"}, 2, usage("\"..\" names no file; give one, such as clip.mp4."), ""},
        {{"--output", "dir/", "video.mp4"}, 2, usage("\"dir/\" names no file; give one, such as clip.mp4."), ""},
        {{"--output", ".mp4", "video.mp4"}, 2, usage("\".mp4\" is a suffix alone; give the clip a name."), ""},
        {{"--output", "new.mpd", "video.mp4"}, 2, usage("\"new.mpd\" does not end in one of " + suffixes), ""},
        {{"--output", "list.m3u8", "video.mp4"}, 2, usage("\"list.m3u8\" does not end in one of " + suffixes), ""},
        {{"--output", "frame%d.jpg", "video.mp4"}, 2, usage("\"frame%d.jpg\" does not end in one of " + suffixes), ""},
        {{"--output", "shot%03d.mkv", "video.mp4"}, 2, usage("\"shot%03d.mkv\": a %, then a digit or d, would number a series of files."), ""}};
    // clang-format on
    for (const auto& [arguments, exitCode, verdict, clipAt] : cases) {
        const QTemporaryDir folder;
        const QDir root(folder.path());
        makeTree(root, video);
        std::map<QString, QByteArray> expected = everythingIn(root.path());
        const Cut made =
            cut(QStringList{"--start", "0.5", "--length", "1"} + arguments, root.filePath("home"));
        EXPECT_EQ(made.exitCode, exitCode) << verdict.toStdString();
        EXPECT_EQ(made.errors.trimmed().section('\n', -1), verdict);
        std::map<QString, QByteArray> found = everythingIn(root.path());
        if (!clipAt.isEmpty()) {
            EXPECT_EQ(probeMediaFacts(root.filePath(clipAt)), written) << clipAt.toStdString();
            // A replaced file lends its permission bits, never its set-id ones;
            // a new clip gets what any new file gets.
            const QByteArray mode = expected.count(clipAt) ? expected[clipAt].split(' ')[0].right(3)
                                                           : QByteArray::number(newFileMode(), 8);
            EXPECT_TRUE(found[clipAt].startsWith(mode + ' ')) << clipAt.toStdString();
            expected[clipAt] = found[clipAt];
        }
        EXPECT_EQ(found, expected) << verdict.toStdString();
    }
}

// Another user who may write in the folder (0777, not sticky) swaps the
// private folder's name for links and folders of theirs while clips are
// written: each clip still takes its name, and our file in a folder only we
// can enter is untouched.
TEST(CutCommand, AnotherUserCannotSteerTheClip)
{
    const QString setpriv = QStandardPaths::findExecutable("setpriv");
    if (::geteuid() != 0 || setpriv.isEmpty())
        GTEST_SKIP() << "needs root and setpriv to act as a second user";
    const QTemporaryDir folder;
    const QDir root(folder.path());
    ASSERT_TRUE(root.mkdir("shared") && root.mkdir("ours"));
    ::chmod(QFile::encodeName(root.path()).constData(), 0755);
    ::chmod(QFile::encodeName(root.filePath("shared")).constData(), 0777);
    ::chmod(QFile::encodeName(root.filePath("ours")).constData(), 0700);
    ASSERT_TRUE(writeContents(root.filePath("ours/clip.mp4"), "a clip of mine"));
    ASSERT_TRUE(makeTestClip(root.filePath("long.mpg"), 4.0, "640x360"));
    // Each private folder it sees is moved aside, and a link to our folder or
    // a folder of its own takes its name; it stops at "stop" or after a bound.
    const QString swapper = R"sh(cd "$0" || exit 1; i=0
while [ $i -lt 200000 ] && [ ! -e stop ]; do i=$((i+1))
  for d in .velborn-unfinished-??????; do
    [ -d "$d" ] && [ ! -L "$d" ] && [ -O "$d" ] && continue
    [ -d "$d" ] && [ ! -L "$d" ] || continue
    mv "$d" "$d-moved-$i" 2>/dev/null || continue
    if [ $((i % 2)) = 0 ]; then ln -s "$1" "$d"; else mkdir "$d"; fi
  done
done)sh";
    for (int round = 0; round < 3; ++round) {
        QProcess other;
        other.start(setpriv, {"--reuid=65534", "--regid=65534", "--clear-groups", "/bin/sh", "-c",
                              swapper, root.filePath("shared"), root.filePath("ours")});
        ASSERT_TRUE(other.waitForStarted());
        const QString name = QString("clip %1.mp4").arg(round);
        const Cut made =
            cut({"--start", "0", "--length", "3", "--output", "shared/" + name, "long.mpg"},
                root.path());
        writeContents(root.filePath("shared/stop"), "");
        EXPECT_TRUE(other.waitForFinished(60'000));
        QFile::remove(root.filePath("shared/stop"));
        EXPECT_EQ(made.errors.trimmed().section('\n', -1), "Written: " + name + ", 0:00:03.0");
        EXPECT_EQ(probeMediaFacts(root.filePath("shared/" + name)),
                  (QStringList{"video", "audio", "3.0"}));
        EXPECT_EQ(QDir(root.filePath("ours"))
                      .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList{"clip.mp4"});
        EXPECT_EQ(contentsOf(root.filePath("ours/clip.mp4")), "a clip of mine");
    }
    // It did act, on at least one round's private folder.
    EXPECT_GE(
        QDir(root.filePath("shared")).entryList({"*-moved-*"}, QDir::Dirs | QDir::Hidden).size(),
        1);
}

TEST(CutCommand, CutsAsTheWindowWouldAndReplacesNothingUnasked)
{
    const QTemporaryDir folder;
    ASSERT_TRUE(makeTestClip(folder.filePath("in.mp4"), 10.0));
    ASSERT_TRUE(writeContents(folder.filePath("kept.mp4"), "a clip of mine"));
    // Names and titles holding ffmpeg's own words, and a video with no sound.
    QFile::copy(folder.filePath("in.mp4"), folder.filePath("Error closing file.mp4"));
    const QString ffmpeg = VELBORN_BUILD_RESOURCE_DIR "/ffmpeg";
    const QString in = folder.filePath("in.mp4");
    ASSERT_EQ(QProcess::execute(ffmpeg, {"-v", "error", "-i", in, "-c", "copy", "-metadata",
                                         "title=av_interleaved_write_frame(): fine",
                                         folder.filePath("titled.mp4")}),
              0);
    ASSERT_EQ(QProcess::execute(ffmpeg, {"-v", "error", "-i", in, "-c", "copy", "-an",
                                         folder.filePath("silent film.mp4")}),
              0);
    const QStringList times{"--start", "0:2.5", "--length", "3"};
    const QString past =
        "Not written: nothing was encoded; is the start past the end of the video?";
    // The arguments after the times; the exit code; the verdict; the clip then.
    // clang-format off
    const std::tuple<QStringList, int, QString, QStringList> cases[] = {
        {{"--output", "clip", "in.mp4"}, 0, "Written: clip.mp4, 0:00:03.0", {"video", "audio", "3.0"}},
        // ffprobe tells this container's video stream by more than its kind.
        {{"--remove-audio", "--output", "silent.ts", "in.mp4"}, 0, "Written: silent.ts, 0:00:03.0", {"video", "3.0"}},
        {{"--output", "kept.mp4", "in.mp4"}, 1, "Not written: kept.mp4 exists; give --overwrite to replace it", {}},
        {{"--output", "in.mp4", "--overwrite", "in.mp4"}, 1, "Not written: in.mp4 is the video being cut; choose another name", {"video", "audio", "10.0"}},
        {{"--output", "kept.mp4", "--overwrite", "in.mp4"}, 0, "Written: kept.mp4, 0:00:03.0", {"video", "audio", "3.0"}},
        {{"--start", "99", "--output", "past.mp4", "in.mp4"}, 1, past, {}},
        {{"--output", "named.mp4", "Error closing file.mp4"}, 0, "Written: named.mp4, 0:00:03.0", {"video", "audio", "3.0"}},
        {{"--output", "title.mp4", "titled.mp4"}, 0, "Written: title.mp4, 0:00:03.0", {"video", "audio", "3.0"}},
        {{"--output", "a\nWritten: b\tc.mp4", "in.mp4"}, 0, "Written: a\\nWritten: b\\tc.mp4, 0:00:03.0", {"video", "audio", "3.0"}},
        {{"--start", "10", "--output", "at end.mp4", "in.mp4"}, 1, "Not written: nothing of the video is in the clip; is the start at or past its end?", {}},
        {{"--start", "10", "--output", "no frame.mp4", "silent film.mp4"}, 1, past, {}},
        {{"--start", "9999:59:59.999999", "--output", "longest.mp4", "in.mp4"}, 1, past, {}},
        {{"--start", "9999:59:60", "--output", "x.mp4", "in.mp4"}, 2, "velborn-trimlet: --start: \"9999:59:60\" is past the longest time ffmpeg takes", {}},
        {{"--length", "99999999:0:0", "--output", "x.mp4", "in.mp4"}, 2, "velborn-trimlet: --length: \"99999999:0:0\" is past the longest time ffmpeg takes", {}},
        {{"--start", "0:059:0", "--output", "x.mp4", "in.mp4"}, 2, "velborn-trimlet: --start: \"0:059:0\" is not a time ffmpeg takes", {}},
        {{"--output", "x.mp4", "in.mp4", "--length", "soon"}, 2,
         "velborn-trimlet: --length: \"soon\" is not a time; write it as [[H:]M:]S[.F]. Try --help.", {}},
        {{"--output", "x.mp4"}, 2, "velborn-trimlet: A cut needs --start, --length, --output and one video. Try --help.", {}}};
    // clang-format on
    for (const auto& [arguments, exitCode, verdict, facts] : cases) {
        const Cut made = cut(times + arguments, folder.path());
        EXPECT_EQ(made.exitCode, exitCode) << made.errors.toStdString();
        EXPECT_EQ(made.errors.trimmed().section('\n', -1), verdict);
        const QString output = folder.filePath(arguments.at(arguments.indexOf("--output") + 1));
        EXPECT_EQ(probeMediaFacts(QFileInfo(output).suffix().isEmpty() ? output + ".mp4" : output),
                  facts)
            << verdict.toStdString();
        if (exitCode == 1 && arguments.contains("kept.mp4")) {
            EXPECT_EQ(contentsOf(folder.filePath("kept.mp4")), "a clip of mine");
        }
    }
    EXPECT_EQ(unfinishedClips(folder.path()), QStringList());

    // A name that is not UTF-8 would be read as another name, and so would a
    // relative one from a working folder whose name is not: refused, nothing written.
    const char* const scripts[] = {
        R"sh(exec "$0" --start 0 --length 1 --output "$(printf 'caf\351')" in.mp4)sh",
        R"sh(mkdir "$(printf 'caf\351')" && cd "$(printf 'caf\351')" &&
             exec "$0" --start 0 --length 1 --output x.mp4 /dev/null)sh"};
    for (const char* script : scripts) {
        QProcess shell;
        shell.setProcessEnvironment(withoutDisplay());
        shell.setWorkingDirectory(folder.path());
        const std::map<QString, QByteArray> unchanged = everythingIn(folder.path());
        shell.start("/bin/sh", {"-c", script, VELBORN_APP});
        ASSERT_TRUE(shell.waitForFinished(60'000));
        EXPECT_EQ(shell.exitCode(), 2) << shell.readAllStandardError().toStdString();
        std::map<QString, QByteArray> after = everythingIn(folder.path());
        after.erase(QString::fromUtf8("caf\xef\xbf\xbd")); // the working folder the script made
        EXPECT_EQ(after, unchanged) << script;
    }
}

// The same times give the same command line as the window's fields would.
TEST(CutCommand, NormalisesTimesAsTheWindowDoes)
{
    const CommandLine parsed = parseCommandLine(
        {"velborn-trimlet", "--start", "0:0:75", "--length", "1:90:0.5", "--output", "c", "v.mkv"},
        "/home/me");
    ASSERT_EQ(parsed.action, CommandLine::Action::Cut) << parsed.text.toStdString();
    QLineEdit fields[8];
    for (int i = 0; i < 8; ++i)
        fields[i].setText(QString("0|0|75|0|1|90|0|5").section('|', i, i));
    ClipRequest window;
    window.startTime = timeCodeFromFields({&fields[0], &fields[1], &fields[2], &fields[3]});
    window.duration = timeCodeFromFields({&fields[4], &fields[5], &fields[6], &fields[7]});
    window.inputPath = "/home/me/v.mkv";
    window.outputPath = "/home/me/c.mp4";
    EXPECT_EQ(clipArguments(clipRequestFor(*parsed.cut)), clipArguments(window));
    EXPECT_EQ(window.startTime + ' ' + window.duration, "00:01:15.00 02:30:00.50");
}

// Ended by a signal mid-cut: no ffmpeg left behind, and no file.
TEST(CutCommand, ASignalStopsTheCutAndLeavesNothing)
{
    const QTemporaryDir folder;
    ASSERT_TRUE(makeTestClip(folder.filePath("long.mpg"), 30.0, "1280x720"));
    QProcess application;
    application.setProcessEnvironment(withoutDisplay());
    application.setWorkingDirectory(folder.path());
    application.start(VELBORN_APP,
                      {"--start", "0", "--length", "30", "--output", "cut", "long.mpg"});
    ASSERT_TRUE(waitFor([&] { return !unfinishedClips(folder.path()).isEmpty(); }));
    ::kill(static_cast<pid_t>(application.processId()), SIGTERM);
    ASSERT_TRUE(application.waitForFinished(5000));
    EXPECT_EQ(std::pair(application.exitStatus(), application.exitCode()),
              std::pair(QProcess::CrashExit, SIGTERM));
    EXPECT_TRUE(waitFor([&] { return processesNaming(folder.filePath(".cut.mp4")) == 0; }));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"long.mpg"});
}

// The application copied into a prefix of its own, whose tools are stand-ins
// that run the real ones: ffmpeg notes where the application's standard output
// leads, says "ffmpeg!" and writes a second of video; ffprobe, once
// "ffprobe.hold" exists, holds its look at the written clip until it is killed.
class StandInTools : public testing::Test {
protected:
    void SetUp() override
    {
        const QDir prefix(folder.path());
        ASSERT_TRUE(prefix.mkpath("bin") && prefix.mkpath("libexec/velborn-trimlet"));
        ASSERT_TRUE(QFile::copy(VELBORN_APP, application));
        for (const QString name : {"ffmpeg", "ffprobe"})
            QFile::link(VELBORN_BUILD_RESOURCE_DIR "/" + name, tool(name) + ".real");
        addScript("ffmpeg", "for out; do :; done; readlink /proc/$PPID/fd/1 > \"$0.out\"\n"
                            "printf 'ffmpeg!'; exec \"$0.real\" -v quiet -y -f lavfi "
                            "-i testsrc=duration=1:size=160x120 \"$out\"");
        addScript("ffprobe", "case \"$*\" in *-count_packets*) [ -e \"$0.hold\" ] &&\n"
                             "  { touch \"$0.held\"; exec sleep 300; };; esac\n"
                             "exec \"$0.real\" \"$@\"");
    }
    QString tool(const QString& name) const
    {
        return folder.filePath("libexec/velborn-trimlet/" + name);
    }
    void addScript(const QString& name, const QString& body)
    {
        ASSERT_TRUE(writeContents(tool(name), "#!/bin/sh\n" + body.toUtf8() + "\n"));
        QFile(tool(name)).setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    }
    QStringList cutTo(const QString& output) const
    {
        return {"--start", "0", "--length", "1", "--output", folder.filePath(output), "in.mp4"};
    }

    const QTemporaryDir folder;
    const QString application = folder.filePath("bin/velborn-trimlet");
};

// Started with standard output closed, the application writes its lines to
// the null device rather than into whatever descriptor it makes next: eight
// bytes of ffmpeg's output into the "tools stopped" counter would stop the look.
TEST_F(StandInTools, AClosedStandardOutputTakesNothingMeantForIt)
{
    QProcess shell;
    shell.setProcessEnvironment(withoutDisplay());
    shell.setWorkingDirectory(folder.path());
    shell.start("/bin/sh",
                QStringList{"-c", R"(exec "$0" "$@" >&-)", application} + cutTo("closed.mp4"));
    ASSERT_TRUE(shell.waitForFinished(60'000));
    EXPECT_EQ(shell.exitCode(), 0);
    EXPECT_EQ(QString(shell.readAllStandardError()).trimmed().section('\n', -1),
              "Written: closed.mp4, 0:00:01.0");
    EXPECT_EQ(contentsOf(tool("ffmpeg.out")), "/dev/null\n");
}

// A signal while the finished clip is looked at keeps it, and says so before
// the signal ends the process.
TEST_F(StandInTools, ASignalDuringTheCheckKeepsTheClipAndSaysSo)
{
    ASSERT_TRUE(writeContents(tool("ffprobe.hold"), ""));
    QProcess cut;
    cut.setProcessEnvironment(withoutDisplay());
    cut.setWorkingDirectory(folder.path());
    cut.start(application, cutTo("kept.mp4"));
    ASSERT_TRUE(waitFor([&] { return QFile::exists(tool("ffprobe.held")); }));
    ::kill(static_cast<pid_t>(cut.processId()), SIGTERM);
    ASSERT_TRUE(cut.waitForFinished(30'000));
    EXPECT_EQ(std::pair(cut.exitStatus(), cut.exitCode()), std::pair(QProcess::CrashExit, SIGTERM));
    EXPECT_EQ(QString(cut.readAllStandardError()).trimmed().section('\n', -1),
              "Written: kept.mp4 (not checked: stopped)");
    EXPECT_EQ(probeMediaFacts(folder.filePath("kept.mp4")), (QStringList{"video", "1.0"}));
    EXPECT_EQ(unfinishedClips(folder.path()), QStringList());
}
