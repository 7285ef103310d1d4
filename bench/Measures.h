#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <vector>

// One value a timed round for the app and for its floor, from the same rounds.
template <typename Value> struct Paired {
    std::vector<Value> app;
    std::vector<Value> floor;
};
using Samples = Paired<double>;

// An untimed warm-up round, then `runs` rounds of `app` and `floor`. The side
// that goes first alternates, so neither always finds the caches the other left warm.
template <typename App, typename Floor> auto rounds(int runs, App app, Floor floor)
{
    Paired<decltype(app())> samples;
    for (int round = 0; round <= runs; ++round) {
        auto floorValue = round % 2 == 1 ? floor() : decltype(floor()){};
        const auto appValue = app();
        if (round % 2 == 0)
            floorValue = floor();
        if (round > 0) {
            samples.app.push_back(appValue);
            samples.floor.push_back(floorValue);
        }
    }
    return samples;
}

inline double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Runs the program at `path` set up as the app runs its tools (output and
// errors on one channel, no input) while the event loop runs; gives the
// milliseconds from its start to the end of its output, and that output.
// Fails (EventLoop.h) unless the program exits with 0.
struct ProgramRun {
    double milliseconds = 0;
    QByteArray output;
};
ProgramRun runProgram(const QString& path, const QStringList& arguments);
// The same for a tool of the app's resource folder, named as the app names it.
double timeTool(const QString& name, const QStringList& arguments);

// The measures; each fails when a run cannot be taken.

// Milliseconds from spawning a process to its exit once it has drawn the real
// window; the floor draws a bare QWidget.
Samples measureStartup(int runs);

// Peak resident MiB of a process that has drawn the window, had `clip` dropped
// on it and shown its duration; the floor has drawn a bare QWidget.
Samples measurePeakMemory(int runs, const QString& clip);

// Milliseconds from a drop of `clip` on the window to the duration field's new
// text; the floor is ffprobe run directly with the app's arguments.
Samples measureProbe(int runs, const QString& clip);

// The longest gap in the GUI thread's event loop, in milliseconds, from a drop
// to the duration shown, with a stand-in ffprobe that takes 1 s; the floor is
// a bare event loop run for 1 s.
Samples measureProbeGap(int runs);

// Drops of `clip` on the window with the clip from 1 s to 2 s: the
// milliseconds until both frames are drawn, and the longest gap in the event
// loop meanwhile. The floor is ffmpeg run directly for the same two frames.
struct FrameSamples {
    Samples shown;
    Samples longestGap;
};
FrameSamples measureFrames(int runs, const QString& clip);

// The timeline on `clip`: the start handle stepped by key frames across it
// with Page Down (the milliseconds from each key to its frame shown, median
// and 95th percentile of each pass), the exact frame after a drag rests (from
// the release), and the longest gap in the event loop while the start is
// dragged across the bar. The floors are the decoder asked directly for the
// same frames, and a bare event loop paced as the drag.
struct ScrubSamples {
    Samples keyStepMedian;
    Samples keyStep95;
    Samples exactAfterStop;
    Samples longestGap;
};
ScrubSamples measureScrubbing(int runs, const QString& clip);

// Peak resident MiB of a process that has drawn the window and the two frames
// of `clip`, then stepped its start by key frames and frames and dragged it
// across; the floor has drawn a bare QWidget.
Samples measureScrubbedMemory(int runs, const QString& clip);

// Peak resident MiB of a process that has drawn the window and the two frames
// of `clip`; the floor has drawn a bare QWidget.
Samples measureFramesMemory(int runs, const QString& clip);

// Exports of `source` through the window: the milliseconds from the save
// dialog's OK to the save button coming back and to the verdict on the status
// line, and the longest gap in the event loop meanwhile. The floor is ffmpeg run
// directly with the same arguments, then ffprobe on its clip for the verdict.
struct ExportSamples {
    Samples duration;
    Samples verdict;
    Samples longestGap;
};
ExportSamples measureExport(int runs, const QString& source, const QString& outputFolder);

// A 60 s clip of `source` with "Keep quality" ticked, through the window: the
// milliseconds from the save dialog's OK to the verdict on the status line,
// against the same ffmpeg copy and then ffprobe on its clip, run directly; and
// the milliseconds to the verdict for the same clip re-encoded, once, for the
// comparison.
struct CopySamples {
    Samples copy;
    double reEncode = 0;
};
CopySamples measureCopy(int runs, const QString& source, const QString& outputFolder);

// Costs that must not grow with the file. Milliseconds from a drop to the
// duration shown for `longClip`, against `shortClip` as the floor.
Samples measureLengthCost(int runs, const QString& longClip, const QString& shortClip);
// Milliseconds from OK to the end of the busy state for a 3 s clip starting
// `lateStartSeconds` into `source`, against one starting at 0 as the floor.
Samples measureSeekCost(int runs, const QString& source, int lateStartSeconds,
                        const QString& outputFolder);

// What a long sitting leaves behind, in one window with stand-in tools that
// answer at once. After a warm-up, `exports` exports through the real save
// dialog answered from code, as many through a stand-in save panel, then
// `drops` drops. Each run gives one sample a side: resident MiB at its end
// against after its warm-up, and threads and child processes at its end
// against at its start.
struct SoakFigures {
    Samples residentMiB;
    Samples threads;
    Samples children;
};
struct SoakRuns {
    SoakFigures dialogExports;
    SoakFigures seamExports;
    SoakFigures drops;
};
SoakRuns measureSoak(int exports, int drops);

// The cut from the command line: milliseconds for a 3 s clip of `source`,
// against ffmpeg then ffprobe run directly.
Samples measureCut(int runs, const QString& source, const QString& outputFolder);
// Milliseconds from spawning the command-line cut to the start of its ffmpeg,
// a stand-in that only notes the moment; the floor is a bare QCoreApplication,
// in a program that links Qt Core alone, starting the same stand-in.
Samples measureCutStartup(int runs, const QString& source, const QString& folder);

// The start-up and memory measures run a fresh copy of the bench for each
// sample: `velborn-bench --child window|bare [clip [frames]]`, which waits for
// the clip's duration or, given "frames", for its frames. childMain() is that copy.
inline const QString childOption = QStringLiteral("--child");
void childMain(const QStringList& arguments);
