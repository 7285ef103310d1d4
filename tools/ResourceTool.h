#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

// How long a program may run before it is killed; no limit when absent.
using ToolTimeLimit = std::optional<std::chrono::milliseconds>;

// Runs the program named exactly `program` from the resource folder with
// `arguments`, each passed as one argument with no shell in between. Standard
// output and standard error share one channel, standard input is the null
// device, and the child is always reaped. Gives everything the program wrote,
// or nothing when the program is missing, cannot start, or outlives `limit`
// (it is then killed). The exit status is not looked at: a failing program's
// messages are its output like any other.
std::optional<QByteArray> runResourceToolBytes(const QString& program, const QStringList& arguments,
                                               ToolTimeLimit limit = std::nullopt);

// The same run, its output decoded as UTF-8: nothing when the bytes are not
// valid UTF-8. Empty output is the empty text, which is present.
std::optional<QString> runResourceTool(const QString& program, const QStringList& arguments,
                                       ToolTimeLimit limit = std::nullopt);

// Strict UTF-8 decoding: nothing for bytes that are not valid UTF-8.
std::optional<QString> decodeUtf8(const QByteArray& bytes);
