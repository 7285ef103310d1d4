#include "EventLoop.h"

#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>

void TimedWait::done()
{
    if (elapsed)
        return;
    elapsed = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    loop.quit();
}

double TimedWait::wait(const char* what)
{
    // A quit() before exec() would be lost, hence the check.
    if (!elapsed) {
        QTimer::singleShot(patience, &loop, [this] { loop.exit(); });
        loop.exec();
    }
    if (!elapsed)
        fail(QStringLiteral("waited %1 s in vain for %2").arg(patience.count()).arg(what));
    return *elapsed;
}

void showAndWaitUntilPainted(QWidget& window)
{
    TimedWait painted;
    // Paint reaches a top-level widget only once its window is exposed, and the
    // children are painted in the same pass: what is queued from here runs once
    // the whole window has been drawn.
    const EventWatch watch(window, QEvent::Paint, [&] {
        if (window.windowHandle() != nullptr && window.windowHandle()->isExposed())
            QTimer::singleShot(0, &painted, [&painted] { painted.done(); });
    });
    window.show();
    painted.wait("the window to be drawn");
}

double longestGapDuring(const std::function<void()>& run)
{
    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 longest = 0;
    const auto tick = [&] {
        longest = std::max(longest, clock.nsecsElapsed() - lastTick);
        lastTick = clock.nsecsElapsed();
    };
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer); // so the timer's own slack is no gap
    QObject::connect(&ticker, &QTimer::timeout, tick);
    clock.start();
    ticker.start(1);
    run();
    tick(); // the time since the last tick counts too
    return static_cast<double>(longest) / 1e6;
}
