#pragma once

#include "ClipRequest.h"

#include <QStringList>

#include <stop_token>

// ffmpeg's command line for the request: "-an" before the output path when the
// audio is to be left out; the streams copied when the request says so.
QStringList clipArguments(const ClipRequest& request);

// Writes the clip on the calling thread (writeClip) until `stop` is requested.
// On the GUI thread, it hands the delegate the progress, ends the busy state
// once ffmpeg is done, and hands over the verdict.
void runClipJob(const ClipRequest& request, int jobId, std::stop_token stop = {});

// Ends job `jobId`'s part of the busy state on the GUI thread: the save button
// comes back, and the indicator stops once no other clip is being written.
// Anything that has gone away meanwhile (the delegate, or a control of a closed
// window) is skipped.
void finishClipJob(const QPointer<ClipJobDelegate>& weakDelegate, const QPointer<QObject>& sender,
                   int jobId);

// Runs the job on a new thread named "velborn" and returns at once with the
// job's number, by which the delegate hears of it.
int startClipJob(const ClipRequest& request);

// Stops every export whose ffmpeg still runs; each ends "not written". Call
// on the GUI thread.
void stopClipJobs();

// How many started jobs have not finished yet.
int runningClipJobCount();

// Returns once every started job has finished, has had its calls to the window
// delivered and its thread deleted, so quitting never leaves a half-written
// clip behind. Stopping the tools ends the jobs within moments. Call on the GUI
// thread; it blocks, whether or not the event loop has been told to quit.
void waitForClipJobs();
