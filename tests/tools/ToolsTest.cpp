#include "DurationText.h"
#include "ResourceTool.h"
#include "StandardOutput.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

// A program gone, or dead and waiting for its parent to look when `zombie`.
static bool processEnded(const QString& pidFile, bool zombie)
{
    const QByteArray pid = contentsOf(pidFile).trimmed();
    QFile stat("/proc/" + pid + "/stat");
    return !pid.isEmpty() &&
           (!stat.open(QIODevice::ReadOnly) || (zombie && stat.readAll().contains(") Z ")));
}

// The answer is the merged output, strictly decoded, once every writer has
// closed it; the whole run, reaping or killing included, keeps to the limit.
TEST(ResourceTool, ReadsTheMergedOutputToItsEndWithinTheLimitThenReaps)
{
    ToolFolder tools;
    const QString pid = "echo $$ > " + tools.filePath("pid") + "; ";
    const QString helper = tools.filePath("helper.pid");
    const QString lingers = "exec >&- 2>&-; sleep 60";
    // The script, whether to wait for its exit, its end, exit code and answer.
    const auto none = std::nullopt;
    // clang-format off
    const std::tuple<QString, bool, ToolEnd, int, std::optional<QString>> cases[] = {
        {"echo 1; echo 2 >&2; echo 3; echo 4 >&2", true, ToolEnd::Exited, 0, "1\n2\n3\n4\n"},
        {"readlink /proc/self/fd/0; exit 3", true, ToolEnd::Exited, 3, "/dev/null\n"},
        {"echo crashed; kill -SEGV $$", true, ToolEnd::Crashed, -1, "crashed\n"},
        {"printf 'caf\\303\\251'", true, ToolEnd::Exited, 0, "café"}, {"printf 'ab\\377cd'", true, ToolEnd::Exited, 0, none},
        {"printf 'caf\\303'", true, ToolEnd::Exited, 0, none}, {"", true, ToolEnd::Exited, 0, ""},
        {pid + "echo answer; " + lingers, false, ToolEnd::Lingered, -1, "answer\n"},
        {pid + "for i in 1 2 3 4 5; do echo $i; done; " + lingers, true, ToolEnd::Lingered, -1, "1\n2\n3\n4\n5\n"},
        {"(sleep 0.2; echo late) & echo early", true, ToolEnd::Exited, 0, "early\nlate\n"},
        {pid + "trap '' TERM; echo held; exec sleep 300", true, ToolEnd::TimedOut, -1, none},
        {pid + "echo first; exec sleep 300", false, ToolEnd::Cancelled, -1, none},
        {"sh -c 'echo $$ > " + helper + "; echo held; exec sleep 300' & exit 0", false, ToolEnd::TimedOut, -1, none}};
    // clang-format on
    const std::chrono::milliseconds limit(1500);
    // Standard input on an empty pipe: the test's own is often the null device
    // already, which would hide a tool inheriting it.
    int input[2];
    const int savedInput = ::dup(STDIN_FILENO);
    ASSERT_TRUE(::pipe(input) == 0 && ::dup2(input[0], STDIN_FILENO) == STDIN_FILENO);
    for (const auto& [script, waitForExit, end, exitCode, text] : cases) {
        SCOPED_TRACE(script.toStdString());
        QFile::remove(tools.filePath("pid"));
        tools.addScript("tool", script);
        // The one that is cancelled is stopped by its first piece of output.
        std::stop_source stop;
        QByteArray pieces;
        const auto onOutput = [&](const QByteArray& piece) {
            pieces += piece;
            if (end == ToolEnd::Cancelled)
                stop.request_stop();
        };
        testing::internal::CaptureStderr();
        const ToolRun run = runResourceToolToEnd(
            "tool", {}, ToolRunOptions{limit, stop.get_token(), onOutput, waitForExit});
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::tuple(run.end, run.exitCode), std::tuple(end, exitCode));
        EXPECT_EQ(run.answered() ? decodeUtf8(run.output) : std::nullopt, text);
        EXPECT_EQ(pieces, run.output);
        EXPECT_EQ(errors.find("after 1500 ms without an answer") != std::string::npos,
                  end == ToolEnd::TimedOut);
        // An answer does not wait for a program that lingers, unless asked to:
        // it still runs, until the reaper ends it at the limit. Whatever its
        // end, the program is then gone and reaped, well before its own sleep.
        if (end == ToolEnd::Lingered && !waitForExit) {
            EXPECT_FALSE(processEnded(tools.filePath("pid"), false));
        }
        if (script.startsWith(pid)) {
            EXPECT_TRUE(waitFor([&] { return processEnded(tools.filePath("pid"), false); }));
        }
    }
    ::dup2(savedInput, STDIN_FILENO);
    for (const int descriptor : {savedInput, input[0], input[1]})
        ::close(descriptor);
    // The helper that held the output open was killed with the program.
    EXPECT_TRUE(waitFor([&] { return processEnded(helper, true); }));
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
        {"format,0:01:23.500000\n", "0:01:23.12"}, {"format,1:02:03.999999", "1:02:03.23"}, {"format,0:00:05.041667", "0:00:05.1"},
        {"format,0:00:05.041666", "0:00:05.0"}, {"format,N/A", "N/A.0"}, {"format, 0:00:10", "0:00:10.0"},
        {"0:00:10.000000", "0:00:10.000000"}, {",,0:00:01.000000", ",,0:00:01.000000"}, {"format,,0:00:10.500000", "0:00:10.12"},
        {"a,b,c", "b.0"}, {"format,0:00:10.5.7", "0:00:10.0"}, {" \t\r\n ", ""}, {"form at,\t0:00:\r01.5000\n00\n", "0:00:01.12"},
        {"f,1.12x", "1.0"}, {"f,1.-500000", "1.-12"}, {"f,1.+500000", "1.12"}, {"f,1.+-5", "1.0"},
        {"f,1.9223372036854775808", "1.0"}, {"f,1.-9223372036854775808", "1.-221360928884514"}};
    // clang-format on
    for (const auto& [answer, text] : cases)
        EXPECT_EQ(durationTextFromProbeOutput(QString::fromUtf8(answer)), QString::fromUtf8(text))
            << answer;

    // Times written so, and read back from what is written.
    using std::chrono::microseconds;
    // clang-format off
    const std::pair<std::int64_t, const char*> times[] = {{83'500'000, "0:01:23.12"}, {3'600'083'334, "1:00:00.2"},
        {41'666, "0:00:00.0"}, {-5, "0:00:00.0"}, {360'059'999'999, "100:00:59.23"}};
    // clang-format on
    for (const auto& [time, text] : times) {
        EXPECT_EQ(durationTextOf(microseconds(time)), text);
        EXPECT_EQ(durationTextOf(timeOfDurationText(text).value_or(microseconds(-1))), text);
    }
    EXPECT_EQ(timeOfDurationText("0:01:23.12"), microseconds(83'500'000));
    for (const char* other : {"N/A.0", "0:1:23.12", "0:01:23", "0:01:23.123", ""})
        EXPECT_EQ(timeOfDurationText(other), std::nullopt) << other;
}

// ffmpeg's whole output is one line; however long, it reaches standard output
// whole when nothing else is waiting.
TEST(StandardOutput, PassesOnALineLongerThanWhatMayWait)
{
    const QByteArray log(9 << 20, 'x');
    flushStandardOutput(std::chrono::seconds(1));
    testing::internal::CaptureStdout();
    printBytesLine(log);
    flushStandardOutput(std::chrono::seconds(10));
    EXPECT_EQ(testing::internal::GetCapturedStdout().size(), std::size_t(log.size() + 1));
}
