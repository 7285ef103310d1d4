#include "CommandLine.h"
#include "QtPrinting.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Action = CommandLine::Action;

struct ParseCase {
    QStringList arguments; // after the program's name
    Action action;
    std::optional<QString> file;
    QString text; // its first line
};

TEST(CommandLine, OpensOnePathAnswersHelpAndVersionAndRefusesTheRest)
{
    // clang-format off
    const ParseCase cases[] = {
        {{}, Action::Run, std::nullopt, ""},
        {{"/v/a b, c.mp4"}, Action::Run, "/v/a b, c.mp4", ""},
        {{"clips/../a.mp4"}, Action::Run, "/home/me/a.mp4", ""},
        {{"--", "-dash.mp4"}, Action::Run, "/home/me/-dash.mp4", ""},
        {{"--help"}, Action::PrintHelp, std::nullopt, "Usage: velborn-trimlet [options] [file]"},
        {{"--bogus", "-h"}, Action::PrintHelp, std::nullopt, "Usage: velborn-trimlet [options] [file]"},
        {{"--version"}, Action::PrintVersion, std::nullopt, "Velborn Trimlet " VELBORN_VERSION},
        {{"--bogus", "a.mp4"}, Action::UsageError, std::nullopt,
         "velborn-trimlet: Unknown option 'bogus'. Try --help."},
        {{"a.mp4", "b.mp4"}, Action::UsageError, std::nullopt,
         "velborn-trimlet: Give one file at most. Try --help."},
    };
    // clang-format on
    for (const ParseCase& c : cases) {
        const CommandLine parsed =
            parseCommandLine(QStringList{"velborn-trimlet"} + c.arguments, "/home/me");
        const QString joined = c.arguments.join(' ');
        EXPECT_EQ(parsed.action, c.action) << joined.toStdString();
        EXPECT_EQ(parsed.file, c.file) << joined.toStdString();
        EXPECT_EQ(parsed.text.section('\n', 0, 0), c.text) << joined.toStdString();
    }
}

struct RunCase {
    QStringList arguments;
    int status;
    QString printed; // on standard output, or else on standard error
};

// The real executable: help and version need no display, and Qt's own options
// are not taken for ours.
TEST(CommandLine, TheExecutableExitsWithTheRightStatus)
{
    const RunCase cases[] = {
        {{"--version"}, 0, "Velborn Trimlet " VELBORN_VERSION "\n"},
        {{"-platform", "offscreen", "--bogus"},
         2,
         "velborn-trimlet: Unknown option 'bogus'. Try --help.\n"},
        {{"-platform", "offscreen", "a", "b"},
         2,
         "velborn-trimlet: Give one file at most. Try --help.\n"},
    };
    for (const RunCase& c : cases) {
        QProcess application;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("QT_QPA_PLATFORM");
        environment.remove("DISPLAY");
        const QTemporaryDir runtime;
        environment.insert("XDG_RUNTIME_DIR", runtime.path());
        application.setProcessEnvironment(environment);
        application.start(VELBORN_APPLICATION, c.arguments);
        ASSERT_TRUE(application.waitForFinished());
        EXPECT_EQ(application.exitCode(), c.status) << c.arguments.join(' ').toStdString();
        const QByteArray printed = c.status == 0 ? application.readAllStandardOutput()
                                                 : application.readAllStandardError();
        EXPECT_EQ(QString::fromUtf8(printed), c.printed);
    }
}

} // namespace
