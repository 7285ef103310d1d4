#include "ClipRequest.h"
#include "ClipVerdict.h"
#include "FfmpegTime.h"
#include "FieldNumbers.h"
#include "OutputPlace.h"
#include "ResourceTool.h"
#include "SameFile.h"
#include "StatusText.h"
#include "TestSupport.h"
#include "TimeCode.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// The fields (hours, minutes, seconds, fraction), the writes in order, the time
// code, and the time in milliseconds, which the texts give alike without a field.
TEST(TimeCode, CarriesSixtiesWritesThemBackAndPadsToTwoCharacters)
{
    // clang-format off
    const std::tuple<std::array<const char*, 4>, const char*, const char*, std::int64_t> cases[] = {
        {{"", "1", "75", "5"}, "s15 m2 ", "00:02:15.50", 135'500}, {{"1", "90", "30", "0"}, "m30 h2 ", "02:30:30.00", 9'030'000},
        {{"0", "59", "60", "250"}, "s0 m60 m0 h1 ", "01:00:00.250", 3'600'250}, {{"0", "059", "059", "9x7"}, "", "00:059:059.9x7", 3'599'900},
        {{"", "", "-5", "1500"}, "", "00:00:-5.1500", -4'850}, {{"", "-100", "120", ""}, "s0 m-98 ", "00:-98:00.00", -5'880'000},
        {{"", "", "e\xcc\x81", "\xf0\x9f\x91\x8d"}, "", "00:00:0e\xcc\x81.\xf0\x9f\x91\x8d" "0", 0},
        {{"", "2147483647", "120", ""}, "s0 m2147483649 m9 h35791394 ", "35791394:09:00.00", 128'849'018'940'000}};
    // clang-format on
    for (const auto& [texts, writes, timeCode, milliseconds] : cases) {
        std::array<QLineEdit, 4> fields;
        TimeTexts typed;
        QString written;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            fields[i].setText(typed[i] = QString::fromUtf8(texts[i]));
            QObject::connect(
                &fields[i], &QLineEdit::textChanged,
                [&written, i](const QString& text) { written += "hmsf"[i] + text + ' '; });
        }
        SCOPED_TRACE(timeCode);
        EXPECT_EQ(timeOfTexts(typed), std::chrono::milliseconds(milliseconds));
        EXPECT_EQ(timeCodeOfTexts(typed), QString::fromUtf8(timeCode));
        EXPECT_EQ(timeCodeFromFields({&fields[0], &fields[1], &fields[2], &fields[3]}) + written,
                  QString::fromUtf8(timeCode) + writes);
    }
    // clang-format off
    const std::pair<const char*, std::int32_t> numbers[] = {{"", 0}, {" \t7", 7}, {"+8", 8}, {"-12ab", -12},
        {"-", 0}, {"1 2", 1}, {"99999999999", INT32_MAX}, {"-2147483648", INT32_MIN}, {"-99999999999", INT32_MIN}};
    // clang-format on
    for (const auto& [text, value] : numbers)
        EXPECT_EQ(intValueOfText(text), value) << text;
}

// The clip takes the chosen name, replacing only what was there when the export
// began, with its permission bits and never its set-id ones: a file another
// program puts there meanwhile is left as it is. Nothing else is left.
TEST(OutputPlace, ReplacesOnlyTheFileThatWasThereWhenTheExportBegan)
{
    // Before, meanwhile ("new" takes the name as a new file), committed, after.
    // clang-format off
    const std::tuple<const char*, const char*, bool, const char*> cases[] = {
        {nullptr, nullptr, true, "clip"}, {nullptr, "theirs", false, "theirs"}, {"old", nullptr, true, "clip"},
        {"old", "theirs", true, "clip"}, {"old", "new", false, "new"}};
    // clang-format on
    for (const auto& [before, meanwhile, committed, after] : cases) {
        SCOPED_TRACE(std::string(before ? before : "-") + " " + (meanwhile ? meanwhile : "-"));
        const QTemporaryDir folder;
        const QString chosen = folder.filePath("chosen.mp4");
        ASSERT_TRUE(!before || writeContents(chosen, before));
        ::chmod(QFile::encodeName(chosen).constData(), 06741);
        QString error;
        std::optional<OutputPlace> place = OutputPlace::resolve(chosen, error);
        ASSERT_TRUE(place && place->prepare(error) && writeContents(place->clipPath(), "clip"))
            << error.toStdString();
        if (meanwhile && meanwhile == std::string_view("new"))
            QFile::remove(chosen);
        ASSERT_TRUE(!meanwhile || writeContents(chosen, meanwhile));
        EXPECT_EQ(place->commit(error), committed) << error.toStdString();
        EXPECT_EQ(contentsOf(chosen), after);
        EXPECT_EQ(
            QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{"chosen.mp4"});
        EXPECT_EQ(error.endsWith("appeared while the clip was written and was left as it is"),
                  !committed);
        struct stat clip = {};
        ::stat(QFile::encodeName(chosen).constData(), &clip);
        EXPECT_EQ(clip.st_mode & 07777, before && committed ? 0741 : clip.st_mode & 0777);
    }
}

// Before it writes, an export removes the private folders of earlier runs
// whose writer is gone: this user's, unlocked. Nothing else.
TEST(OutputPlace, RemovesOnlyLeftoversWhoseWriterIsGone)
{
    const QTemporaryDir folder;
    const QDir in(folder.path());
    // clang-format off
    const std::tuple<const char*, const char*, bool> cases[] = {
        {".velborn-unfinished-k3J9aB", "killed", true}, {".velborn-unfinished-Runs00", "locked", false},
        {".velborn-unfinished-Theirs", "nobody's", false}, {".velborn-unfinished-A", "misnamed", false},
        {"clips", "a folder", false}};
    // clang-format on
    std::vector<FileDescriptor> locks;
    QStringList left{".velborn-unfinished-AFile0"};
    ASSERT_TRUE(writeContents(in.filePath(left[0]), "a file"));
    for (const auto& [name, what, removed] : cases) {
        ASSERT_TRUE(in.mkdir(name));
        ASSERT_TRUE(writeContents(in.filePath(name) + "/clip.mp4", what));
        const QByteArray path = QFile::encodeName(in.filePath(name));
        if (QByteArray(what) == "locked") {
            locks.emplace_back(::open(path.constData(), O_RDONLY | O_DIRECTORY));
            ASSERT_EQ(::flock(locks.back().get(), LOCK_EX), 0);
        }
        // Only root can give a folder away; then it is another user's.
        const bool ours =
            QByteArray(what) != "nobody's" || ::chown(path.constData(), 65534, 65534) != 0;
        if (!removed && !(ours && QByteArray(what) == "nobody's"))
            left << name;
    }
    QString error;
    std::optional<OutputPlace> place = OutputPlace::resolve(in.filePath("new.mp4"), error);
    ASSERT_TRUE(place && place->prepare(error)) << error.toStdString();
    place->discard();
    QStringList found = in.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    found.sort();
    left.sort();
    EXPECT_EQ(found, left);
    EXPECT_EQ(contentsOf(in.filePath(".velborn-unfinished-Runs00/clip.mp4")), "locked");
}

// Where inode numbers say nothing, two names are one whatever their case and
// Unicode form.
TEST(SameFile, TwoSpellingsAreOneNameWhereCaseAndFormAreIgnored)
{
    // clang-format off
    const std::tuple<QString, QString, bool> cases[] = {
        {"/m/V.MP4", "/m/v.mp4", true}, {"/m/caf\u00e9.mp4", "/m/CAFE\u0301.mp4", true},
        {"/m/v.mp4", "/n/v.mp4", false}, {"/m/v.mp4", "/m/v.mp4 ", false}};
    // clang-format on
    for (const auto& [first, second, one] : cases)
        EXPECT_EQ(spellOneName(first, second), one) << first.toStdString();
}

// The time codes ffmpeg 5.1's duration parser takes and refuses, as tried on
// it: hours of four digits at most, minutes and seconds of two, below 60.
TEST(FfmpegTime, TakesWhatFfmpegsDurationParserTakes)
{
    const QString past = "is past the longest time ffmpeg takes";
    const QString notTime = "is not a time ffmpeg takes";
    // clang-format off
    const std::pair<const char*, std::optional<QString>> cases[] = {
        {"9999:59:59.999999", std::nullopt}, {"9999:59:59.9999999", std::nullopt},
        {"0100:00:00.00", std::nullopt}, {"-5:00:00.00", std::nullopt}, {"00:00:05.", std::nullopt},
        {"10000:00:00.00", past}, {"99999999:00:00.00", past}, {"09999:00:00.00", notTime},
        {"00:-98:00.00", notTime}, {"00:059:00.00", notTime}, {"00:60:00.00", notTime},
        {"00:00:0e.00", notTime}, {"00:00:05.5x", notTime}};
    // clang-format on
    for (const auto& [timeCode, why] : cases)
        EXPECT_EQ(whyFfmpegRefusesTime(timeCode), why) << timeCode;
    EXPECT_EQ(shownTimeCode("99999999:00:00.00") + ' ' + shownTimeCode("00:00:01.50"),
              "99999999:00:00 00:00:01.50");
}

// What ffprobe finds in a clip ffmpeg finished, as the verdict puts it: a raw
// stream whose length it cannot tell is kept, its duration unknown.
TEST(ClipVerdict, KeepsAClipWithFramesWhateverItsDurationSays)
{
    const ToolRun finished{ToolEnd::Exited, 0, {}, {}};
    ClipRequest request;
    request.outputPath = "/clips/clip.h264";
    for (const QString duration : {"N/A", "1.000000"}) {
        ToolFolder tools;
        const QString stream = "[STREAM]\ncodec_type=video\nnb_read_packets=25\nduration=";
        tools.addScript("ffprobe", "cat <<'END'\n" + stream + duration +
                                       "\n[/STREAM]\n[FORMAT]\nduration=" + duration +
                                       "\n[/FORMAT]\nEND");
        EXPECT_EQ(verdictStatus(judgeClip(request, tools.filePath("clip.h264"), finished)),
                  duration == "N/A" ? "Written: clip.h264, duration unknown"
                                    : "Written: clip.h264, 0:00:01.0");
    }
}

// An export removes what it wrote through the folder it holds, never by name:
// a folder that has come to stand under its private folder's name stays.
TEST(OutputPlace, RemovesNothingThatHasComeToStandUnderItsName)
{
    const QTemporaryDir folder;
    QString error;
    std::optional<OutputPlace> place = OutputPlace::resolve(folder.filePath("new.mp4"), error);
    ASSERT_TRUE(place && place->prepare(error)) << error.toStdString();
    ASSERT_TRUE(writeContents(place->clipPath(), "unfinished"));
    const QString ours = QFileInfo(QFileInfo(place->clipPath()).path()).canonicalFilePath();
    ASSERT_TRUE(ours.startsWith(folder.path())) << ours.toStdString();
    ASSERT_TRUE(QDir(folder.path()).rename(ours, folder.filePath("moved aside")));
    ASSERT_TRUE(QDir(folder.path()).mkdir(ours)); // someone else's, empty
    place->discard();
    EXPECT_TRUE(QFileInfo(ours).isDir());
    EXPECT_FALSE(QFile::exists(folder.filePath("moved aside/new.mp4")));
}
