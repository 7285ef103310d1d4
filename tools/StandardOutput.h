#pragma once

#include <QString>

#include <chrono>

// One thread owns standard output. Every other thread hands it whole lines and
// returns at once, so a reader that stalls holds that thread alone. Lines keep
// the order in which they were handed over. Past a few MiB waiting, further
// lines are dropped, and standard error says so once for each such spell. A
// closed reader costs the lines written to it, not the application.

// `text` and a line feed, as UTF-8.
void printLine(const QString& text);

// `bytes` exactly as they are, whatever their encoding, and a line feed.
void printBytesLine(const QByteArray& bytes);

// Waits up to `within` for every line handed over so far to be written; false
// when some are still waiting.
bool flushStandardOutput(std::chrono::milliseconds within);

// Writes `text` and a line feed to standard error at once, for the few things
// worth telling whoever started the application from a terminal.
void printErrorLine(const QString& text);
