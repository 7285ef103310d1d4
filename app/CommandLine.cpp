#include "CommandLine.h"

#include <QCommandLineParser>
#include <QDir>

#include <algorithm>
#include <iterator>

namespace {

// Qt's own options, as Qt 6's QApplication and its xcb platform take them out
// of the command line; Qt reads a leading "--" as "-" too. Each of the first
// kind takes the next argument as its value.
constexpr const char* qtOptionsWithValue[] = {"platform",        "platformpluginpath",
                                              "platformtheme",   "plugin",
                                              "qwindowgeometry", "qwindowicon",
                                              "qwindowtitle",    "session",
                                              "style",           "stylesheet",
                                              "display",         "name",
                                              "title",           "icon",
                                              "geometry",        "visual"};
constexpr const char* qtOptionsAlone[] = {"reverse", "testability", "widgetcount", "qdevel",
                                          "qdebug",  "nograb",      "dograb"};
constexpr const char* qtOptionsJoined[] = {"style=", "stylesheet=", "qmljsdebugger="};

bool isAnyOf(const QString& name, const auto& names)
{
    return std::any_of(std::begin(names), std::end(names),
                       [&name](const char* known) { return name == QLatin1String(known); });
}

bool startsWithAnyOf(const QString& name, const auto& prefixes)
{
    return std::any_of(std::begin(prefixes), std::end(prefixes), [&name](const char* known) {
        return name.startsWith(QLatin1String(known));
    });
}

// The arguments less Qt's options, so that ours are read only where Qt left
// them: "-reverse" is Qt's, not -r -e -v. Whether or not Qt has taken them out
// already, which it does only once there is a display.
QStringList withoutQtOptions(const QStringList& arguments)
{
    QStringList left = arguments.mid(0, 1);
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == u"--") {
            left << arguments.mid(i);
            break;
        }
        const QString name = argument.startsWith(u"--") ? argument.mid(2) : argument.mid(1);
        if (!argument.startsWith(u'-') || name.isEmpty())
            left << argument;
        else if (isAnyOf(name, qtOptionsWithValue) && i + 1 < arguments.size())
            ++i;
        else if (!isAnyOf(name, qtOptionsAlone) && !startsWithAnyOf(name, qtOptionsJoined))
            left << argument;
    }
    return left;
}

CommandLine usageError(const QString& why)
{
    return {CommandLine::Action::UsageError, std::nullopt,
            QStringLiteral("velborn-trimlet: %1 Try --help.").arg(why)};
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments, const QString& workingFolder)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Cuts a clip out of a video file."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("A video to open, as if dropped on the window."),
                                 QStringLiteral("[file]"));
    // Asking for help is answered even beside an option this does not know.
    const bool understood = parser.parse(withoutQtOptions(arguments));
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        // Help is asked for before there is an application object, which Qt
        // would take the program's name from: name it here.
        const QString usage = QStringLiteral("Usage: velborn-trimlet [options] [file]\n");
        return {CommandLine::Action::PrintHelp, std::nullopt,
                usage + parser.helpText().section(u'\n', 1)};
    }
    if (parser.isSet(version))
        return {CommandLine::Action::PrintVersion, std::nullopt,
                QStringLiteral("Velborn Trimlet " VELBORN_VERSION)};
    if (!understood)
        return usageError(parser.errorText());

    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return usageError(QStringLiteral("Give one file at most."));
    if (files.isEmpty())
        return {};
    // Only the working folder goes in front: ".." after a symbolic link is the
    // file system's to resolve, as the shell's user means it.
    return {CommandLine::Action::Run, QDir(workingFolder).filePath(files.first()), {}};
}
