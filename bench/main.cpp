#include "BenchSupport.h"
#include "ChildModes.h"
#include "Measures.h"
#include "Report.h"
#include "ResourceFolder.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <optional>

namespace {

constexpr int defaultRuns = 7;
constexpr int mostRuns = 1000;

void printUsage(std::FILE* stream)
{
    std::fprintf(stream,
                 "usage: velborn-bench [--runs N] [--samples]\n"
                 "Measures the app against bare floors over N runs (default %d) and prints\n"
                 "the medians; --samples also prints every run's values.\n",
                 defaultRuns);
}

struct Options {
    int runs = defaultRuns;
    bool withSamples = false;
};

// The options asked for, or nothing when the arguments make no sense.
std::optional<Options> optionsFrom(const QStringList& arguments)
{
    Options options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QStringLiteral("--samples")) {
            options.withSamples = true;
            continue;
        }
        QString value;
        if (arguments[i] == QStringLiteral("--runs") && i + 1 < arguments.size())
            value = arguments[++i];
        else if (arguments[i].startsWith(QStringLiteral("--runs=")))
            value = arguments[i].mid(7);
        else
            return std::nullopt;
        bool ok = false;
        options.runs = value.toInt(&ok);
        if (!ok || options.runs < 1 || options.runs > mostRuns)
            return std::nullopt;
    }
    return options;
}

QtMessageHandler qtHandler = nullptr;

// The offscreen platform warns about size hints each time a window is shown;
// between the table's rows that says nothing about the app.
void messageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message == QLatin1String("This plugin does not support propagateSizeHints()"))
        return;
    qtHandler(type, context, message);
}

} // namespace

int main(int argc, char* argv[])
{
    // Headless wherever it runs; the child processes inherit this.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    qtHandler = qInstallMessageHandler(messageHandler);
    QApplication application(argc, argv);
    overrideResourceFolder(QStringLiteral(VELBORN_BUILD_RESOURCE_DIR));

    const QStringList arguments = QApplication::arguments().mid(1);
    if (arguments.value(0) == childOption)
        return runChildMode(arguments.mid(1));
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))) {
        printUsage(stdout);
        return 0;
    }
    const std::optional<Options> options = optionsFrom(arguments);
    if (!options) {
        printUsage(stderr);
        return 2;
    }

    const QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "velborn-bench: no temporary folder: %s\n",
                     qPrintable(folder.errorString()));
        return 1;
    }
    // A short clip for the drop, a longer and larger one for the export.
    const QString shortClip = folder.filePath(QStringLiteral("short clip.mp4"));
    const QString source = folder.filePath(QStringLiteral("source clip.mp4"));
    if (!makeClip(shortClip, 3, QStringLiteral("160x120"), 24) ||
        !makeClip(source, 10, QStringLiteral("320x240"), 25)) {
        std::fprintf(stderr, "velborn-bench: could not make the input clips with %s\n",
                     qPrintable(pathForResource(QStringLiteral("ffmpeg"))));
        return 1;
    }

    const int runs = options->runs;
    const bool withSamples = options->withSamples;
    printHeader(runs);
    bool measuredAll = true;
    measuredAll &= printRow(QStringLiteral("start-up to window shown"), QStringLiteral("ms"),
                            measureStartup(runs), Goal::RatioAtMost, 1.30, withSamples);
    measuredAll &= printRow(QStringLiteral("drop to duration shown"), QStringLiteral("ms"),
                            measureProbe(runs, shortClip), Goal::RatioAtMost, 1.10, withSamples);
    measuredAll &= printRow(QStringLiteral("peak memory, file dropped"), QStringLiteral("MiB"),
                            measurePeakMemory(runs, shortClip), Goal::AddedAtMost, 10, withSamples);
    const ExportSamples exported = measureExport(runs, source, folder.path());
    measuredAll &= printRow(QStringLiteral("export, OK to not busy"), QStringLiteral("ms"),
                            exported.duration, Goal::RatioAtMost, 1.02, withSamples);
    measuredAll &= printRow(QStringLiteral("longest GUI stall, export"), QStringLiteral("ms"),
                            exported.longestStall, Goal::ValueAtMost, 20, withSamples);
    printNotes();
    return measuredAll ? 0 : 1;
}
