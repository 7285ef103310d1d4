#include "Measures.h"

#include "BenchSupport.h"
#include "ChildModes.h"
#include "ClipJob.h"
#include "DropView.h"
#include "DurationProbe.h"
#include "LaunchedWindow.h"
#include "ResourceFolder.h"
#include "SavePanel.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace {

constexpr std::chrono::seconds windowLimit{30};
constexpr std::chrono::seconds probeLimit{30};
constexpr std::chrono::seconds exportLimit{120};
constexpr int childLimitMs = 60'000;

struct Timed {
    std::optional<double> value;
    QString error;
};

Timed measured(double value)
{
    return {value, {}};
}

Timed failed(const QString& error)
{
    return {std::nullopt, error};
}

// Runs the warm-up round and `runs` more, alternating which side goes first so
// neither always finds the caches the other left warm.
Samples rounds(int runs, const std::function<Timed()>& app, const std::function<Timed()>& floor)
{
    Samples samples;
    for (int round = 0; round <= runs; ++round) {
        Timed first = round % 2 == 0 ? app() : floor();
        Timed second = round % 2 == 0 ? floor() : app();
        Timed& appRun = round % 2 == 0 ? first : second;
        Timed& floorRun = round % 2 == 0 ? second : first;
        for (const Timed* run : {&appRun, &floorRun}) {
            if (!run->value) {
                samples.error = run->error;
                return samples;
            }
        }
        if (round == 0)
            continue;
        samples.app.push_back(*appRun.value);
        samples.floor.push_back(*floorRun.value);
    }
    return samples;
}

QString childFailure(const QProcess& process, const QStringList& arguments)
{
    const QString what = QStringLiteral("child \"%1\"").arg(arguments.join(u' '));
    if (process.exitStatus() != QProcess::NormalExit)
        return what + QStringLiteral(" crashed");
    switch (process.exitCode()) {
    case childNeverPainted:
        return what + QStringLiteral(" never painted its window");
    case childNeverProbed:
        return what + QStringLiteral(" never showed a duration");
    default:
        return what + QStringLiteral(" exited with %1").arg(process.exitCode());
    }
}

struct ChildRun {
    Timed time;
    QByteArray output;
};

ChildRun runChild(const QStringList& arguments)
{
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    process.start(QCoreApplication::applicationFilePath(), QStringList{childOption} + arguments,
                  QIODevice::ReadOnly);
    if (!process.waitForStarted(-1))
        return {failed(process.errorString()), {}};
    if (!process.waitForFinished(childLimitMs)) {
        process.kill();
        process.waitForFinished(-1);
        return {failed(QStringLiteral("child \"%1\" timed out").arg(arguments.join(u' '))), {}};
    }
    const double elapsed = millisecondsSince(clock);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {failed(childFailure(process, arguments)), {}};
    return {measured(elapsed), process.readAllStandardOutput()};
}

Timed startupOf(const QString& mode)
{
    return runChild({mode}).time;
}

Timed peakMemoryOf(const QStringList& arguments)
{
    const ChildRun run = runChild(arguments);
    if (!run.time.value)
        return run.time;
    for (const QByteArray& line : run.output.split('\n')) {
        const QList<QByteArray> words = line.trimmed().split(' ');
        if (words.size() == 2 && words[0] == peakMemoryTag.toUtf8()) {
            bool ok = false;
            const double kib = words[1].toDouble(&ok);
            if (ok)
                return measured(kib / 1024);
        }
    }
    return failed(
        QStringLiteral("child \"%1\" did not report its memory").arg(arguments.join(u' ')));
}

Timed toolTime(const QString& program, const QStringList& arguments)
{
    const ToolRun run = timeToolRun(program, arguments);
    return run.ok ? measured(run.milliseconds) : failed(run.error);
}

// Calls `seen` whenever `watched` gets an event of type `type`, before the
// event is handled.
class EventWatch : public QObject {
public:
    EventWatch(QObject& watched, QEvent::Type type, std::function<void()> seen)
        : watched(watched)
        , type(type)
        , seen(std::move(seen))
    {
        watched.installEventFilter(this);
    }
    ~EventWatch() override { watched.removeEventFilter(this); }

    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (object == &watched && event->type() == type)
            seen();
        return false;
    }

private:
    QObject& watched;
    QEvent::Type type;
    std::function<void()> seen;
};

// Stands in for the save dialog; the bench presses OK itself with answer().
class AnsweredSavePanels {
public:
    AnsweredSavePanels()
    {
        setSavePanelFactory([pending = pending] { return std::make_unique<Panel>(pending); });
    }
    ~AnsweredSavePanels() { setSavePanelFactory(nullptr); }
    AnsweredSavePanels(const AnsweredSavePanels&) = delete;
    AnsweredSavePanels& operator=(const AnsweredSavePanels&) = delete;

    bool isOpen() const { return static_cast<bool>(pending->completion); }

    // The completion holds the panel, so it is let go of once it has run.
    void answer(const QString& path)
    {
        pending->url = path;
        const SavePanel::Completion completion = std::exchange(pending->completion, nullptr);
        completion(1);
    }

private:
    struct Pending {
        SavePanel::Completion completion;
        std::optional<QString> url;
    };

    class Panel : public SavePanel {
    public:
        explicit Panel(std::shared_ptr<Pending> pending)
            : pending(std::move(pending))
        {}
        void setTitle(const QString&) override {}
        void setAllowedFileTypes(const QStringList&) override {}
        void beginSheetModalForWindow(QWidget&, Completion completion) override
        {
            pending->completion = std::move(completion);
        }
        std::optional<QString> url() const override { return pending->url; }

    private:
        std::shared_ptr<Pending> pending;
    };

    std::shared_ptr<Pending> pending = std::make_shared<Pending>();
};

void setFields(std::initializer_list<QLineEdit*> fields, QStringList texts)
{
    for (QLineEdit* field : fields)
        field->setText(texts.takeFirst());
}

bool wroteSomething(const QString& path)
{
    return QFileInfo(path).size() > 0;
}

} // namespace

Samples measureStartup(int runs)
{
    const auto window = [] { return startupOf(startupWindowMode); };
    const auto bare = [] { return startupOf(startupBareMode); };
    return rounds(runs, window, bare);
}

Samples measurePeakMemory(int runs, const QString& clip)
{
    const auto window = [&clip] { return peakMemoryOf({memoryWindowMode, clip}); };
    const auto bare = [] { return peakMemoryOf({memoryBareMode}); };
    return rounds(runs, window, bare);
}

Samples measureProbe(int runs, const QString& clip)
{
    const QuietStdout quiet;
    LaunchedWindow launched;
    if (!showAndWaitUntilPainted(launched.window, windowLimit))
        return {{}, {}, QStringLiteral("the window was never painted")};
    QLineEdit& duration = *launched.delegate.durationTextField();

    const auto app = [&]() -> Timed {
        // The same clip gives the same text; only a change is seen, so start empty.
        duration.clear();
        QCoreApplication::processEvents();

        Waiter shown;
        std::optional<double> elapsed;
        QElapsedTimer clock;
        const QMetaObject::Connection watch = QObject::connect(
            &duration, &QLineEdit::textChanged, &duration, [&](const QString& text) {
                if (!elapsed && !text.isEmpty()) {
                    elapsed = millisecondsSince(clock);
                    shown.done();
                }
            });
        clock.start();
        const bool dropped = dropFile(*launched.window.dropView(), clip);
        const bool ok = dropped && shown.wait(probeLimit);
        QObject::disconnect(watch);
        if (!dropped)
            return failed(QStringLiteral("the drop area refused the clip"));
        if (!ok)
            return failed(QStringLiteral("the duration was never shown"));
        return measured(*elapsed);
    };
    const auto floor = [&] { return toolTime(QStringLiteral("ffprobe"), probeArguments(clip)); };
    return rounds(runs, app, floor);
}

ExportSamples measureExport(int runs, const QString& source, const QString& outputFolder)
{
    ExportSamples result;
    const auto giveUp = [&](const QString& error) {
        result.duration.error = error;
        result.longestStall.error = error;
        return result;
    };

    const QuietStdout quiet;
    AnsweredSavePanels panels;
    LaunchedWindow launched;
    AppDelegate& delegate = launched.delegate;
    if (!showAndWaitUntilPainted(launched.window, windowLimit))
        return giveUp(QStringLiteral("the window was never painted"));

    // Let the drop's probe finish first, so it does not run into the first export.
    {
        QLineEdit& duration = *delegate.durationTextField();
        Waiter probed;
        const QMetaObject::Connection watch = QObject::connect(
            &duration, &QLineEdit::textChanged, &duration, [&probed](const QString& text) {
                if (!text.isEmpty())
                    probed.done();
            });
        const bool ok = dropFile(*launched.window.dropView(), source) && probed.wait(probeLimit);
        QObject::disconnect(watch);
        if (!ok)
            return giveUp(QStringLiteral("the source clip's duration was never shown"));
    }
    QPushButton& saveButton = *delegate.saveClipButton();

    const QString appOutput = QDir(outputFolder).filePath(QStringLiteral("through the app.mp4"));
    const QString floorOutput = QDir(outputFolder).filePath(QStringLiteral("direct.mp4"));

    // What the window's fields below come to, as a request for the same clip.
    ClipRequest request;
    request.startTime = QStringLiteral("00:00:02.50");
    request.duration = QStringLiteral("00:00:03.00");
    request.inputPath = source;
    request.outputPath = floorOutput;
    const QStringList floorArguments = clipArguments(request);
    const QString ffmpeg = pathForResource(QStringLiteral("ffmpeg"));
    if (ffmpeg.isEmpty())
        return giveUp(QStringLiteral("no ffmpeg in %1").arg(resourceFolder()));

    // Each run yields both its time and its longest stall. The stall meter ticks
    // through the floor's runs too, so its own cost weighs on both sides alike.
    struct ExportRun {
        Timed duration;
        Timed stall;
    };
    const auto appRun = [&]() -> ExportRun {
        setFields(
            {delegate.startHH(), delegate.startMM(), delegate.startSS(), delegate.startFFF()},
            {QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("2"), QStringLiteral("5")});
        setFields({delegate.timeHH(), delegate.timeMM(), delegate.timeSS(), delegate.timeFFF()},
                  {QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("3"), QString()});
        QFile::remove(appOutput);
        saveButton.click();
        if (!panels.isOpen())
            return {failed(QStringLiteral("the save button opened no save dialog")), {}};

        Waiter idle;
        std::optional<double> elapsed;
        QElapsedTimer clock;
        const EventWatch enabled(saveButton, QEvent::EnabledChange, [&] {
            if (!elapsed && saveButton.isEnabled()) {
                elapsed = millisecondsSince(clock);
                idle.done();
            }
        });
        GapMeter gaps;
        gaps.start();
        clock.start();
        panels.answer(appOutput);
        const bool ok = idle.wait(exportLimit);
        const double stall = gaps.stop();

        waitForClipJobs();
        QCoreApplication::processEvents();
        if (!ok)
            return {failed(QStringLiteral("the export never left the busy state")), {}};
        if (!wroteSomething(appOutput))
            return {failed(QStringLiteral("the export wrote no clip")), {}};
        return {measured(*elapsed), measured(stall)};
    };

    const auto floorRun = [&]() -> ExportRun {
        QFile::remove(floorOutput);
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.setStandardInputFile(QProcess::nullDevice());
        QObject::connect(&process, &QProcess::readyRead, &process, [&] { process.readAll(); });

        Waiter finished;
        std::optional<double> elapsed;
        QElapsedTimer clock;
        // finished comes once all of ffmpeg's output has been read.
        QObject::connect(&process, &QProcess::finished, &process, [&] {
            elapsed = millisecondsSince(clock);
            finished.done();
        });
        QObject::connect(&process, &QProcess::errorOccurred, &process,
                         [&](QProcess::ProcessError error) {
                             if (error == QProcess::FailedToStart)
                                 finished.done();
                         });
        GapMeter gaps;
        gaps.start();
        clock.start();
        process.start(ffmpeg, floorArguments, QIODevice::ReadOnly);
        const bool ok = finished.wait(exportLimit);
        const double stall = gaps.stop();
        if (!ok || !elapsed) {
            process.kill();
            process.waitForFinished(-1);
            return {failed(QStringLiteral("ffmpeg run directly did not finish")), {}};
        }
        if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0 ||
            !wroteSomething(floorOutput))
            return {failed(QStringLiteral("ffmpeg run directly wrote no clip")), {}};
        return {measured(*elapsed), measured(stall)};
    };

    for (int round = 0; round <= runs; ++round) {
        ExportRun app;
        ExportRun floor;
        if (round % 2 == 0) {
            app = appRun();
            floor = floorRun();
        } else {
            floor = floorRun();
            app = appRun();
        }
        for (const Timed* run : {&app.duration, &app.stall, &floor.duration, &floor.stall}) {
            if (!run->value)
                return giveUp(run->error);
        }
        if (round == 0)
            continue;
        result.duration.app.push_back(*app.duration.value);
        result.duration.floor.push_back(*floor.duration.value);
        result.longestStall.app.push_back(*app.stall.value);
        result.longestStall.floor.push_back(*floor.stall.value);
    }
    return result;
}
