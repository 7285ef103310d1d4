#include "CommandLine.h"

#include "FfmpegTime.h"

#include <QCommandLineParser>
#include <QRegularExpression>

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
            QStringLiteral("velborn-trimlet: %1 Try --help.").arg(why), std::nullopt};
}

const QString description =
    QStringLiteral("Cuts a clip out of a video file.\n\n"
                   "With --start, --length and --output it cuts without a window, for scripts\n"
                   "and machines with no display. For instance, the ten seconds from 1:05 on:\n"
                   "  velborn-trimlet --start 1:05 --length 10 --output clip.mp4 talk.mp4");

struct CutOptions {
    QCommandLineOption start{QStringLiteral("start"),
                             QStringLiteral("Where the clip starts, as [[H:]M:]S[.F]."),
                             QStringLiteral("TIME")};
    QCommandLineOption length{QStringLiteral("length"),
                              QStringLiteral("How long the clip is, as [[H:]M:]S[.F]."),
                              QStringLiteral("TIME")};
    QCommandLineOption output{QStringLiteral("output"),
                              QStringLiteral("The clip's file; \".mp4\" is added to a name "
                                             "without a suffix."),
                              QStringLiteral("FILE")};
    QCommandLineOption removeAudio{QStringLiteral("remove-audio"),
                                   QStringLiteral("Leave the audio out of the clip.")};
    QCommandLineOption overwrite{QStringLiteral("overwrite"),
                                 QStringLiteral("Replace a file already at --output.")};
    QCommandLineOption copy{QStringLiteral("copy"),
                            QStringLiteral("Keep quality: copy the streams as they are, "
                                           "without re-encoding, from the key frame at or "
                                           "before --start; the clip still ends at --start "
                                           "plus --length.")};

    bool anySet(const QCommandLineParser& parser) const
    {
        return parser.isSet(start) || parser.isSet(length) || parser.isSet(output) ||
               parser.isSet(removeAudio) || parser.isSet(overwrite) || parser.isSet(copy);
    }
};

// Containers ffmpeg writes as one file; others write several, or pictures.
const QStringList clipSuffixes = {
    QStringLiteral("mp4"),  QStringLiteral("m4v"), QStringLiteral("mov"),  QStringLiteral("mkv"),
    QStringLiteral("webm"), QStringLiteral("ts"),  QStringLiteral("m2ts"), QStringLiteral("avi"),
    QStringLiteral("flv"),  QStringLiteral("3gp")};

QString withSuffix(const QString& path)
{
    return path.section(u'/', -1).contains(u'.') ? path : path + QStringLiteral(".mp4");
}

// Why `output` cannot be a clip's file once ".mp4" is added to a name without
// a suffix; nothing when it can.
std::optional<QString> whyNotAClipFile(const QString& output)
{
    const QString name = output.section(u'/', -1);
    if (name.isEmpty() || name == u"." || name == u"..")
        return QStringLiteral("\"%1\" names no file; give one, such as clip.mp4.").arg(output);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot == 0)
        return QStringLiteral("\"%1\" is a suffix alone; give the clip a name.").arg(output);
    if (dot > 0 && !clipSuffixes.contains(name.mid(dot + 1), Qt::CaseInsensitive))
        return QStringLiteral("\"%1\" does not end in one of .%2.")
            .arg(output, clipSuffixes.join(QStringLiteral(" .")));
    static const QRegularExpression numbered(QStringLiteral("%[0-9d]"));
    if (name.contains(numbered))
        return QStringLiteral("\"%1\": a %, then a digit or d, would number a series of files.")
            .arg(output);
    return std::nullopt;
}

// `path` as the kernel finds it from the working folder, spelt out.
std::optional<QString> fromWorkingFolder(const QString& path,
                                         const std::optional<QString>& workingFolder)
{
    if (path.startsWith(u'/'))
        return path;
    if (!workingFolder)
        return std::nullopt;
    return (workingFolder->endsWith(u'/') ? *workingFolder : *workingFolder + u'/') + path;
}

CommandLine notFromWorkingFolder(const QString& path)
{
    return usageError(QStringLiteral("\"%1\" is relative, and the working folder's name is not "
                                     "UTF-8; give the full path.")
                          .arg(path));
}

CommandLine cutFrom(const QCommandLineParser& parser, const CutOptions& options,
                    const std::optional<QString>& workingFolder)
{
    const QStringList videos = parser.positionalArguments();
    if (!parser.isSet(options.start) || !parser.isSet(options.length) ||
        !parser.isSet(options.output) || videos.size() != 1)
        return usageError(QStringLiteral("A cut needs --start, --length, --output and one video."));
    CommandLine::Cut cut;
    for (const auto& [option, fields] :
         {std::pair(&options.start, &cut.start), std::pair(&options.length, &cut.length)}) {
        const QString time = parser.value(*option);
        const std::optional<TimeTexts> parsed = timeTextsOf(time);
        if (!parsed)
            return usageError(
                QStringLiteral("--%1: \"%2\" is not a time; write it as [[H:]M:]S[.F].")
                    .arg(option->names().first(), time));
        // Refused here, as typed, rather than by ffmpeg in words about a time
        // the person never wrote.
        if (const std::optional<QString> why = whyFfmpegRefusesTime(timeCodeOfTexts(*parsed)))
            return {CommandLine::Action::UsageError, std::nullopt,
                    QStringLiteral("velborn-trimlet: --%1: \"%2\" %3")
                        .arg(option->names().first(), time, *why),
                    std::nullopt};
        *fields = *parsed;
    }
    cut.removeAudio = parser.isSet(options.removeAudio);
    cut.overwrite = parser.isSet(options.overwrite);
    cut.copy = parser.isSet(options.copy);
    const QString given = parser.value(options.output);
    if (const std::optional<QString> why = whyNotAClipFile(given))
        return usageError(QStringLiteral("--output: ") + *why);
    const QString output = withSuffix(given);
    const std::optional<QString> outputPath = fromWorkingFolder(output, workingFolder);
    const std::optional<QString> videoPath = fromWorkingFolder(videos.first(), workingFolder);
    if (!outputPath || !videoPath)
        return notFromWorkingFolder(outputPath ? videos.first() : output);
    cut.output = *outputPath;
    cut.video = *videoPath;
    return {CommandLine::Action::Cut, std::nullopt, {}, cut};
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments,
                             const std::optional<QString>& workingFolder)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(description);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const CutOptions cutOptions;
    parser.addOptions({cutOptions.start, cutOptions.length, cutOptions.output,
                       cutOptions.removeAudio, cutOptions.overwrite, cutOptions.copy});
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("A video to open, as if dropped on the window, "
                                                "or to cut."),
                                 QStringLiteral("[file]"));
    // Asking for help is answered even beside an option this does not know.
    const bool understood = parser.parse(withoutQtOptions(arguments));
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        // Help is asked for before there is an application object, which Qt
        // would take the program's name from: name it here.
        const QString usage = QStringLiteral("Usage: velborn-trimlet [options] [file]\n");
        return {CommandLine::Action::PrintHelp, std::nullopt,
                usage + parser.helpText().section(u'\n', 1), std::nullopt};
    }
    if (parser.isSet(version))
        return {CommandLine::Action::PrintVersion, std::nullopt,
                QStringLiteral("Velborn Trimlet " VELBORN_VERSION), std::nullopt};
    if (!understood)
        return usageError(parser.errorText());
    if (cutOptions.anySet(parser))
        return cutFrom(parser, cutOptions, workingFolder);

    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return usageError(QStringLiteral("Give one file at most."));
    if (files.isEmpty())
        return {};
    // Only the working folder goes in front: ".." after a symbolic link is the
    // file system's to resolve, as the shell's user means it.
    const std::optional<QString> file = fromWorkingFolder(files.first(), workingFolder);
    if (!file)
        return notFromWorkingFolder(files.first());
    return {CommandLine::Action::Run, file, {}, std::nullopt};
}
