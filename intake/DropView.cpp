#include "DropView.h"

#include "DropViewAccessible.h"
#include "FramePainting.h"

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
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

namespace {

// A file URL names a file here only without a host or with this machine's
// name for itself; QUrl would make "//host/path" of any other.
bool namesLocalFile(const QUrl& url)
{
    return url.isLocalFile() && (url.host().isEmpty() || url.host() == QStringLiteral("localhost"));
}

// The file is offered for copying, so the source keeps it whatever happens here.
bool offersCopy(const QDropEvent& event)
{
    return event.possibleActions().testFlag(Qt::CopyAction);
}

// Only a copy is ever taken: a drag that offers the file only to be moved or
// linked is refused, so that no source deletes a video it has handed over.
bool acceptAsCopy(QDropEvent& event)
{
    if (!offersCopy(event) || !DropView::firstFilename(event.mimeData())) {
        event.ignore();
        return false;
    }
    event.setDropAction(Qt::CopyAction);
    event.accept();
    return true;
}

} // namespace

std::optional<QString> DropView::firstFilename(const QMimeData* data)
{
    if (data == nullptr || !data->hasUrls())
        return std::nullopt;
    const QList<QUrl> urls = data->urls();
    if (urls.isEmpty() || !namesLocalFile(urls.first()))
        return std::nullopt;
    return urls.first().adjusted(QUrl::RemoveAuthority).toLocalFile();
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
    const QString hint = tr("Drop a video file here, or click to choose one");
    if (!frames) {
        paintHint(painter, rect().adjusted(8, 8, -8, -8), hint, Qt::AlignCenter | Qt::TextWordWrap);
        return;
    }
    const FrameLayout layout = frameLayout(rect(), fontMetrics().height());
    painter.setPen(palette().color(QPalette::WindowText));
    paintFrames(painter, layout, *frames, devicePixelRatioF());
    const QString missing = noPictureText(*frames);
    paintHint(painter, layout.hint,
              fontMetrics().elidedText(missing.isEmpty() ? hint : missing, Qt::ElideRight,
                                       layout.hint.width()),
              Qt::AlignCenter);
}

void DropView::paintHint(QPainter& painter, const QRect& area, const QString& text, int flags)
{
    painter.setPen(palette().color(QPalette::Disabled, QPalette::WindowText));
    painter.drawText(area, flags, text);
}

void DropView::showFrames(const ClipFrames& shown)
{
    frames = shown;
    describe(frames);
    update();
}

void DropView::clearFrames()
{
    if (!frames)
        return;
    frames.reset();
    describe(frames);
    update();
}

QSize DropView::framePixelSize() const
{
    const QRect box = frameLayout(rect(), fontMetrics().height()).pictureBox(0);
    // Rounded down: a frame one pixel too large would be shrunk, and blurred.
    const qreal ratio = devicePixelRatioF();
    return {static_cast<int>(box.width() * ratio), static_cast<int>(box.height() * ratio)};
}

void DropView::describe(const std::optional<ClipFrames>& shown)
{
    if (!restingDescription)
        restingDescription = accessibleDescription();
    setAccessibleDescription(shown ? framesDescription(*shown) : *restingDescription);
}

void DropView::dragEnterEvent(QDragEnterEvent* event)
{
    if (acceptAsCopy(*event))
        setBackgroundColor(highlightColor);
}

// The source may propose another action as the drag goes on, when a modifier
// key is pressed for instance; the answer stays copy.
void DropView::dragMoveEvent(QDragMoveEvent* event)
{
    acceptAsCopy(*event);
}

void DropView::dragLeaveEvent(QDragLeaveEvent* event)
{
    setBackgroundColor(restingColor);
    event->accept();
}

void DropView::dropEvent(QDropEvent* event)
{
    if (acceptAsCopy(*event))
        performDragOperation(event->mimeData());
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
