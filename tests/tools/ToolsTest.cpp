#include "DurationText.h"
#include "ResourceTool.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

// A program gone or dead (a zombie waits only for its parent to look).
static bool processEnded(const QString& pidFile)
{
    QFile pid(pidFile);
    if (!pid.open(QIODevice::ReadOnly))
        return false;
    QFile stat("/proc/" + pid.readAll().trimmed() + "/stat");
    return !stat.open(QIODevice::ReadOnly) || stat.readAll().contains(") Z ");
}

// The answer is the merged output, strictly decoded, once every writer has
// closed it, even if the program lingers; the limit bounds both waits.
TEST(ResourceTool, ReadsTheMergedOutputToItsEndWithinTheLimitThenReaps)
{
    ToolFolder tools;
    const QString helper = tools.filePath("helper.pid");
    const std::tuple<QString, ToolEnd, int, std::optional<QString>> cases[] = {
        {"echo 1; echo 2 >&2; echo 3; echo 4 >&2", ToolEnd::Exited, 0, "1\n2\n3\n4\n"},
        {"readlink /proc/self/fd/0; exit 3", ToolEnd::Exited, 3, "/dev/null\n"},
        {"echo crashed; kill -SEGV $$", ToolEnd::Crashed, -1, "crashed\n"},
        {"printf 'caf\\303\\251'", ToolEnd::Exited, 0, "café"},
        {"printf 'ab\\377cd'", ToolEnd::Exited, 0, std::nullopt},
        {"printf 'caf\\303'", ToolEnd::Exited, 0, std::nullopt},
        {"", ToolEnd::Exited, 0, ""},
        {"echo answer; exec >&- 2>&-; sleep 5", ToolEnd::Lingered, -1, "answer\n"},
        {"(sleep 0.2; echo late) & echo early", ToolEnd::Exited, 0, "early\nlate\n"},
        {"echo partial; exec sleep 5", ToolEnd::TimedOut, -1, std::nullopt},
        {"sh -c 'echo $$ > " + helper + "; echo held; exec sleep 30' & exit 0", ToolEnd::TimedOut,
         -1, std::nullopt}};
    for (const auto& [script, end, exitCode, text] : cases) {
        tools.addScript("tool", script);
        testing::internal::CaptureStderr();
        const ToolRun run = runResourceToolToEnd("tool", {}, std::chrono::milliseconds(1500));
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::tuple(run.end, run.exitCode), std::tuple(end, exitCode))
            << script.toStdString();
        EXPECT_EQ(run.answered() ? decodeUtf8(run.output) : std::nullopt, text)
            << script.toStdString();
        EXPECT_EQ(errors.find("after 1500 ms without an answer") != std::string::npos,
                  end == ToolEnd::TimedOut)
            << script.toStdString();
    }
    // The helper that held the output open was killed with the program.
    EXPECT_TRUE(waitFor([&] { return processEnded(helper); }, 5000));
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
