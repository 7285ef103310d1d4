#pragma once

#include "AppDelegate.h"
#include "MainWindow.h"

#include <QCoreApplication>

// The window and its delegate, wired up in main()'s order, not yet shown.
struct LaunchedWindow {
    LaunchedWindow()
    {
        window.connectDelegate(delegate);
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, &delegate,
                         &AppDelegate::applicationWillTerminate);
        delegate.applicationDidFinishLaunching();
    }

    MainWindow window;
    AppDelegate delegate;
};

// Drops `clip` on the window's drop area as the window system delivers a file
// dragged in from outside, and gives the milliseconds until the duration field
// shows a text.
double dropAndWaitForDuration(LaunchedWindow& launched, const QString& clip);

// The same, until the drop area has drawn the clip's two frames.
double dropAndWaitForFrames(LaunchedWindow& launched, const QString& clip);

// Drops `clip`, waits for its frames, then steps the start handle by key
// frames and by frames across the video, drags it back, and waits for the
// frames to rest.
void scrub(LaunchedWindow& launched, const QString& clip);
