// The cut from the command line, run as a script runs it.
#include "ApplicationFixture.h"
#include "CopyChecks.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QStandardPaths>

#include <csignal>
#include <map>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QString checksum(const QString& path)
{
    return QCryptographicHash::hash(contentsOf(path), QCryptographicHash::Md5).toHex();
}

// Every entry under `folder`: a file's mode and checksum, or where a link leads.
std::map<QString, QString> everythingIn(const QString& folder)
{
    std::map<QString, QString> found;
    QDirIterator entries(folder,
                         QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
    while (entries.hasNext()) {
        const QString path = entries.next();
        const QFileInfo entry = entries.fileInfo();
        struct stat mode = {};
        ::lstat(QFile::encodeName(path).constData(), &mode);
        found[path.mid(folder.size() + 1)] =
            entry.isSymLink() ? "-> " + entry.symLinkTarget()
            : entry.isDir()   ? QStringLiteral("folder")
            : entry.isFile()  ? QString::number(mode.st_mode & 07777, 8) + ' ' + checksum(path)
                              : QStringLiteral("other");
    }
    return found;
}

// Outputs that text and the kernel read differently, beside "video.mp4".
void makeTree(const QDir& root, const QString& video)
{
    for (const char* folder : {"home/dir", "elsewhere/deep", "far/a/b", "data/a/b"})
        ASSERT_TRUE(root.mkpath(folder));
    ASSERT_TRUE(QFile::copy(video, root.filePath("home/video.mp4")));
    ASSERT_TRUE(QFile::copy(video, root.filePath("home/target.mp4")));
    ASSERT_TRUE(writeContents(root.filePath("home/kept.mp4"), "a clip of mine"));
    ASSERT_TRUE(writeContents(root.filePath("data/a/target.mp4"), "their target"));
    ::chmod(QFile::encodeName(root.filePath("home/kept.mp4")).constData(), 06750);
    // clang-format off
    const std::pair<QString, QString> links[] = {
        {"home/link", root.filePath("elsewhere/deep")}, {"elsewhere/deep/up", "../../far/a/b"},
        {"home/linkdir", "../data/a/b"}, {"data/a/b/out.mp4", "../target.mp4"},
        {"home/dangling.mp4", "nowhere.mp4"}, {"home/loop.mp4", "loop2.mp4"},
        {"home/loop2.mp4", "loop.mp4"}, {"home/tovideo.mp4", "video.mp4"}};
    // clang-format on
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

// The clip lands where the kernel resolves the name, only over a regular file.
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
        {{"--output", "frame%d.jpg", "video.mp4"}, 2, usage("\"frame%d.jpg\" does not end in one of " + suffixes), ""},
        {{"--output", "shot%03d.mkv", "video.mp4"}, 2, usage("\"shot%03d.mkv\": a %, then a digit or d, would number a series of files."), ""}};
    // clang-format on
    for (const auto& [arguments, exitCode, verdict, clipAt] : cases) {
        const QTemporaryDir folder;
        const QDir root(folder.path());
        makeTree(root, video);
        std::map<QString, QString> expected = everythingIn(root.path());
        const Outcome made =
            runToEnd(VELBORN_APP, QStringList{"--start", "0.5", "--length", "1"} + arguments,
                     root.filePath("home"));
        EXPECT_EQ(std::pair(made.exitCode, made.verdict()), std::pair(exitCode, verdict));
        std::map<QString, QString> found = everythingIn(root.path());
        if (!clipAt.isEmpty()) {
            EXPECT_EQ(probeMediaFacts(root.filePath(clipAt)), written) << clipAt.toStdString();
            // A replaced file's permission bits but not its set-id ones; else 0666 less umask.
            const QString mode = expected.count(clipAt) ? expected[clipAt].split(' ')[0].right(3)
                                                        : QString::number(newFileMode(), 8);
            EXPECT_TRUE(found[clipAt].startsWith(mode + ' ')) << clipAt.toStdString();
            expected[clipAt] = found[clipAt];
        }
        EXPECT_EQ(found, expected) << verdict.toStdString();
    }
}

// Another user swapping the private folder for links and folders of theirs
// (in a 0777 folder, not sticky) neither steers the clip nor touches ours.
TEST(CutCommand, AnotherUserCannotSteerTheClip)
{
    const QString setpriv = QStandardPaths::findExecutable("setpriv");
    if (::geteuid() != 0 || setpriv.isEmpty())
        GTEST_SKIP() << "needs root and setpriv to act as a second user";
    const QTemporaryDir folder;
    const QDir root(folder.path());
    ASSERT_TRUE(root.mkdir("shared") && root.mkdir("ours"));
    for (const auto& [name, mode] : {std::pair(".", 0755), {"shared", 0777}, {"ours", 0700}})
        ::chmod(QFile::encodeName(root.filePath(name)).constData(), mode_t(mode));
    ASSERT_TRUE(writeContents(root.filePath("ours/clip.mp4"), "a clip of mine"));
    ASSERT_TRUE(makeTestClip(root.filePath("long.mpg"), 4.0, "640x360"));
    const std::map<QString, QString> ours = everythingIn(root.filePath("ours"));
    const QString swapper = R"sh(cd "$0" || exit 1; i=0
while [ $i -lt 200000 ] && [ ! -e stop ]; do i=$((i+1))
  for d in .velborn-unfinished-??????; do
    [ -d "$d" ] && [ ! -L "$d" ] && [ ! -O "$d" ] || continue
    mv "$d" "$d-moved-$i" 2>/dev/null || continue
    if [ $((i % 2)) = 0 ]; then ln -s "$1" "$d"; else mkdir "$d"; fi
  done
done)sh";
    for (const QString name : {"clip 0.mp4", "clip 1.mp4", "clip 2.mp4"}) {
        QProcess other;
        other.start(setpriv, {"--reuid=65534", "--regid=65534", "--clear-groups", "/bin/sh", "-c",
                              swapper, root.filePath("shared"), root.filePath("ours")});
        ASSERT_TRUE(other.waitForStarted());
        const Outcome made =
            runToEnd(VELBORN_APP,
                     {"--start", "0", "--length", "3", "--output", "shared/" + name, "long.mpg"},
                     root.path());
        writeContents(root.filePath("shared/stop"), "");
        EXPECT_TRUE(other.waitForFinished(60'000));
        QFile::remove(root.filePath("shared/stop"));
        EXPECT_EQ(made.verdict(), "Written: " + name + ", 0:00:03.0");
        EXPECT_EQ(probeMediaFacts(root.filePath("shared/" + name)),
                  (QStringList{"video", "audio", "3.0"}));
        EXPECT_EQ(everythingIn(root.filePath("ours")), ours);
    }
    EXPECT_FALSE(QDir(root.filePath("shared"))
                     .entryList({"*-moved-*"}, QDir::Dirs | QDir::Hidden)
                     .isEmpty());
}

TEST(CutCommand, CutsAsTheWindowWouldAndReplacesNothingUnasked)
{
    const QTemporaryDir folder;
    const QString in = folder.filePath("in.mp4");
    const QString keyed = folder.filePath("keyed.mp4"); // a key frame every 2 s
    ASSERT_TRUE(makeTestClip(in, 10.0) && makeKeyFrameClip(keyed, 10.0, true));
    ASSERT_TRUE(writeContents(folder.filePath("kept.mp4"), "a clip of mine"));
    // ffmpeg's own words in a name and a title; no sound; no index of key frames.
    QFile::copy(in, folder.filePath("Error closing file.mp4"));
    for (const QStringList& making :
         {QStringList{"-metadata", "title=av_interleaved_write_frame(): fine", "titled.mp4"},
          {"-an", "silent film.mp4"},
          {"in.ts"}}) {
        ASSERT_EQ(runToEnd(VELBORN_BUILD_RESOURCE_DIR "/ffmpeg",
                           QStringList{"-v", "error", "-i", in, "-c", "copy"} + making,
                           folder.path())
                      .exitCode,
                  0);
    }
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
        {{"--copy", "--output", "copied.mp4", "keyed.mp4"}, 0, "Written: copied.mp4, 0:00:03.14, copied from the key frame at 0:00:02.0", {"video", "audio", "3.6"}},
        {{"--copy", "--output", "ts.mp4", "in.ts"}, 1, "Not written: in.ts keeps no index of its key frames, so it can only be re-encoded; leave out --copy to re-encode", {}},
        {{"--start", "9999:59:59.999999", "--output", "longest.mp4", "in.mp4"}, 1, past, {}},
        {{"--start", "9999:59:60", "--output", "x.mp4", "in.mp4"}, 2, "velborn-trimlet: --start: \"9999:59:60\" is past the longest time ffmpeg takes", {}},
        {{"--output", "x.mp4", "in.mp4", "--length", "soon"}, 2,
         "velborn-trimlet: --length: \"soon\" is not a time; write it as [[H:]M:]S[.F]. Try --help.", {}},
        {{"--output", "x.mp4"}, 2, "velborn-trimlet: A cut needs --start, --length, --output and one video. Try --help.", {}}};
    // clang-format on
    for (const auto& [arguments, exitCode, verdict, facts] : cases) {
        const Outcome made =
            runToEnd(VELBORN_APP, QStringList{"--start", "0:2.5", "--length", "3"} + arguments,
                     folder.path());
        EXPECT_EQ(std::pair(made.exitCode, made.verdict()), std::pair(exitCode, verdict));
        const QString output = folder.filePath(arguments.at(arguments.indexOf("--output") + 1));
        EXPECT_EQ(probeMediaFacts(QFileInfo(output).suffix().isEmpty() ? output + ".mp4" : output),
                  facts)
            << verdict.toStdString();
        if (exitCode == 1 && arguments.contains("kept.mp4")) {
            EXPECT_EQ(contentsOf(folder.filePath("kept.mp4")), "a clip of mine");
        }
    }
    EXPECT_EQ(unfinishedClips(folder.path()), QStringList());
    expectCopiedFrom(keyed, folder.filePath("copied.mp4"), 2.0, 3.5);

    // A name, or a working folder's, that is not UTF-8 is refused.
    for (const char* script :
         {R"sh(exec "$0" --start 0 --length 1 --output "$(printf 'caf\351')" in.mp4)sh",
          R"sh(mkdir "$(printf 'caf\351')" && cd "$(printf 'caf\351')" &&
               exec "$0" --start 0 --length 1 --output x.mp4 /dev/null)sh"}) {
        const std::map<QString, QString> unchanged = everythingIn(folder.path());
        const Outcome made = runToEnd("/bin/sh", {"-c", script, VELBORN_APP}, folder.path());
        EXPECT_EQ(made.exitCode, 2) << made.errors.toStdString();
        std::map<QString, QString> after = everythingIn(folder.path());
        after.erase(QString::fromUtf8("caf\xef\xbf\xbd")); // the working folder the script made
        EXPECT_EQ(after, unchanged) << script;
    }
    ::rmdir((QFile::encodeName(folder.path()) + "/caf\351").constData()); // QDir cannot name it
}

// Ended by a signal mid-cut: no ffmpeg left behind, and no file.
TEST(CutCommand, ASignalStopsTheCutAndLeavesNothing)
{
    const QTemporaryDir folder;
    ASSERT_TRUE(makeTestClip(folder.filePath("long.mpg"), 30.0, "1280x720"));
    QProcess application;
    startInFolder(application, VELBORN_APP,
                  {"--start", "0", "--length", "30", "--output", "cut", "long.mpg"}, folder.path());
    ASSERT_TRUE(waitFor([&] { return !unfinishedClips(folder.path()).isEmpty(); }));
    ::kill(static_cast<pid_t>(application.processId()), SIGTERM);
    ASSERT_TRUE(application.waitForFinished(5000));
    EXPECT_EQ(endingSignal(application), SIGTERM);
    EXPECT_TRUE(waitFor([&] { return processesNaming(folder.filePath(".cut.mp4")) == 0; }));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"long.mpg"});
}

// The application in a prefix whose tools wrap the real ones. With standard
// output closed, ffmpeg's "ffmpeg!" goes to the null device, not into a
// descriptor made later. A signal during the look at the clip keeps it.
TEST(CutCommand, StandInToolsSeeAClosedOutputAndASignalDuringTheCheck)
{
    const QTemporaryDir folder;
    const QString application = folder.filePath("bin/velborn-trimlet");
    const auto tool = [&](const QString& name) {
        return folder.filePath("libexec/velborn-trimlet/" + name);
    };
    ASSERT_TRUE(QDir(folder.path()).mkpath("bin") && QDir(folder.path()).mkpath(tool("")));
    ASSERT_TRUE(QFile::copy(VELBORN_APP, application));
    for (const QString name : {"ffmpeg", "ffprobe"})
        QFile::link(VELBORN_BUILD_RESOURCE_DIR "/" + name, tool(name) + ".real");
    for (const auto& [name, script] :
         {std::pair("ffmpeg", "for out; do :; done; readlink /proc/$PPID/fd/1 > \"$0.out\"\n"
                              "printf 'ffmpeg!'; exec \"$0.real\" -v quiet -y -f lavfi "
                              "-i testsrc=duration=1:size=160x120 \"$out\""),
          {"ffprobe",
           "case \"$*\" in *-count_packets*) [ -e \"$0.hold\" ] &&\n"
           "  { touch \"$0.held\"; exec sleep 300; };; esac\nexec \"$0.real\" \"$@\""}}) {
        ASSERT_TRUE(writeContents(tool(name), QByteArray("#!/bin/sh\n") + script + "\n"));
        QFile(tool(name)).setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    }
    const auto cutTo = [&](const QString& output) {
        return QStringList{"--start", "0", "--length", "1", "--output", output, "in.mp4"};
    };

    const Outcome closed = runToEnd(
        "/bin/sh", QStringList{"-c", R"(exec "$0" "$@" >&-)", application} + cutTo("closed.mp4"),
        folder.path());
    EXPECT_EQ(std::pair(closed.exitCode, closed.verdict()),
              std::pair(0, QString("Written: closed.mp4, 0:00:01.0")));
    EXPECT_EQ(contentsOf(tool("ffmpeg.out")), "/dev/null\n");

    ASSERT_TRUE(writeContents(tool("ffprobe.hold"), ""));
    QProcess held;
    startInFolder(held, application, cutTo("kept.mp4"), folder.path());
    ASSERT_TRUE(waitFor([&] { return QFile::exists(tool("ffprobe.held")); }));
    ::kill(static_cast<pid_t>(held.processId()), SIGTERM);
    ASSERT_TRUE(held.waitForFinished(30'000));
    EXPECT_EQ(endingSignal(held), SIGTERM);
    EXPECT_EQ(QString(held.readAllStandardError()).trimmed().section('\n', -1),
              "Written: kept.mp4 (not checked: stopped)");
    EXPECT_EQ(probeMediaFacts(folder.filePath("kept.mp4")), (QStringList{"video", "1.0"}));
    EXPECT_EQ(unfinishedClips(folder.path()), QStringList());
}
