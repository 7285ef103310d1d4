#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What the command line asks for. Qt's own options (-platform, -reverse and the
// like) are left to Qt, whether or not QApplication has taken them out yet, so
// the command line can be read before there is a display.
struct CommandLine {
    enum class Action { Run, PrintHelp, PrintVersion, UsageError };

    Action action = Action::Run;
    std::optional<QString> file; // to open as if dropped, made absolute
    QString text;                // the help, the version, or the one-line error
};

// `arguments` start with the program's name; a relative path gets
// `workingFolder` in front, and nothing else is changed in it.
CommandLine parseCommandLine(const QStringList& arguments, const QString& workingFolder);
