#pragma once

#include "ClipRequest.h"
#include "CommandLine.h"

// The request the window would make of the same times, files and choice: the
// times normalised as the window normalises its fields.
ClipRequest clipRequestFor(const CommandLine::Cut& cut);

// Makes the cut with no window and no display: ffmpeg's output on standard
// output, a progress line on standard error when it is a terminal, then the
// window's verdict line. An existing output is left alone unless `overwrite`.
// Gives 0 when the clip is written and 1 when it is not; a termination signal
// stops ffmpeg, removes the unfinished clip (or keeps, unchecked, one that
// ffmpeg has finished), says so and ends the process by that signal.
int runCut(const CommandLine::Cut& cut, int& argc, char* argv[]);
