#pragma once

#include <QByteArray>

// A pipe that a child writes its output into and this process reads to its end.
// It stays open until the last writer has closed it, so whatever a helper the
// child left behind still writes is part of the output.
class OutputPipe {
public:
    OutputPipe();
    ~OutputPipe();
    OutputPipe(const OutputPipe&) = delete;
    OutputPipe& operator=(const OutputPipe&) = delete;

    bool isOpen() const { return readEnd >= 0 && writeEnd >= 0; }
    int readingEnd() const { return readEnd; }
    int writingEnd() const { return writeEnd; }

    // This process's copy of the writing end, closed once the child has it, so
    // that the end of the output is the child's and its helpers' to give.
    void closeWritingEnd();

    // What one read gives once the pipe is readable: empty at the end.
    QByteArray readChunk();

private:
    int readEnd = -1;
    int writeEnd = -1;
};
