#include "StandardOutput.h"

#include <cstdio>

void printLine(const QString& text)
{
    const QByteArray line = text.toUtf8() + '\n';
    flockfile(stdout);
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
    std::fflush(stdout);
    funlockfile(stdout);
}
