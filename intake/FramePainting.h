#pragma once

#include "ClipFrames.h"

#include <QRect>

#include <array>

class QPainter;

// Where the drop area draws the clip's frames: side by side in two cells, each
// picture over the line that holds its time, with the hint's line at the
// bottom, all inside a margin of the area's own colour.
struct FrameLayout {
    std::array<QRect, 2> cells;
    int lineHeight = 0;
    QRect hint;

    // The most room a picture has in its cell.
    QRect pictureBox(std::size_t half) const;
};

FrameLayout frameLayout(const QRect& area, int lineHeight);

// Each picture at its own pixels, or smaller where its box has shrunk since it
// was fetched, with its time right under it; the two centred in their cells.
void paintFrames(QPainter& painter, const FrameLayout& layout, const ClipFrames& frames,
                 qreal devicePixelRatio);
