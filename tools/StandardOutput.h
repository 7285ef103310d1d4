#pragma once

#include <QString>

// Writes `text` and a line feed to standard output in one locked write and
// flushes it, so lines printed from different threads never mix.
void printLine(const QString& text);

// The same for bytes written exactly as they are, whatever their encoding.
void printBytesLine(const QByteArray& bytes);

// The same for standard error, for the few things worth telling whoever
// started the application from a terminal.
void printErrorLine(const QString& text);
