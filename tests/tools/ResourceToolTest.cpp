#include "ResourceTool.h"
#include "ToolFolder.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

struct OutputCase {
    const char* name;
    const char* script;
    std::optional<QString> expected;
};

class ResourceToolOutput : public testing::TestWithParam<OutputCase> {};

TEST_P(ResourceToolOutput, GivesTheMergedOutputOrNothing)
{
    ToolFolder tools;
    tools.addScript("tool", GetParam().script);
    EXPECT_EQ(runResourceTool("tool", {}), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ResourceToolOutput,
    testing::Values(
        OutputCase{"BothStreamsInOrder", "echo one; echo two >&2; echo three; echo four >&2",
                   QString("one\ntwo\nthree\nfour\n")},
        OutputCase{"StandardErrorOnly", "echo only errors >&2", QString("only errors\n")},
        OutputCase{"NothingIsTheEmptyText", "exit 0", QString("")},
        OutputCase{"FailingStatusStillGivesOutput", "echo broken; exit 3", QString("broken\n")},
        OutputCase{"Utf8Text", "printf 'caf\\303\\251'", QString::fromUtf8("caf\xc3\xa9")},
        OutputCase{"InvalidUtf8GivesNothing", "printf 'ab\\377cd'", std::nullopt},
        OutputCase{"TruncatedUtf8GivesNothing", "printf 'caf\\303'", std::nullopt},
        OutputCase{"StandardInputIsEmpty", "cat; echo done", QString("done\n")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ResourceTool, PassesEveryArgumentWholeAndUnchanged)
{
    ToolFolder tools;
    tools.addScript("tool", R"(for a in "$@"; do printf '[%s]\n' "$a"; done)");
    const QStringList arguments{"with blanks", "\"quoted\" 'both'", "-leading-dash", "",
                                "$HOME;*",     "naïve, comma"};

    QString expected;
    for (const QString& argument : arguments)
        expected += '[' + argument + "]\n";
    EXPECT_EQ(runResourceTool("tool", arguments), expected);
}

TEST(ResourceTool, FindsOnlyTheFileOfExactlyThatName)
{
    ToolFolder tools;
    tools.addScript("ffmpeg.sh", "echo wrong");
    EXPECT_EQ(runResourceTool("ffmpeg", {}), std::nullopt);

    tools.addScript("ffmpeg", "echo right");
    EXPECT_EQ(runResourceTool("ffmpeg", {}), QString("right\n"));
}

TEST(ResourceTool, MissingOrUnstartableProgramGivesNothing)
{
    ToolFolder tools;
    EXPECT_EQ(runResourceTool("ffprobe", {}), std::nullopt);

    QFile notExecutable(tools.filePath("ffprobe"));
    ASSERT_TRUE(notExecutable.open(QIODevice::WriteOnly));
    notExecutable.write("plain data");
    notExecutable.close();
    EXPECT_EQ(runResourceTool("ffprobe", {}), std::nullopt);
}

TEST(ResourceTool, KillsAProgramThatOutlivesItsLimit)
{
    ToolFolder tools;
    tools.addScript("tool", "echo started; exec sleep 30");

    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(runResourceTool("tool", {}, 300ms), std::nullopt);
    EXPECT_LT(timer.elapsed(), 10'000);
}

TEST(ResourceTool, LeavesNoZombieBehind)
{
    ToolFolder tools;
    tools.addScript("tool", "echo $$");
    const std::optional<QString> pid = runResourceTool("tool", {});
    ASSERT_TRUE(pid);
    // A reaped child has no /proc entry left; a zombie keeps one.
    EXPECT_FALSE(QFile::exists("/proc/" + pid->trimmed()));
}

} // namespace
