#pragma once

#include "ClipRequest.h"

#include <QStringList>

// ffmpeg's command line for the request: "-an" before the output path when the
// audio is to be left out.
QStringList clipArguments(const ClipRequest& request);

// Writes the clip on the calling thread (writeClip), asks the GUI thread to end
// the busy state once ffmpeg is done, and hands the verdict to the delegate on
// the GUI thread.
void runClipJob(const ClipRequest& request);

// Ends the busy state on the GUI thread. Anything that has gone away meanwhile
// (the delegate, or a control of a closed window) is skipped.
void finishClipJob(const QPointer<ClipJobDelegate>& weakDelegate, const QPointer<QObject>& sender);

// Runs the job on a new thread named "velborn" and returns at once.
void startClipJob(const ClipRequest& request);

// How many started jobs have not finished yet.
int runningClipJobCount();

// Returns once every started job has finished, has had its calls to the window
// delivered and its thread deleted, so quitting never leaves a half-written
// clip behind. Stopping the tools ends the jobs within moments. Call on the GUI
// thread; it blocks, whether or not the event loop has been told to quit.
void waitForClipJobs();
