#include "DropView.h"

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>
#include <QUrl>

DropView::DropView(QWidget* parent)
    : QWidget(parent)
{
    setAcceptDrops(true);
}

std::optional<QString> DropView::firstFilename(const QMimeData* data)
{
    if (data == nullptr || !data->hasUrls())
        return std::nullopt;
    const QList<QUrl> urls = data->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile())
        return std::nullopt;
    return urls.first().toLocalFile();
}

void DropView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), background);
    painter.setPen(QPen(palette().color(QPalette::Mid), 1, Qt::DashLine));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.setPen(palette().color(QPalette::Disabled, QPalette::WindowText));
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, tr("Drop a video file here"));
}

void DropView::dragEnterEvent(QDragEnterEvent* event)
{
    if (!firstFilename(event->mimeData())) {
        event->ignore();
        return;
    }
    setBackgroundColor(highlightColor);
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void DropView::dragLeaveEvent(QDragLeaveEvent* event)
{
    setBackgroundColor(restingColor);
    event->accept();
}

void DropView::dropEvent(QDropEvent* event)
{
    if (performDragOperation(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
    draggingEnded();
}

bool DropView::performDragOperation(const QMimeData* data)
{
    const std::optional<QString> path = firstFilename(data);
    if (!path)
        return false;
    filePath = path;
    return true;
}

// Hands over the last path dropped here, even when this drag brought none of
// its own: the file already chosen is announced again.
void DropView::draggingEnded()
{
    setBackgroundColor(restingColor);
    if (filePath)
        emit fileDropped(*filePath);
}

void DropView::setBackgroundColor(const QColor& color)
{
    if (background == color)
        return;
    background = color;
    update();
}
