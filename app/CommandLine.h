#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What the command line asks for. Qt's own options (-platform and the like)
// are taken out by QApplication before this sees the arguments.
struct CommandLine {
    enum class Action { Run, PrintHelp, PrintVersion, UsageError };

    Action action = Action::Run;
    std::optional<QString> file; // to open as if dropped, made absolute
    QString text;                // the help, the version, or the one-line error
};

// `arguments` start with the program's name; a relative path is taken from
// `workingFolder`.
CommandLine parseCommandLine(const QStringList& arguments, const QString& workingFolder);
