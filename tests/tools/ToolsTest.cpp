#include "DurationText.h"
#include "ResourceTool.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

TEST(ResourceTool, GivesTheMergedOutputStrictlyDecodedAndHowTheProgramEnded)
{
    ToolFolder tools;
    const std::tuple<const char*, ToolEnd, int, std::optional<QString>> cases[] = {
        {"echo 1; echo 2 >&2; echo 3; echo 4 >&2", ToolEnd::Exited, 0, "1\n2\n3\n4\n"},
        {"readlink /proc/self/fd/0; exit 3", ToolEnd::Exited, 3, "/dev/null\n"},
        {"echo crashed; kill -SEGV $$", ToolEnd::Crashed, -1, "crashed\n"},
        {"printf 'caf\\303\\251'", ToolEnd::Exited, 0, "café"},
        {"printf 'ab\\377cd'", ToolEnd::Exited, 0, std::nullopt},
        {"printf 'caf\\303'", ToolEnd::Exited, 0, std::nullopt}};
    for (const auto& [script, end, exitCode, text] : cases) {
        tools.addScript("tool", script);
        const ToolRun run = runResourceToolToEnd("tool", {});
        EXPECT_EQ(run.end, end) << script;
        EXPECT_EQ(run.exitCode, exitCode) << script;
        EXPECT_EQ(runResourceTool("tool", {}), text) << script;
    }
}

TEST(ResourceTool, RunsOnlyAProgramOfThatExactNameAndSaysWhenThereIsNone)
{
    ToolFolder tools;
    tools.addScript("ffmpeg.sh", "echo wrong");
    testing::internal::CaptureStderr();
    EXPECT_EQ(runResourceToolToEnd("ffmpeg", {}).end, ToolEnd::Missing);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "velborn-trimlet: no program \"ffmpeg\" in " + tools.path().toStdString() + "\n");
    QFile(tools.filePath("ffmpeg")).open(QIODevice::WriteOnly);
    EXPECT_EQ(runResourceToolToEnd("ffmpeg", {}).end, ToolEnd::CannotStart);
}

TEST(DurationText, ShowsTheProbesAnswerAsWholeTwentyFourthsOfASecond)
{
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"format,0:01:23.500000\n", "0:01:23.12"}, {"format,1:02:03.999999", "1:02:03.23"},
        {"format,0:00:05.041667", "0:00:05.1"}, {"format,0:00:05.041666", "0:00:05.0"},
        {"format,N/A", "N/A.0"}, {"format, 0:00:10", "0:00:10.0"},
        {"0:00:10.000000", "0:00:10.000000"}, {",,0:00:01.000000", ",,0:00:01.000000"},
        {"format,,0:00:10.500000", "0:00:10.12"}, {"a,b,c", "b.0"},
        {"format,0:00:10.5.7", "0:00:10.0"}, {" \t\r\n ", ""},
        {"form at,\t0:00:\r01.5000\n00\n", "0:00:01.12"},
        {"f,1.12x", "1.0"}, {"f,1.-500000", "1.-12"}, {"f,1.+500000", "1.12"}, {"f,1.+-5", "1.0"},
        {"f,1.9223372036854775808", "1.0"}, {"f,1.-9223372036854775808", "1.-221360928884514"}};
    // clang-format on
    for (const auto& [answer, text] : cases)
        EXPECT_EQ(durationTextFromProbeOutput(QString::fromUtf8(answer)), QString::fromUtf8(text))
            << answer;
}
