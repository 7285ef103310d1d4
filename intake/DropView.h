#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include <optional>

class QMimeData;

// The window's drop area. It takes a drag that carries a local file and offers
// to copy it, always answering copy. It lights up while such a drag is over it,
// and at the end of a drop announces the path of the last file dropped on it
// through fileDropped. A click, or Enter or Space while it has the focus, asks
// for a file to be chosen instead.
class DropView : public QWidget {
    Q_OBJECT

public:
    static inline const QColor restingColor{0xFF, 0xFF, 0xFF};
    static inline const QColor highlightColor{0xAA, 0xAA, 0xAA};

    explicit DropView(QWidget* parent = nullptr);

    // The path of the first file the drag carries: only a local file counts.
    static std::optional<QString> firstFilename(const QMimeData* data);

    QColor backgroundColor() const { return background; }

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

    std::optional<QString> filePath; // of the last successful drop
    QColor background = restingColor;
};
