#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <vector>

class QWidget;

double median(std::vector<double> values);
double millisecondsSince(const QElapsedTimer& clock);

// Waits in a local event loop for done(). done() may come before wait() has
// started, even from inside the call that triggers it. One use only.
class Waiter {
public:
    void done();
    // Gives whether done() came before `limit` had passed.
    bool wait(std::chrono::milliseconds limit);

private:
    QEventLoop loop;
    QTimer limitTimer;
    bool finished = false;
};

// The longest the GUI thread's event loop went without running a 1 ms timer.
class GapMeter {
public:
    GapMeter();
    void start();
    // Counts the time since the last tick too, then gives the longest gap in ms.
    double stop();

private:
    void tick();

    QTimer ticker;
    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 longest = 0;
};

// Shows `widget` and runs the event loop until it has been painted on an
// exposed window, which is when a person would first see it.
bool showAndWaitUntilPainted(QWidget& widget, std::chrono::milliseconds limit);

// A local file dragged in from outside and dropped on `target`, as the window
// system delivers it. Gives whether the target took the drop.
bool dropFile(QWidget& target, const QString& path);

// The app prints what its tools say; that would bury the report, so standard
// output goes to the null device while one of these lives.
class QuietStdout {
public:
    QuietStdout();
    ~QuietStdout();
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

private:
    int saved = -1;
};

// A clip made from ffmpeg's built-in test pattern and a sine tone.
bool makeClip(const QString& path, int seconds, const QString& size, int rate);

// One run of a resource tool set up as the app runs it (output and errors on
// one channel, no input), timed from start to the end of its output.
struct ToolRun {
    bool ok = false;
    double milliseconds = 0;
    QString error;
};
ToolRun timeToolRun(const QString& program, const QStringList& arguments);
