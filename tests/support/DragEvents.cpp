#include "DragEvents.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDropEvent>

std::unique_ptr<QMimeData> mimeWithUrls(const QList<QUrl>& urls)
{
    auto data = std::make_unique<QMimeData>();
    data->setUrls(urls);
    return data;
}

bool sendDragEnter(QWidget& target, const QMimeData& data)
{
    QDragEnterEvent event(target.rect().center(), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&target, &event);
    return event.isAccepted();
}

void sendDragLeave(QWidget& target)
{
    QDragLeaveEvent event;
    QCoreApplication::sendEvent(&target, &event);
}

bool sendDrop(QWidget& target, const QMimeData& data)
{
    QDropEvent event(target.rect().center(), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&target, &event);
    return event.isAccepted();
}

bool dragAndDropFiles(QWidget& target, const QStringList& paths)
{
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    const auto data = mimeWithUrls(urls);
    return sendDragEnter(target, *data) && sendDrop(target, *data);
}
