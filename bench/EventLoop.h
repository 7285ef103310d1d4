#pragma once

#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>
#include <stdexcept>
#include <utility>

class QWidget;

// How long anything awaited may take before the measure counts as broken.
// A 60 s 1080p re-encode takes minutes on a loaded machine.
inline constexpr std::chrono::seconds patience{600};

// A measure that cannot be taken stops with this; main() tells stderr why.
[[noreturn]] inline void fail(const QString& why)
{
    throw std::runtime_error(why.toStdString());
}

// Runs a local event loop until done(), and gives the milliseconds from start()
// to the first done(), which may come even from inside the call being timed.
class TimedWait : public QObject {
public:
    TimedWait() { clock.start(); }
    void start() { clock.start(); }
    void done();
    // Fails, naming `what` was awaited, when done() has not come within `patience`.
    double wait(const char* what);

private:
    QEventLoop loop;
    QElapsedTimer clock;
    std::optional<double> elapsed;
};

// Calls `seen` for each event of `type` that reaches `watched`, before it is handled.
class EventWatch : public QObject {
public:
    EventWatch(QObject& watched, QEvent::Type type, std::function<void()> seen)
        : type(type)
        , seen(std::move(seen))
    {
        watched.installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == type)
            seen();
        return false;
    }

private:
    QEvent::Type type;
    std::function<void()> seen;
};

// Shows `window` and runs the event loop until it has been drawn on an exposed
// window, which is when a person would first see it.
void showAndWaitUntilPainted(QWidget& window);

// Calls `run`, which runs the event loop, and gives the longest the loop went
// meanwhile without running a 1 ms timer, in milliseconds.
double longestGapDuring(const std::function<void()>& run);
