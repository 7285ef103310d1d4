#include "CommandLine.h"

#include <QCommandLineParser>
#include <QDir>

namespace {

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
    const bool understood = parser.parse(arguments);
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
    return {CommandLine::Action::Run,
            QDir::cleanPath(QDir(workingFolder).absoluteFilePath(files.first())),
            {}};
}
