#include "LaunchedWindow.h"

#include "DropView.h"
#include "EventLoop.h"
#include "TestSupport.h"

#include <QLineEdit>

double dropAndWaitForDuration(LaunchedWindow& launched, const QString& clip)
{
    // The same clip gives the same text and only a change is seen: start empty.
    QLineEdit& duration = *launched.delegate.durationTextField();
    duration.clear();
    QCoreApplication::processEvents();
    TimedWait shown;
    QObject::connect(&duration, &QLineEdit::textChanged, &shown, [&shown](const QString& text) {
        if (!text.isEmpty())
            shown.done();
    });

    shown.start();
    if (!dragAndDropFiles(*launched.window.dropView(), {clip}))
        fail(QStringLiteral("the drop area refused %1").arg(clip));
    return shown.wait("the duration to be shown");
}

double dropAndWaitForFrames(LaunchedWindow& launched, const QString& clip)
{
    DropView& view = *launched.window.dropView();
    TimedWait shown;
    shown.start();
    if (!dragAndDropFiles(view, {clip}))
        fail(QStringLiteral("the drop area refused %1").arg(clip));
    // The drop has cleared the frames of any earlier one: the next to be
    // drawn are this clip's.
    const EventWatch painted(view, QEvent::Paint, [&] {
        if (view.accessibleDescription().startsWith(QStringLiteral("Frames at")))
            shown.done();
    });
    return shown.wait("the frames to be shown");
}
