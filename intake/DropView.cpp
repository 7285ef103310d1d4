#include "DropView.h"

#include "DropViewAccessible.h"

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

DropView::DropView(QWidget* parent)
    : QWidget(parent)
{
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
    installDropViewAccessibility();
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
    // A keyboard user sees where the focus is by a solid, thicker outline.
    if (hasFocus())
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    else
        painter.setPen(QPen(palette().color(QPalette::Mid), 1, Qt::DashLine));
    painter.drawRect(rect().adjusted(1, 1, -1, -1));
    painter.setPen(palette().color(QPalette::Disabled, QPalette::WindowText));
    painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap,
                     tr("Drop a video file here, or click to choose one"));
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

void DropView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit chooseFileRequested();
}

void DropView::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        emit chooseFileRequested();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
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
