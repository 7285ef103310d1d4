#pragma once

#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <memory>

// Drag and drop as the window system delivers it, synthesized. Each send gives
// whether the widget accepted the event.
std::unique_ptr<QMimeData> mimeWithUrls(const QList<QUrl>& urls);
bool sendDragEnter(QWidget& target, const QMimeData& data);
void sendDragLeave(QWidget& target);
bool sendDrop(QWidget& target, const QMimeData& data);

// Enters and drops local files, as a person dragging them onto the widget does.
bool dragAndDropFiles(QWidget& target, const QStringList& paths);
