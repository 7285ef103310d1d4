#include "StandardOutput.h"

#include "EndingSignals.h"

#include <QByteArray>

#include <cerrno>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include <pthread.h>
#include <unistd.h>

namespace {

constexpr qsizetype waitingBound = 8 * 1024 * 1024;

struct Writer {
    std::mutex mutex;
    std::condition_variable linesWaiting;
    std::condition_variable allWritten;
    std::deque<QByteArray> lines;
    qsizetype unwritten = 0; // bytes handed over and not yet written
    bool dropping = false;
    bool started = false;
};

// Never destroyed: its thread may still be in a write when the process ends.
Writer& writer()
{
    static Writer* const instance = new Writer;
    return *instance;
}

void writeWhole(int descriptor, const QByteArray& bytes)
{
    const char* next = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t count = ::write(descriptor, next, static_cast<size_t>(left));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return; // a closed or broken reader: the line is lost
        next += count;
        left -= count;
    }
}

void writeLines()
{
    blockEndingSignals();
    ::pthread_setname_np(::pthread_self(), "stdout");
    Writer& w = writer();
    std::unique_lock lock(w.mutex);
    for (;;) {
        w.linesWaiting.wait(lock, [&w] { return !w.lines.empty(); });
        const QByteArray line = std::move(w.lines.front());
        w.lines.pop_front();
        lock.unlock();
        writeWhole(STDOUT_FILENO, line);
        lock.lock();
        w.unwritten -= line.size();
        if (w.unwritten == 0) {
            w.dropping = false;
            w.allWritten.notify_all();
        }
    }
}

// True when the line was taken; false the first time one is dropped in a spell.
bool handOver(QByteArray line)
{
    line += '\n';
    Writer& w = writer();
    const std::lock_guard lock(w.mutex);
    // A line longer than the bound still goes out when nothing else waits.
    if (w.unwritten > 0 && w.unwritten + line.size() > waitingBound) {
        const bool first = !w.dropping;
        w.dropping = true;
        return !first;
    }
    w.unwritten += line.size();
    w.lines.push_back(std::move(line));
    if (!w.started) {
        w.started = true;
        std::thread(writeLines).detach();
    }
    w.linesWaiting.notify_one();
    return true;
}

void print(QByteArray line)
{
    if (!handOver(std::move(line)))
        printErrorLine(QStringLiteral("velborn-trimlet: standard output is not being read; "
                                      "lines are dropped until it is"));
}

} // namespace

void printLine(const QString& text)
{
    print(text.toUtf8());
}

void printBytesLine(const QByteArray& bytes)
{
    print(bytes);
}

bool flushStandardOutput(std::chrono::milliseconds within)
{
    Writer& w = writer();
    std::unique_lock lock(w.mutex);
    return w.allWritten.wait_for(lock, within, [&w] { return w.unwritten == 0; });
}

void printErrorLine(const QString& text)
{
    writeWhole(STDERR_FILENO, text.toUtf8() + '\n');
}
