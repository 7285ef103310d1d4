#pragma once

#include "TimeCode.h"

#include <QString>
#include <QStringList>

#include <optional>

// What the command line asks for. Qt's own options (-platform, -reverse and the
// like) are left to Qt, whether or not QApplication has taken them out yet, so
// the command line can be read before there is a display.
struct CommandLine {
    enum class Action { Run, Cut, PrintHelp, PrintVersion, UsageError };

    // A cut to make without a window: the four fields of each time as the
    // window would hold them, and the files made absolute.
    struct Cut {
        TimeTexts start;
        TimeTexts length;
        bool removeAudio = false;
        bool copy = false; // the streams copied from the key frame at or before the start
        bool overwrite = false;
        // ".mp4" added when it has no suffix, as the save dialog does; only
        // single-file containers' suffixes are taken
        QString output;
        QString video;
    };

    Action action = Action::Run;
    std::optional<QString> file; // to open as if dropped, made absolute
    QString text;                // the help, the version, or the one-line error
    std::optional<Cut> cut;
};

// `arguments` start with the program's name; a relative path gets
// `workingFolder` in front, and nothing else is changed in it. Without a
// working folder (its name is not UTF-8) a relative path is a usage error.
CommandLine parseCommandLine(const QStringList& arguments,
                             const std::optional<QString>& workingFolder);
