#include "FfmpegTime.h"
#include "FieldNumbers.h"
#include "TemporaryClip.h"
#include "TestSupport.h"
#include "TimeCode.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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
        EXPECT_EQ(timeCodeOfTexts(typed), QString::fromUtf8(timeCode));
        EXPECT_EQ(timeOfTexts(typed), std::chrono::milliseconds(milliseconds)) << timeCode;
        EXPECT_EQ(timeCodeFromFields({&fields[0], &fields[1], &fields[2], &fields[3]}),
                  QString::fromUtf8(timeCode));
        EXPECT_EQ(written, writes) << timeCode;
    }
    // clang-format off
    const std::pair<const char*, std::int32_t> numbers[] = {{"", 0}, {" \t7", 7}, {"+8", 8}, {"-12ab", -12},
        {"-", 0}, {"1 2", 1}, {"99999999999", INT32_MAX}, {"-2147483648", INT32_MIN}, {"-99999999999", INT32_MIN}};
    // clang-format on
    for (const auto& [text, value] : numbers)
        EXPECT_EQ(intValueOfText(text), value) << text;
}

// Hidden, named for the clip it will become, in the same container, and never
// longer than a file name may be.
TEST(TemporaryClip, IsNamedForTheChosenFileAndFitsAFileName)
{
    const QString longName = QString(120, u'é') + ".mkv"; // 244 bytes
    const std::pair<QString, QString> cases[] = {
        {"clip.mp4", ".clip.mp4.velborn-unfinished-k3J9aB.mp4"},
        {"no suffix", ".no suffix.velborn-unfinished-k3J9aB"},
        {".hidden", "..hidden.velborn-unfinished-k3J9aB"},
        {longName, "." + QString(112, u'é') + ".velborn-unfinished-k3J9aB.mkv"}};
    for (const auto& [chosen, temporary] : cases)
        EXPECT_EQ(temporaryClipName(chosen, "k3J9aB"), temporary);
}

// The clip takes the chosen name, replacing only what was there when the export
// began: a file another program puts there meanwhile is left as it is.
TEST(TemporaryClip, ReplacesOnlyTheFileThatWasThereWhenTheExportBegan)
{
    const struct {
        const char* before;
        const char* meanwhile;
        bool committed;
        const char* after;
    } cases[] = {{nullptr, nullptr, true, "clip"},
                 {nullptr, "theirs", false, "theirs"},
                 {"old", nullptr, true, "clip"},
                 {"old", "theirs", true, "clip"}};
    for (const auto& [before, meanwhile, committed, after] : cases) {
        const QTemporaryDir folder;
        const QString chosen = folder.filePath("chosen.mp4");
        ASSERT_TRUE(!before || writeContents(chosen, before));
        QString error;
        std::optional<TemporaryClip> clip = TemporaryClip::create(chosen, error);
        ASSERT_TRUE(clip) << error.toStdString();
        ASSERT_TRUE(writeContents(clip->path(), "clip"));
        ASSERT_TRUE(!meanwhile || writeContents(chosen, meanwhile));
        EXPECT_EQ(clip->commit(error), committed) << error.toStdString();
        EXPECT_EQ(contentsOf(chosen), after) << (before ? before : "-");
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
                  QStringList{"chosen.mp4"});
        EXPECT_EQ(error.endsWith("appeared while the clip was written and was left as it is"),
                  !committed);
    }
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
