#pragma once

#include <QString>

#include <vector>

// What one measure gathered: a value per run for the app and for its floor, in
// the same rounds. `error` says why a run could not be measured; the samples
// are then incomplete and not to be reported.
struct Samples {
    std::vector<double> app;
    std::vector<double> floor;
    QString error;
};

// Every measure runs one untimed warm-up round and then `runs` rounds, taking
// the app first in one round and the floor first in the next.

// Milliseconds from spawning a process to its exit, once it has shown the real
// window; the floor shows a bare QWidget.
Samples measureStartup(int runs);

// Milliseconds from a drop of `clip` on the window to the duration field's new
// text; the floor is ffprobe run with the app's arguments, to the end of its output.
Samples measureProbe(int runs, const QString& clip);

// Peak resident MiB of a process that has shown the window, had `clip` dropped
// on it and shown the duration; the floor has shown a bare QWidget.
Samples measurePeakMemory(int runs, const QString& clip);

// One export of `source` per round, through the window and the save button,
// against ffmpeg run directly with the same arguments while the event loop
// waits on it.
struct ExportSamples {
    // Milliseconds from the save dialog's OK to the save button coming back;
    // the floor's run ends with the end of ffmpeg's output.
    Samples duration;
    // The longest the GUI thread's event loop went without running a 1 ms timer
    // meanwhile, in ms, on both sides.
    Samples longestStall;
};
ExportSamples measureExport(int runs, const QString& source, const QString& outputFolder);
