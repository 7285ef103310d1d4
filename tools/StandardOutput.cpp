#include "StandardOutput.h"

#include <cstdio>

namespace {

void writeLine(std::FILE* stream, const QByteArray& bytes)
{
    const QByteArray line = bytes + '\n';
    flockfile(stream);
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stream);
    std::fflush(stream);
    funlockfile(stream);
}

} // namespace

void printLine(const QString& text)
{
    writeLine(stdout, text.toUtf8());
}

void printErrorLine(const QString& text)
{
    writeLine(stderr, text.toUtf8());
}

void printBytesLine(const QByteArray& bytes)
{
    writeLine(stdout, bytes);
}
