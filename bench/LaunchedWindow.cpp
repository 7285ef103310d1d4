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
