#include "BenchSupport.h"

#include "ResourceFolder.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QProcess>
#include <QUrl>
#include <QWidget>
#include <QWindow>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    if (values.size() % 2 == 1)
        return values[middle];
    return (values[middle - 1] + values[middle]) / 2;
}

double millisecondsSince(const QElapsedTimer& clock)
{
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

void Waiter::done()
{
    finished = true;
    loop.quit();
}

bool Waiter::wait(std::chrono::milliseconds limit)
{
    if (finished)
        return true;
    limitTimer.setSingleShot(true);
    QObject::connect(&limitTimer, &QTimer::timeout, &loop, [this] { loop.exit(1); });
    limitTimer.start(limit);
    loop.exec();
    limitTimer.stop();
    return finished;
}

GapMeter::GapMeter()
{
    // Precise, so the timer's own slack does not pass for a stall.
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, &ticker, [this] { tick(); });
}

void GapMeter::start()
{
    clock.start();
    lastTick = 0;
    longest = 0;
    ticker.start();
}

double GapMeter::stop()
{
    tick();
    ticker.stop();
    return static_cast<double>(longest) / 1e6;
}

void GapMeter::tick()
{
    const qint64 now = clock.nsecsElapsed();
    longest = std::max(longest, now - lastTick);
    lastTick = now;
}

namespace {

// Paint events reach a top-level widget only once its window is exposed; the
// children are painted in the same pass, so anything queued from here runs
// after the whole window has been drawn.
class FirstPaintWatch : public QObject {
public:
    FirstPaintWatch(QWidget& widget, Waiter& waiter)
        : widget(widget)
        , waiter(waiter)
    {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!seen && watched == &widget && event->type() == QEvent::Paint &&
            widget.windowHandle() != nullptr && widget.windowHandle()->isExposed()) {
            seen = true;
            QMetaObject::invokeMethod(
                this, [this] { waiter.done(); }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    QWidget& widget;
    Waiter& waiter;
    bool seen = false;
};

} // namespace

bool showAndWaitUntilPainted(QWidget& widget, std::chrono::milliseconds limit)
{
    Waiter painted;
    FirstPaintWatch watch(widget, painted);
    widget.installEventFilter(&watch);
    widget.show();
    const bool ok = painted.wait(limit);
    widget.removeEventFilter(&watch);
    return ok;
}

bool dropFile(QWidget& target, const QString& path)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    const QPointF point = QPointF(target.rect().center());

    QDragEnterEvent enter(point.toPoint(), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                          Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &enter);
    if (!enter.isAccepted())
        return false;

    QDropEvent drop(point, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &drop);
    return drop.isAccepted();
}

QuietStdout::QuietStdout()
{
    std::fflush(stdout);
    saved = ::dup(STDOUT_FILENO);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved >= 0 && null >= 0)
        ::dup2(null, STDOUT_FILENO);
    if (null >= 0)
        ::close(null);
}

QuietStdout::~QuietStdout()
{
    std::fflush(stdout);
    if (saved >= 0) {
        ::dup2(saved, STDOUT_FILENO);
        ::close(saved);
    }
}

bool makeClip(const QString& path, int seconds, const QString& size, int rate)
{
    const QString length = QString::number(seconds);
    const QStringList arguments{
        QStringLiteral("-y"),
        QStringLiteral("-v"),
        QStringLiteral("error"),
        QStringLiteral("-f"),
        QStringLiteral("lavfi"),
        QStringLiteral("-i"),
        QStringLiteral("testsrc=size=%1:rate=%2:duration=%3").arg(size).arg(rate).arg(length),
        QStringLiteral("-f"),
        QStringLiteral("lavfi"),
        QStringLiteral("-i"),
        QStringLiteral("sine=frequency=440:duration=") + length,
        QStringLiteral("-pix_fmt"),
        QStringLiteral("yuv420p"),
        path};
    return timeToolRun(QStringLiteral("ffmpeg"), arguments).ok;
}

ToolRun timeToolRun(const QString& program, const QStringList& arguments)
{
    ToolRun run;
    const QString path = pathForResource(program);
    if (path.isEmpty()) {
        run.error = QStringLiteral("no %1 in %2").arg(program, resourceFolder());
        return run;
    }

    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    process.start(path, arguments, QIODevice::ReadOnly);
    if (!process.waitForStarted(-1) || !process.waitForFinished(-1)) {
        run.error = process.errorString();
        return run;
    }
    const QByteArray output = process.readAll();
    run.milliseconds = millisecondsSince(clock);

    run.ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (!run.ok)
        run.error =
            QStringLiteral("%1 failed: %2").arg(program, QString::fromUtf8(output.right(400)));
    return run;
}
