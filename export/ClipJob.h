#pragma once

#include "ClipRequest.h"
#include "ClipVerdict.h"

#include <QStringList>

#include <stop_token>

// ffmpeg's command line for the request: "-an" before the output path when the
// audio is to be left out; the streams copied when the request says so.
QStringList clipArguments(const ClipRequest& request);

// Writes the clip on the calling thread (writeClip) until `stop` is requested.
// On the GUI thread, it hands the delegate the progress, gives Save back once
// ffmpeg is done, and hands over the verdict, which ends the busy state.
void runClipJob(const ClipRequest& request, int jobId, std::stop_token stop = {});

// Once job `jobId`'s ffmpeg is done, on the GUI thread: the save button comes
// back while the clip is checked. Anything that has gone away meanwhile (the
// delegate, or a control of a closed window) is skipped.
void finishClipJob(const QPointer<ClipJobDelegate>& weakDelegate, const QPointer<QObject>& sender,
                   int jobId);

// Ends job `jobId` on the GUI thread with its verdict: the indicator stops
// once no other clip is being written or checked.
void deliverClipVerdict(const QPointer<ClipJobDelegate>& weakDelegate, int jobId,
                        const ClipVerdict& verdict);

// Runs the job on a new thread named "velborn" and returns at once with the
// job's number, by which the delegate hears of it.
int startClipJob(const ClipRequest& request);

// Stops every export that has no verdict yet; each ends "not written". Call
// on the GUI thread.
void stopClipJobs();

// How many started jobs have not finished yet.
int runningClipJobCount();

// Returns once every started job has finished, has had its calls to the window
// delivered and its thread deleted, so quitting never leaves a half-written
// clip behind. Stopping the tools ends the jobs within moments. Call on the GUI
// thread; it blocks, whether or not the event loop has been told to quit.
void waitForClipJobs();
