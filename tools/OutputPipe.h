#pragma once

#include <QByteArray>
#include <QDeadlineTimer>

// A pipe that a child writes its output into and this process reads to its end.
// QProcess closes its own pipes as soon as the child exits, and so drops what a
// helper the child left behind still writes; this pipe stays open until the
// last writer has closed it.
class OutputPipe {
public:
    OutputPipe();
    ~OutputPipe();
    OutputPipe(const OutputPipe&) = delete;
    OutputPipe& operator=(const OutputPipe&) = delete;

    bool isOpen() const { return readEnd >= 0 && writeEnd >= 0; }

    // Makes the pipe the calling process's standard output and error. For the
    // child between fork and exec, so it makes only async-signal-safe calls.
    void becomeStandardOutputAndError() const;

    // This process's copy of the writing end, closed once the child has it, so
    // that the end of the output is the child's and its helpers' to give.
    void closeWritingEnd();

    // Appends everything written to `output` until the last writer closes the
    // pipe; false if the deadline came first.
    bool readToEnd(QByteArray& output, QDeadlineTimer deadline);

private:
    int readEnd = -1;
    int writeEnd = -1;
};

// What is left of `deadline` in milliseconds, as poll and QProcess's waits take
// it: -1 when it never comes.
int timeoutLeft(const QDeadlineTimer& deadline);
