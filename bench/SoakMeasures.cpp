#include "ClipJob.h"
#include "EventLoop.h"
#include "HeldSavePanel.h"
#include "LaunchedWindow.h"
#include "Measures.h"
#include "SavePanel.h"
#include "TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QScopeGuard>

#include <unistd.h>

namespace {

// Resident MiB, as the system counts it for this process.
double residentMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        fail(QStringLiteral("cannot read /proc/self/status"));
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    }
    fail(QStringLiteral("no VmRSS in /proc/self/status"));
}

double threadCount()
{
    return static_cast<double>(QDir(QStringLiteral("/proc/self/task"))
                                   .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                                   .size());
}

// Processes whose parent is this one, reaped or not. The kernel here has no
// /proc/self/task/*/children, so every process's stat is read.
double childCount()
{
    const QByteArray self = QByteArray::number(::getpid());
    int children = 0;
    const QDir proc(QStringLiteral("/proc"));
    for (const QString& pid : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(proc.filePath(pid + QStringLiteral("/stat")));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid …"; the name may hold blanks and parentheses.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        children += fields.value(1) == self ? 1 : 0;
    }
    return children;
}

struct Census {
    double threads = 0;
    double children = 0;
};

Census census()
{
    return {threadCount(), childCount()};
}

// Threads and children may take a moment to be gone. Drawing a large window
// uses threads of Qt's painting pool, which end after 30 s without work.
Census settledCensus(const Census& start)
{
    waitFor([&] { return threadCount() <= start.threads && childCount() <= start.children; },
            40'000);
    return census();
}

// `warmUp` rounds, then `rounds` more between two readings of the memory.
SoakFigures soak(int warmUp, int rounds, const std::function<void()>& round)
{
    const Census start = census();
    for (int i = 0; i < warmUp; ++i)
        round();
    const double warm = residentMiB();
    for (int i = 0; i < rounds; ++i)
        round();
    const double end = residentMiB();
    const Census last = settledCensus(start);
    return {
        {{end}, {warm}}, {{last.threads}, {start.threads}}, {{last.children}, {start.children}}};
}

// The file is chosen as the dialog opens: once the dialog has the focus, its
// name field is a person's to type in and selectFile() leaves it alone. The
// dialog is then let show and read its folder before OK.
void answerFileDialog(const QString& path)
{
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr)
        fail(QStringLiteral("the save button opened no file dialog"));
    dialog->selectFile(path);
    QCoreApplication::processEvents();
    static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
}

// Save, the answer, then the wait for the verdict and the job's end; the
// folder is emptied, as the stand-in's clips would otherwise pile up.
void exportOnce(LaunchedWindow& launched, const QDir& folder,
                const std::function<void(const QString&)>& answer)
{
    AppDelegate& delegate = launched.delegate;
    delegate.statusLabel()->clear();
    delegate.saveClipButton()->click();
    answer(folder.filePath(QStringLiteral("clip.mp4")));
    if (!waitFor([&] {
            return delegate.saveClipButton()->isEnabled() &&
                   delegate.statusLabel()->text().startsWith(QStringLiteral("Written"));
        }))
        fail(QStringLiteral("an export gave no verdict: %1").arg(delegate.statusLabel()->text()));
    waitForClipJobs();
    QCoreApplication::processEvents();
    for (const QString& file : folder.entryList(QDir::Files))
        QFile::remove(folder.filePath(file));
}

} // namespace

SoakRuns measureSoak(int exports, int drops)
{
    // Stand-ins that answer at once, so a soak is hundreds of exports and not
    // hundreds of encodes: ffmpeg writes a byte and has no frames to show,
    // ffprobe sees 3 s of video in anything. The build's tools come back afterwards.
    const auto restore =
        qScopeGuard([buildTools = resourceFolder()] { overrideResourceFolder(buildTools); });
    ToolFolder tools;
    tools.addScript(
        QStringLiteral("ffmpeg"),
        QStringLiteral(R"(for a; do out="$a"; done; [ "$out" = - ] && exit 1; printf x > "$out")"));
    tools.addScript(QStringLiteral("ffprobe"), QStringLiteral(R"(case "$*" in
*codec_type*) printf 'codec_type=video\nduration=0:00:03.000000\n' ;;
*) printf 'format,0:00:03.000000\n' ;;
esac)"));
    const QDir output(tools.filePath(QStringLiteral("output")));
    if (!output.mkpath(QStringLiteral(".")))
        fail(QStringLiteral("cannot make %1").arg(output.path()));
    const QString clip = tools.filePath(QStringLiteral("clip.mp4"));

    LaunchedWindow launched;
    showAndWaitUntilPainted(launched.window);
    dropAndWaitForDuration(launched, clip);
    const int warmUp = 20;

    SoakRuns runs;
    setSavePanelFactory(nullptr);
    runs.dialogExports =
        soak(warmUp, exports, [&] { exportOnce(launched, output, answerFileDialog); });
    holdSavePanels();
    runs.seamExports = soak(warmUp, exports, [&] { exportOnce(launched, output, pressOk); });
    setSavePanelFactory(nullptr);
    runs.drops = soak(warmUp, drops, [&] { dropAndWaitForDuration(launched, clip); });
    return runs;
}
