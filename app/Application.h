#pragma once

#include <QString>

#include <optional>

class AppDelegate;
class MainWindow;

// Launches the delegate, shows the window, opens `fileToOpen` as if it had
// been dropped, and runs the event loop. Closing the window ends the loop; any
// clip still being written is then waited for, so none is left half-written.
// Gives the event loop's exit code.
int runApplication(MainWindow& window, AppDelegate& delegate,
                   const std::optional<QString>& fileToOpen = std::nullopt);

// Everything main() does: the command line, the application, its window and
// delegate, and an orderly end on a termination signal.
int applicationMain(int argc, char* argv[]);
