#pragma once

class AppDelegate;
class MainWindow;

// Launches the delegate, shows the window and runs the event loop. Closing the
// window ends the loop; any clip still being written is then waited for, so
// none is left half-written. Gives the event loop's exit code.
int runApplication(MainWindow& window, AppDelegate& delegate);

// Everything main() does: the application, its window and delegate, and an
// orderly end on a termination signal.
int applicationMain(int argc, char* argv[]);
