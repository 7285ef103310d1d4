#include "ResourceTool.h"
#include "ToolFolder.h"

#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

struct OutputCase {
    const char* script;
    std::optional<QString> expected;
};

class ResourceToolOutput : public testing::TestWithParam<OutputCase> {};

TEST_P(ResourceToolOutput, GivesTheMergedOutputDecodedOrNothing)
{
    ToolFolder tools;
    tools.addScript("tool", GetParam().script);
    EXPECT_EQ(runResourceTool("tool", {}), GetParam().expected);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, ResourceToolOutput, testing::Values(
    OutputCase{"echo 1; echo 2 >&2; echo 3; echo 4 >&2", QString("1\n2\n3\n4\n")},
    OutputCase{"echo only errors >&2", QString("only errors\n")},
    OutputCase{"exit 0", QString("")},
    OutputCase{"echo broken; exit 3", QString("broken\n")},
    OutputCase{"echo crashed; kill -SEGV $$", QString("crashed\n")},
    OutputCase{"cat; echo stdin was empty", QString("stdin was empty\n")},
    OutputCase{"printf 'caf\\303\\251'", QString::fromUtf8("caf\xc3\xa9")},
    OutputCase{"printf 'ab\\377cd'", std::nullopt},
    OutputCase{"printf 'caf\\303'", std::nullopt}));
// clang-format on

TEST(ResourceTool, PassesEachArgumentWholeAndUnchanged)
{
    ToolFolder tools;
    tools.addScript("tool", R"(for a in "$@"; do printf '[%s]' "$a"; done)");
    EXPECT_EQ(runResourceTool("tool", {"a b", "\"q\" 'q'", "-dash", "", "$HOME;*", "ñ, c"}),
              QString("[a b][\"q\" 'q'][-dash][][$HOME;*][ñ, c]"));
}

TEST(ResourceTool, FindsOnlyAnExecutableOfExactlyThatName)
{
    ToolFolder tools;
    EXPECT_EQ(runResourceTool("ffmpeg", {}), std::nullopt);
    tools.addScript("ffmpeg.sh", "echo wrong");
    EXPECT_EQ(runResourceTool("ffmpeg", {}), std::nullopt);

    QFile plain(tools.filePath("ffmpeg"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    EXPECT_EQ(runResourceTool("ffmpeg", {}), std::nullopt); // there, but cannot start

    tools.addScript("ffmpeg", "echo right");
    EXPECT_EQ(runResourceTool("ffmpeg", {}), QString("right\n"));
}

TEST(ResourceTool, KillsAndReapsAProgramThatOutlivesItsLimit)
{
    ToolFolder tools;
    const QString pidFile = tools.filePath("pid");
    tools.addScript("tool", "echo $$ > '" + pidFile + "'; exec sleep 30");

    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(runResourceTool("tool", {}, 1500ms), std::nullopt);
    EXPECT_LT(timer.elapsed(), 10'000);

    QFile pid(pidFile);
    ASSERT_TRUE(pid.open(QIODevice::ReadOnly));
    // A reaped child leaves no /proc entry; a zombie would.
    EXPECT_FALSE(QFile::exists("/proc/" + pid.readAll().trimmed()));
}

} // namespace
