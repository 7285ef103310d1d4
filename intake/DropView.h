#pragma once

#include "ClipFrames.h"

#include <QColor>
#include <QString>
#include <QWidget>

#include <optional>

class QMimeData;
class QPainter;

// The window's drop area. It takes a drag that carries a local file and offers
// to copy it, always answering copy. It lights up while such a drag is over it,
// and at the end of a drop announces the path of the last file dropped on it
// through fileDropped. A click, or Enter or Space while it has the focus, asks
// for a file to be chosen instead. Once a file is chosen it can show the clip's
// first and last frame, with the hint in one line under them.
class DropView : public QWidget {
    Q_OBJECT

public:
    static inline const QColor restingColor{0xFF, 0xFF, 0xFF};
    static inline const QColor highlightColor{0xAA, 0xAA, 0xAA};

    explicit DropView(QWidget* parent = nullptr);

    // The path of the first file the drag carries: only a local file counts.
    static std::optional<QString> firstFilename(const QMimeData* data);

    QColor backgroundColor() const { return background; }

    // Shows the two frames, or says which have no picture, until they are
    // cleared or replaced. Screen readers hear what is shown.
    void showFrames(const ClipFrames& frames);
    void clearFrames();
    const std::optional<ClipFrames>& shownFrames() const { return frames; }
    // The most device pixels a frame can be shown at, for the area's size now.
    QSize framePixelSize() const;

signals:
    void fileDropped(const QString& path);
    void chooseFileRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool performDragOperation(const QMimeData* data);
    void draggingEnded();
    void setBackgroundColor(const QColor& color);
    void paintHint(QPainter& painter, const QRect& area, const QString& text, int flags);
    void describe(const std::optional<ClipFrames>& shown);

    std::optional<QString> filePath; // of the last successful drop
    QColor background = restingColor;
    std::optional<ClipFrames> frames;
    std::optional<QString> restingDescription; // the form's, while no frames are shown
};
