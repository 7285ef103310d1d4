#include "LaunchedWindow.h"

#include "DropView.h"
#include "EventLoop.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

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

    DropView& target = *launched.window.dropView();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(clip)});
    const QPoint point = target.rect().center();
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(point, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QDropEvent drop(QPointF(point), actions, &data, Qt::LeftButton, Qt::NoModifier);
    shown.start();
    QCoreApplication::sendEvent(&target, &enter);
    if (enter.isAccepted())
        QCoreApplication::sendEvent(&target, &drop);
    if (!enter.isAccepted() || !drop.isAccepted())
        fail(QStringLiteral("the drop area refused %1").arg(clip));
    return shown.wait("the duration to be shown");
}
