#include "Application.h"
#include "ApplicationFixture.h"
#include "ClipJob.h"
#include "CommandLine.h"
#include "DropView.h"
#include "StandardOutput.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPixmapCache>
#include <QTimer>

using AppTest = ApplicationFixture;

TEST_F(AppTest, ADroppedOrChosenFileIsShownWholeEnablesSaveAndThenShowsItsDuration)
{
    delegate.saveClipButton()->setEnabled(true);
    QTimer::singleShot(0, &window, [&] { window.close(); });
    EXPECT_EQ(runApplication(window, delegate), 0); // launched, shown, ended when closed
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keySequence(delegate.timeSS(), QKeySequence::Save); // with no file, Save does nothing
    EXPECT_EQ(dialog(), nullptr);
    delegate.statusLabel()->setText("stale");
    const QString path = "/home/user/Videos/holiday 2026/<b>day</b> one/5";
    EXPECT_EQ(seen(), (QStringList{"", "", "stale", "-", "idle", "0|0|0|0|0|0|10|0"}));
    ASSERT_TRUE(dragAndDropFiles(*window.dropView(), {path, "/v/6"}));
    EXPECT_EQ(seen(), (QStringList{path, "", "Reading 5…", "save", "idle", "0|0|0|0|0|0|10|0"}));
    EXPECT_TRUE(delegate.droppedFilename() == path &&
                delegate.droppedFileNameLabel()->textFormat() == Qt::PlainText);
    EXPECT_TRUE(durationShown("0:00:05.12"));
    EXPECT_EQ(seen().mid(1, 2), (QStringList{"0:00:05.12", ""}));

    // Screen readers say accessible names: a label's must be its text. Alt and
    // a letter must reach one control.
    QStringList keys;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        const QString name = QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
        const auto* button = qobject_cast<QAbstractButton*>(widget);
        if (const auto* label = qobject_cast<QLabel*>(widget)) {
            EXPECT_EQ(name, QString(label->text()).remove('&'));
            keys << QKeySequence::mnemonic(label->text()).toString();
        } else if (widget->isVisible() && widget->focusPolicy() != Qt::NoFocus) {
            EXPECT_FALSE(name.isEmpty()) << widget->objectName().toStdString();
        }
        keys << QKeySequence::mnemonic(button ? button->text() : "").toString();
    }
    keys.removeAll("");
    EXPECT_EQ(QSet<QString>(keys.begin(), keys.end()).size(), keys.size())
        << keys.join(' ').toStdString();
    EXPECT_TRUE(
        keys.contains(QKeySequence::mnemonic(delegate.saveClipButton()->text()).toString()));

    // Ctrl+O, a click, Enter or Space on the drop area (focused first), or a
    // screen reader pressing it, open a dialog whose file counts as a drop, even
    // mid-export; the first is cancelled.
    QWidget* dropView = window.dropView();
    EXPECT_EQ(QApplication::focusWidget(), dropView);
    enterBusyState(*delegate.clipProgress(), *delegate.saveClipButton());
    const int pixmapCacheLimit = QPixmapCache::cacheLimit();
    const std::function<void()> ways[] = {
        [&] { QTest::keyClick(delegate.timeSS(), Qt::Key_O, Qt::ControlModifier); },
        [&] { QTest::mouseClick(dropView, Qt::LeftButton); },
        [&] { QTest::keyClick(dropView, Qt::Key_Return); },
        [&] { QTest::keyClick(dropView, Qt::Key_Space); },
        [&] {
            QAccessible::queryAccessibleInterface(dropView)->actionInterface()->doAction("Press");
        }};
    for (int way = 0; way < 5; ++way) {
        ways[way]();
        ASSERT_NE(dialog(), nullptr) << way;
        EXPECT_EQ(QPixmapCache::cacheLimit(), 0); // its icons are its own: none are cached
        EXPECT_EQ(dialog()->windowTitle() + dialog()->nameFilters().value(1),
                  "Open a videoAll files (*)");
        EXPECT_TRUE(dialog()->nameFilters().value(0).contains("*.mkv"));
        const QString chosen = way == 0 ? path : tools.filePath(QString::number(way));
        answer(way == 0 ? QDialog::Rejected : QDialog::Accepted, chosen);
        EXPECT_TRUE(durationShown(QString("0:00:0%1.12").arg(way == 0 ? 5 : way)));
        EXPECT_EQ(seen().mid(0, 5), (QStringList{chosen, delegate.durationTextField()->text(), "",
                                                 way ? "save" : "-", "busy"}));
        // Answered or cancelled, the dialog goes, and with it the pause of the cache.
        EXPECT_TRUE(waitFor([&] {
            return window.findChildren<QFileDialog*>().isEmpty() &&
                   QPixmapCache::cacheLimit() == pixmapCacheLimit;
        }));
    }

    // Failing, garbled, or too slow to answer within its limit: no more. The
    // window answers throughout, and the field belongs to the last file asked.
    const QString pid = tools.filePath("pid");
    const std::pair<QString, QStringList> probes[] = {
        {"exit 1", {"/v/4"}},
        {"printf 'format,0:00:01.\\377'", {"/v/4"}},
        {"echo $$ > " + pid + "; exec sleep 300", {"/v/4"}},
        {"sleep 0.5; echo format,0:00:0${2##*/}.500000", {"/v/1", "/v/2"}}};
    for (const auto& [ffprobe, paths] : probes) {
        tools.addScript("ffprobe", ffprobe);
        delegate.durationTextField()->setText("stale");
        QStringList shown;
        const QMetaObject::Connection watch = QObject::connect(
            delegate.durationTextField(), &QLineEdit::textChanged, [&](auto& t) { shown << t; });
        flushStandardOutput(std::chrono::seconds(1));
        testing::internal::CaptureStdout();
        for (const QString& dropped : paths)
            delegate.fileDropped(dropped);
        EXPECT_EQ(seen().mid(1, 2), (QStringList{"", "Reading " + paths.last().mid(3) + "…"}));
        // The window takes a click while the probe is still out.
        bool answered = false;
        QTimer::singleShot(0, &window, [&] {
            QTest::mouseClick(delegate.removeAudioButton(), Qt::LeftButton);
            answered = delegate.statusLabel()->text().startsWith("Reading") &&
                       delegate.removeAudioButton()->isChecked();
            delegate.removeAudioButton()->setChecked(false);
        });
        EXPECT_TRUE(waitFor([&] { return !delegate.statusLabel()->text().startsWith("Reading"); }));
        EXPECT_TRUE(answered || !ffprobe.contains("sleep")) << ffprobe.toStdString();
        flushStandardOutput(std::chrono::seconds(1));
        const bool found = paths.size() == 2;
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  found ? "0:00:01.12\n0:00:02.12\n" : "\n");
        // Never file 1's duration.
        EXPECT_EQ(shown + QStringList{delegate.statusLabel()->text()},
                  found ? (QStringList{"", "0:00:02.12", ""})
                        : (QStringList{"", "No duration: ffprobe could not read 4"}));
        QObject::disconnect(watch);
    }
    const QString process = "/proc/" + contentsOf(pid).trimmed();
    EXPECT_TRUE(waitFor([&] { return !QFile::exists(process); })); // reaped, not a zombie
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keySequence(delegate.timeSS(), QKeySequence::Save);
    ASSERT_NE(dialog(), nullptr);
    EXPECT_EQ(dialog()->windowTitle(), "Save as MP4 file");
    answer(QDialog::Rejected, "");
}

TEST_F(AppTest, OnlyOkWithAFileRunsFfmpegOnAThreadAndEveryExportEndsWithAVerdict)
{
    delegate.fileDropped("/v/1");
    ASSERT_TRUE(durationShown("0:00:01.12")); // which clears the status line
    setTimes("|1|75|5|0|0|90|");
    const int pixmapCacheLimit = QPixmapCache::cacheLimit();
    EXPECT_GT(pixmapCacheLimit, 0); // no dialog left open
    delegate.saveClipButton()->click();
    ASSERT_NE(dialog(), nullptr);
    EXPECT_EQ(QPixmapCache::cacheLimit(), 0);
    EXPECT_EQ(dialog()->windowTitle() + dialog()->nameFilters().join(""),
              "Save as MP4 fileMP4 (*.mp4)");
    EXPECT_TRUE(dialog()->parentWidget() == &window &&
                dialog()->windowModality() == Qt::WindowModal);
    EXPECT_EQ(seen()[4], "idle"); // until the dialog answers
    answer(QDialog::Rejected, "/x.mp4");
    for (const int response : {2, -1, 1}) {
        saveAs(response, response == 1 ? "" : "/x.mp4"); // OK with no name typed
        EXPECT_EQ(seen().mid(2), (QStringList{"", "save", "idle", "|1|75|5|0|0|90|"})) << response;
    }
    EXPECT_EQ(runningClipJobCount(), 0);
    // Back once the last dialog has gone.
    EXPECT_TRUE(waitFor([&] { return QPixmapCache::cacheLimit() == pixmapCacheLimit; }));

    delegate.droppedFileNameLabel()->setText("/edited/by hand.mkv");
    delegate.removeAudioButton()->setTristate(true);
    const QString arguments = tools.filePath("ffmpeg.args");
    const QString go = tools.filePath("ffmpeg.go");
    // The stand-in ffprobe's answer names no stream.
    const char* const nothing = "Not written: the clip holds no audio or video";
    for (const auto state : {Qt::Unchecked, Qt::Checked, Qt::PartiallyChecked}) {
        delegate.removeAudioButton()->setCheckState(state);
        // The dialog adds ".mp4", to a name with another suffix too.
        const QString typed =
            tools.filePath(QString("wait%1").arg(state)) + (state == Qt::Checked ? ".mov" : "");
        const QString output = typed + ".mp4";
        delegate.saveClipButton()->click();
        ASSERT_NE(dialog(), nullptr);
        dialog()->selectFile(typed);
        static_cast<QDialog*>(dialog())->accept(); // as Save does
        ASSERT_TRUE(waitFor([&] { return QFile::exists(arguments); }));
        EXPECT_EQ(seen().mid(2), (QStringList{"Writing " + output.section('/', -1) + "…", "-",
                                              "busy", "|2|15|5|0|1|30|"}));
        int named = 0;
        for (const QString& task :
             QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            named += contentsOf("/proc/self/task/" + task + "/comm") == "velborn\n";
        EXPECT_EQ(named, 1);
        writeContents(go, "");
        waitForClipJobs();
        EXPECT_EQ(seen().mid(3, 2), (QStringList{"save", "idle"}));
        // ffmpeg writes into a private folder, through this process's hold on it.
        EXPECT_EQ(
            QString(contentsOf(arguments)).replace(QRegularExpression("/fd/[0-9]+/"), "/fd/N/"),
            "-y\n-ss\n00:02:15.50\n-i\n/edited/by hand.mkv\n-t\n00:01:30.00\n-qscale\n0\n" +
                QString(state == Qt::Checked ? "-an\n" : "") +
                QString("/proc/%1/fd/N/").arg(QCoreApplication::applicationPid()) +
                output.section('/', -1) + "\n");
        QFile::remove(arguments);
        QFile::remove(go);
    }

    // Over an existing clip, the dialog asks about the file the clip would replace.
    ASSERT_TRUE(writeContents(tools.filePath("wait2.mov.mp4"), ""));
    delegate.saveClipButton()->click();
    QString asked;
    QTimer::singleShot(0, [&asked] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        asked = box ? box->text() : "nothing";
        if (box)
            box->done(QMessageBox::No);
    });
    dialog()->selectFile(tools.filePath("wait2.mov"));
    static_cast<QDialog*>(dialog())->accept();
    EXPECT_EQ(asked, "wait2.mov.mp4 already exists.\nDo you want to replace it?");
    answer(QDialog::Rejected, "");

    // Two at once: the indicator spins, Stop stays, and the line names the clip
    // still being written beside the other's verdict, until its ffmpeg ends too.
    saveAs(1, tools.filePath("wait long.mp4"));
    ASSERT_TRUE(waitFor([&] { return QFile::exists(arguments); }));
    delegate.saveClipButton()->setEnabled(true); // as a drop would
    saveAs(1, tools.filePath("short.mp4"));
    ASSERT_TRUE(waitFor([&] { return delegate.statusLabel()->text().startsWith("Not"); }));
    EXPECT_EQ(seen().mid(2, 3),
              (QStringList{nothing + QString(" · Writing wait long.mp4…"), "save", "busy"}));
    EXPECT_FALSE(delegate.stopButton()->isHidden());
    saveAs(QDialog::Rejected, ""); // a dialog cancelled meanwhile leaves the indicator spinning
    EXPECT_EQ(seen().mid(3, 2), (QStringList{"save", "busy"}));
    writeContents(go, "");
    waitForClipJobs();
    EXPECT_EQ(seen().mid(2, 3), (QStringList{nothing, "save", "idle"}));
    EXPECT_TRUE(delegate.stopButton()->isHidden());

    // A time ffmpeg would refuse, said as the fields show it once normalised;
    // ffmpeg never runs.
    QFile::remove(arguments);
    setTimes("99999999|0|0||0|0|90|");
    saveAs(1, tools.filePath("refused.mp4"));
    EXPECT_TRUE(waitFor([&] { return runningClipJobCount() == 0; }));
    waitForClipJobs();
    EXPECT_EQ(seen().mid(2), (QStringList{"Not written: the start 99999999:00:00 is past the "
                                          "longest time ffmpeg takes",
                                          "save", "idle", "99999999|0|0||0|1|30|"}));
    EXPECT_FALSE(QFile::exists(arguments));
    setTimes("|1|75|5|0|0|90|");

    // ffmpeg, a script writing "$out" (none: missing), over an earlier clip that
    // only a checked clip may replace; what is printed; the status line after
    // the real ffprobe's look, which "ffprobe.off" makes crash.
    tools.addScript("ffprobe", "[ -e \"$0.off\" ] && kill -KILL $$; exec \"$0.real\" \"$@\"");
    QFile::link(VELBORN_BUILD_RESOURCE_DIR "/ffprobe", tools.filePath("ffprobe.real"));
    QFile::link(VELBORN_BUILD_RESOURCE_DIR "/ffmpeg", tools.filePath("ffmpeg.real"));
    const QString output = tools.filePath("clip.mp4");
    const char* const clip = "exec \"$0.real\" -y -v error -f lavfi -i testsrc=duration=2 \"$out\"";
    // clang-format off
    const std::tuple<QString, const char*, const char*> cases[] = {
        {"printf '\\357\\273\\277frame=1\\nbad \\377\\n' >&2; echo x > \"$out\"; exit 1",
         "\xef\xbb\xbf" "frame=1\nbad \xff\n\n", "Not written: bad \xef\xbf\xbd"},
        {"printf 'ffmpeg version 5.1\\n[h264 @ 0x1] error while decoding\\nInvalid ss\\n[aac @ 0x1] Qavg: 1\\n\\nframe=1 size=0kB\\rvideo:0kB muxing overhead: 0%%\\nConversion failed!\\n'; exit 1",
         "ffmpeg version 5.1\n[h264 @ 0x1] error while decoding\nInvalid ss\n[aac @ 0x1] Qavg: 1\n\nframe=1 size=0kB\rvideo:0kB muxing overhead: 0%\nConversion failed!\n\n", "Not written: Invalid ss"},
        {"echo x >> \"$out\"; exit 1", "\n", "Not written: ffmpeg ended with status 1"},
        {": > \"$out\"", "\n", "Not written: the clip could not be read: $FOLDER/clip.mp4: Invalid data found when processing input"},
        {"echo partial > \"$out\"; kill -KILL $$", "\n", "Not written: $FOLDER/ffmpeg crashed"},
        {"", "", "Not written: no program \"ffmpeg\" in $FOLDER"},
        {"printf '1\\n0:0:0,0 --> 0:0:4,0\\nhi\\n' > \"$out.srt\"; \"$0.real\" -y -v error -i \"$out.srt\" -c:s mov_text \"$out\"; rm \"$out.srt\"", "\n",
         "Not written: the clip holds no audio or video"},
        {"echo 'Error closing file '\"$out\"': No space left on device'; echo '[aac @ 0x1] Qavg: 1'", "",
         "Not written: Error closing file $FOLDER/clip.mp4: No space left on device"},
        {QString("touch \"${0%/*}/ffprobe.off\"; ") + clip, "\n", "Written: clip.mp4 (not checked: $FOLDER/ffprobe crashed)"},
        {clip, "\n", "Written: clip.mp4, 0:00:02.0"}};
    // clang-format on
    for (const auto& [ffmpeg, printed, status] : cases) {
        QFile::remove(tools.filePath("ffmpeg"));
        if (!ffmpeg.isEmpty())
            tools.addScript("ffmpeg", "for out; do :; done; [ \"$out\" = - ] && exit 1\n" + ffmpeg);
        ASSERT_TRUE(writeContents(output, "an earlier clip"));
        QFile::setPermissions(output, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        const QFile::Permissions permissions = QFile::permissions(output);
        testing::internal::CaptureStdout();
        saveAs(1, output);
        ASSERT_TRUE(waitFor([&] { return !seen()[2].startsWith("Writing"); }));
        waitForClipJobs();
        flushStandardOutput(std::chrono::seconds(1));
        const std::string stdOut = testing::internal::GetCapturedStdout();
        // The full-disk lines name the hidden file, which is not known here.
        EXPECT_TRUE(!*printed || stdOut == printed) << stdOut;
        EXPECT_EQ(seen().mid(2, 3),
                  (QStringList{QString(status).replace("$FOLDER", tools.path()), "save", "idle"}));
        EXPECT_EQ(contentsOf(output) == "an earlier clip", QString(status).startsWith("Not"))
            << status;
        EXPECT_EQ(QFile::permissions(output), permissions);
        EXPECT_EQ(unfinishedClips(tools.path()), QStringList());
        QFile::remove(tools.filePath("ffprobe.off"));
    }

    // While the clip is checked, the line says so, Save is back, and the
    // indicator and Stop stay until the verdict. Stop then keeps nothing.
    tools.addScript("ffprobe", "touch \"$0.looking\"; exec sleep 30");
    ASSERT_TRUE(writeContents(output, "an earlier clip"));
    saveAs(1, output);
    ASSERT_TRUE(waitFor([&] { return QFile::exists(tools.filePath("ffprobe.looking")); }));
    EXPECT_TRUE(waitFor([&] { return seen()[2] == "Checking clip.mp4…"; }));
    EXPECT_EQ(seen().mid(3, 2), (QStringList{"save", "busy"}));
    EXPECT_FALSE(delegate.stopButton()->isHidden());
    delegate.stopButton()->click();
    waitForClipJobs();
    EXPECT_EQ(seen().mid(2, 3), (QStringList{"Not written: stopped", "save", "idle"}));
    EXPECT_TRUE(delegate.stopButton()->isHidden());
    EXPECT_EQ(contentsOf(output), "an earlier clip");
    EXPECT_EQ(unfinishedClips(tools.path()), QStringList());
}

TEST(CommandLine, OpensOnePathAnswersHelpAndVersionAndRefusesTheRest)
{
    using Action = CommandLine::Action;
    // clang-format off
    const std::tuple<QStringList, Action, std::optional<QString>, QString> cases[] = {
        {{"/v/a b, c.mp4"}, Action::Run, "/v/a b, c.mp4", ""},
        {{"clips/../a.mp4"}, Action::Run, "/home/me/clips/../a.mp4", ""},
        {{"--bogus", "-h"}, Action::PrintHelp, std::nullopt, "Usage: velborn-trimlet [options] [file]"},
        {{"--version"}, Action::PrintVersion, std::nullopt, "Velborn Trimlet " VELBORN_VERSION},
        {{"-reverse", "-stylesheet", "-h.qss", "--style=fusion", "-display", ":0", "--", "-v.mp4"}, Action::Run, "/home/me/-v.mp4", ""},
        {{"-platform", "offscreen", "--bogus"}, Action::UsageError, std::nullopt, "velborn-trimlet: Unknown option 'bogus'. Try --help."}};
    // clang-format on
    for (const auto& [arguments, action, file, text] : cases) {
        const CommandLine parsed =
            parseCommandLine(QStringList{"velborn-trimlet"} + arguments, "/home/me");
        EXPECT_EQ(std::tuple(parsed.action, parsed.file, parsed.text.section('\n', 0, 0)),
                  std::tuple(action, file, text));
    }
    // Without a working folder to write in front, only a full path is found.
    EXPECT_EQ(parseCommandLine({"velborn-trimlet", "/v/a.mp4"}, std::nullopt).file, "/v/a.mp4");
    EXPECT_EQ(parseCommandLine({"velborn-trimlet", "a.mp4"}, std::nullopt).text,
              "velborn-trimlet: \"a.mp4\" is relative, and the working folder's name is not UTF-8; "
              "give the full path. Try --help.");
}
