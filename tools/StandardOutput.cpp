#include "StandardOutput.h"

#include <cstdio>

namespace {

void writeLine(std::FILE* stream, const QString& text)
{
    const QByteArray line = text.toUtf8() + '\n';
    flockfile(stream);
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stream);
    std::fflush(stream);
    funlockfile(stream);
}

} // namespace

void printLine(const QString& text)
{
    writeLine(stdout, text);
}

void printErrorLine(const QString& text)
{
    writeLine(stderr, text);
}
