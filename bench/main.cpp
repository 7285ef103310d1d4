#include "Measures.h"
#include "ResourceFolder.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QThread>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

namespace {

QtMessageHandler qtHandler = nullptr;

// The offscreen platform warns about size hints each time a window is shown,
// which says nothing about the app and would land between the table's rows.
void messageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message != QLatin1String("This plugin does not support propagateSizeHints()"))
        qtHandler(type, context, message);
}

// A clip made from ffmpeg's built-in test pattern and a sine tone.
void makeClip(const QString& path, int seconds, const QString& size, int rate,
              const QStringList& encoding = {})
{
    // A key frame every 2 s, as cameras and phones write them: a seek then
    // decodes at most 2 s before the start.
    const QString sources =
        QStringLiteral("-y -v error -f lavfi -i testsrc=size=%1:rate=%2:duration=%3"
                       " -f lavfi -i sine=frequency=440:duration=%3 -pix_fmt yuv420p -g 48");
    QStringList arguments =
        sources.arg(size, QString::number(rate), QString::number(seconds)).split(u' ');
    timeTool(QStringLiteral("ffmpeg"), arguments << encoding << path);
}

int status = 0;

// A measure that cannot be taken says why on stderr and makes the exit code 1.
void attempt(const std::function<void()>& measure)
{
    try {
        measure();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "velborn-bench: %s\n", error.what());
        status = 1;
    }
}

// The table goes here; the app's own lines, which would bury it, go to the null device.
std::FILE* table = stdout;

// `about` says where the figures come from; a soak alone has no medians.
void printHeader(const QString& about)
{
    std::fflush(stdout);
    std::FILE* kept = ::fdopen(::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0), "w");
    if (kept != nullptr && std::freopen("/dev/null", "w", stdout) != nullptr)
        table = kept;
    std::fprintf(table, "velborn-bench: %s; %s, %d CPUs\n%-26s %8s     %8s     %6s  %-16s %s\n",
                 qPrintable(about), qPrintable(QGuiApplication::platformName()),
                 QThread::idealThreadCount(), "measure", "app", "floor", "ratio", "target",
                 "result");
    std::fflush(table);
}

// What a row's target bounds: the app's median against the floor's, as a ratio
// or as a difference, or the app's median alone.
enum class Bound { Ratio, Added, Value };

// Medians of each side rather than of each round's ratio: a stray slow run on
// one side then spoils no comparison.
void printRow(const char* name, const char* unit, const Samples& samples, Bound bound, double most)
{
    const double app = median(samples.app);
    const double floor = median(samples.floor);
    bool met = app <= most;
    QString target = QString::asprintf("<= %g %s", most, unit);
    if (bound == Bound::Ratio) {
        met = app <= most * floor;
        target = QString::asprintf("<= %.2fx", most);
    } else if (bound == Bound::Added) {
        met = app - floor <= most;
        target = QString::asprintf("<= floor+%g %s", most, unit);
    }
    // A count that starts at 0 has no ratio.
    const QByteArray ratio = floor != 0 ? QByteArray::number(app / floor, 'f', 3) : "-";
    std::fprintf(table, "%-26s %8.1f %-3s %8.1f %-3s %6s  %-16s %s\n", name, app, unit, floor, unit,
                 ratio.constData(), qPrintable(target), met ? "met" : "MISSED");
    std::fflush(table);
}

// Resident memory may grow by at most 1 MiB over a soak run; threads and child
// processes must be back to where they started.
void printSoakRows(const char* run, int rounds, const SoakFigures& figures)
{
    const QByteArray name = run;
    printRow(QByteArray("RSS, " + QByteArray::number(rounds) + ' ' + name).constData(), "MiB",
             figures.residentMiB, Bound::Added, 1);
    printRow(("threads, " + name).constData(), "", figures.threads, Bound::Added, 0);
    printRow(("children, " + name).constData(), "", figures.children, Bound::Added, 0);
}

// A 60 s copy out of a 2-minute 1080p video, and the same re-encoded.
void copyRows(int runs, const QString& folder)
{
    // Ten seconds encoded and played twelve times over, as one file: quicker
    // to make than two minutes of 1080p, and the same to copy.
    const QString tenSeconds = QDir(folder).filePath(QStringLiteral("1080p 10 s.mp4"));
    const QString twoMinutes = QDir(folder).filePath(QStringLiteral("1080p 2 min.mp4"));
    makeClip(tenSeconds, 10, QStringLiteral("1920x1080"), 25);
    timeTool(QStringLiteral("ffmpeg"),
             {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-stream_loop"),
              QStringLiteral("11"), QStringLiteral("-i"), tenSeconds, QStringLiteral("-c"),
              QStringLiteral("copy"), twoMinutes});
    const CopySamples copied = measureCopy(runs, twoMinutes, folder);
    printRow("60 s copy, OK to verdict", "ms", copied.copy, Bound::Ratio, 1.10);
    printRow("60 s copy, wall", "ms", {copied.copy.app, {}}, Bound::Value, 2000);
    std::fprintf(table, "%-26s %8.1f ms, %.0fx the copy's\n", "60 s re-encode, once",
                 copied.reEncode, copied.reEncode / median(copied.copy.app));
}

void soak()
{
    const int exports = 300;
    const int drops = 500;
    const SoakRuns runs = measureSoak(exports, drops);
    std::fprintf(table, "soak, one run each: the app's figure at the end of the run; the floor\n"
                        "is resident memory after a warm-up, or the count at the start\n");
    printSoakRows("dialog exports", exports, runs.dialogExports);
    printSoakRows("seam exports", exports, runs.seamExports);
    printSoakRows("drops", drops, runs.drops);
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
    if (arguments.value(0) == childOption) {
        attempt([&] { childMain(arguments.mid(1)); });
        return status;
    }
    // The soak alone, for a run under a heap profiler.
    if (arguments == QStringList{QStringLiteral("--soak")}) {
        printHeader(QStringLiteral("the soak alone"));
        attempt(soak);
        return status;
    }
    // --timeline: the frames' and the timeline's rows alone; --copy: the
    // copy's rows alone, as the re-encode beside them takes minutes.
    QStringList options = arguments;
    const bool timelineOnly = options.removeAll(QStringLiteral("--timeline")) > 0;
    const bool copyOnly = options.removeAll(QStringLiteral("--copy")) > 0;
    const bool runsGiven = options.size() == 2 && options.at(0) == QStringLiteral("--runs");
    const int runs = runsGiven ? options.at(1).toInt() : 7;
    if (runs < 1 || (!runsGiven && !options.isEmpty())) {
        std::fprintf(stderr, "usage: velborn-bench [--runs N] [--timeline | --copy] | --soak\n");
        return 2;
    }
    if (copyOnly) {
        const QTemporaryDir folder;
        printHeader(QStringLiteral("the copy's rows alone, medians of %1 runs").arg(runs));
        attempt([&] { copyRows(runs, folder.path()); });
        return status;
    }

    // A short clip for the drop, a longer and larger one for the export, small
    // ones of 10 s, 90 s and 10 min to see that costs stay flat, and a 1080p
    // one for the frames.
    const QTemporaryDir folder;
    const QString shortClip = folder.filePath(QStringLiteral("short clip.mp4"));
    const QString source = folder.filePath(QStringLiteral("source clip.mp4"));
    const QString tenSeconds = folder.filePath(QStringLiteral("10 s.mp4"));
    const QString ninetySeconds = folder.filePath(QStringLiteral("90 s.mp4"));
    const QString tenMinutes = folder.filePath(QStringLiteral("10 min.mp4"));
    const QString fullHd = folder.filePath(QStringLiteral("1080p.mp4"));
    const QString longFullHd = folder.filePath(QStringLiteral("10 min 1080p.mp4"));
    attempt([&] {
        makeClip(shortClip, 3, QStringLiteral("160x120"), 24);
        makeClip(source, 10, QStringLiteral("320x240"), 25);
        makeClip(tenSeconds, 10, QStringLiteral("160x120"), 24);
        makeClip(ninetySeconds, 90, QStringLiteral("160x120"), 24);
        makeClip(tenMinutes, 600, QStringLiteral("160x120"), 24);
        makeClip(fullHd, 4, QStringLiteral("1920x1080"), 24);
        // Ten minutes of 1080p take too long to encode: ten seconds, copied
        // sixty times over, key frames and all.
        const QString tenSecondsFullHd = folder.filePath(QStringLiteral("10 s 1080p.mp4"));
        makeClip(tenSecondsFullHd, 10, QStringLiteral("1920x1080"), 24,
                 {QStringLiteral("-preset"), QStringLiteral("ultrafast")});
        timeTool(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-stream_loop"),
                  QStringLiteral("59"), QStringLiteral("-i"), tenSecondsFullHd,
                  QStringLiteral("-c"), QStringLiteral("copy"), longFullHd});
    });
    if (status != 0)
        return status;

    printHeader(QStringLiteral("medians of %1 runs after a warm-up, each against its floor in\n"
                               "the same runs (a bare QWidget child, or the tool run directly)")
                    .arg(runs));
    const auto frames = [&] {
        const FrameSamples shown = measureFrames(runs, fullHd);
        printRow("drop to frames shown", "ms", shown.shown, Bound::Ratio, 0.50);
        printRow("longest GUI gap, frames", "ms", shown.longestGap, Bound::Value, 20);
        printRow("peak memory, 1080p frames", "MiB", measureFramesMemory(runs, fullHd),
                 Bound::Added, 40);
    };
    const auto timeline = [&] {
        const ScrubSamples scrubbed = measureScrubbing(runs, longFullHd);
        printRow("key-frame step, median", "ms", scrubbed.keyStepMedian, Bound::Value, 50);
        printRow("key-frame step, 95th pct", "ms", scrubbed.keyStep95, Bound::Value, 100);
        printRow("exact frame after stop", "ms", scrubbed.exactAfterStop, Bound::Value, 300);
        printRow("longest GUI gap, scrub", "ms", scrubbed.longestGap, Bound::Value, 20);
        printRow("peak memory, 1080p scrub", "MiB", measureScrubbedMemory(runs, fullHd),
                 Bound::Added, 40);
    };
    if (timelineOnly) {
        attempt(frames);
        attempt(timeline);
        return status;
    }
    attempt([&] {
        printRow("start-up to window shown", "ms", measureStartup(runs), Bound::Ratio, 1.30);
    });
    attempt([&] {
        printRow("drop to duration shown", "ms", measureProbe(runs, shortClip), Bound::Ratio, 1.10);
    });
    attempt(
        [&] { printRow("longest GUI gap, probe", "ms", measureProbeGap(runs), Bound::Value, 20); });
    attempt([&] {
        const Samples memory = measurePeakMemory(runs, shortClip);
        printRow("peak memory, file dropped", "MiB", memory, Bound::Added, 10);
    });
    attempt(frames);
    attempt(timeline);
    attempt([&] {
        const ExportSamples exported = measureExport(runs, source, folder.path());
        printRow("export, OK to not busy", "ms", exported.duration, Bound::Ratio, 1.02);
        printRow("export, OK to verdict", "ms", exported.verdict, Bound::Ratio, 1.05);
        printRow("longest GUI gap, export", "ms", exported.longestGap, Bound::Value, 20);
    });
    attempt([&] {
        const Samples seek = measureSeekCost(runs, ninetySeconds, 80, folder.path());
        printRow("export from 80 s vs 0 s", "ms", seek, Bound::Ratio, 1.10);
    });
    attempt([&] {
        const Samples length = measureLengthCost(runs, tenMinutes, tenSeconds);
        printRow("duration, 10 min vs 10 s", "ms", length, Bound::Ratio, 1.10);
    });
    attempt([&] {
        printRow("cut from the command line", "ms", measureCut(runs, source, folder.path()),
                 Bound::Ratio, 1.05);
        const Samples startup = measureCutStartup(runs, shortClip, folder.path());
        printRow("cut, start-up to ffmpeg", "ms", startup, Bound::Added, 20);
    });
    attempt([&] { copyRows(runs, folder.path()); });
    attempt(soak);
    return status;
}
