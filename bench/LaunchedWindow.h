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
