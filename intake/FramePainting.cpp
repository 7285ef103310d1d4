#include "FramePainting.h"

#include <QPainter>

#include <cmath>

namespace {

constexpr int margin = 12;
constexpr int gap = 12;
constexpr int spacing = 4;

qreal onDevicePixel(qreal position, qreal devicePixelRatio)
{
    return std::round(position * devicePixelRatio) / devicePixelRatio;
}

// Centred in the cell with the time line under it, on whole device pixels, so
// that a picture of the box's own size is copied pixel for pixel.
QRectF pictureRect(const FrameLayout& layout, std::size_t half, QSize pixels,
                   qreal devicePixelRatio)
{
    const QRect box = layout.pictureBox(half);
    QSizeF size = QSizeF(pixels) / devicePixelRatio;
    if (size.width() > box.width() || size.height() > box.height())
        size.scale(QSizeF(box.size()), Qt::KeepAspectRatio);
    const QRect& cell = layout.cells[half];
    const qreal used = size.height() + spacing + layout.lineHeight;
    return {
        QPointF(onDevicePixel(cell.left() + (cell.width() - size.width()) / 2, devicePixelRatio),
                onDevicePixel(cell.top() + (cell.height() - used) / 2, devicePixelRatio)),
        size};
}

} // namespace

QRect FrameLayout::pictureBox(std::size_t half) const
{
    return cells[half].adjusted(0, 0, 0, -(spacing + lineHeight));
}

FrameLayout frameLayout(const QRect& area, int lineHeight)
{
    const QRect inner = area.adjusted(margin, margin, -margin, -margin);
    const int halfWidth = (inner.width() - gap) / 2;
    FrameLayout layout;
    layout.lineHeight = lineHeight;
    for (std::size_t half = 0; half < 2; ++half) {
        const int left = inner.left() + static_cast<int>(half) * (halfWidth + gap);
        layout.cells[half] =
            QRect(left, inner.top(), halfWidth, inner.height() - lineHeight - spacing);
    }
    layout.hint = QRect(inner.left(), inner.bottom() + 1 - lineHeight, inner.width(), lineHeight);
    return layout;
}

void paintFrames(QPainter& painter, const FrameLayout& layout, const ClipFrames& frames,
                 qreal devicePixelRatio)
{
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const std::array<const ClipFrame*, 2> halves{&frames.first, &frames.last};
    for (std::size_t half = 0; half < halves.size(); ++half) {
        const QImage& picture = halves[half]->picture;
        if (picture.isNull())
            continue;
        const QRectF shown = pictureRect(layout, half, picture.size(), devicePixelRatio);
        painter.drawImage(shown, picture);
        const QRectF line(layout.cells[half].left(), shown.bottom() + spacing,
                          layout.cells[half].width(), layout.lineHeight);
        painter.drawText(line, Qt::AlignCenter, halves[half]->time);
    }
}
