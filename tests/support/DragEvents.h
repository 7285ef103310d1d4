#pragma once

#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <memory>

// Drag and drop as the window system delivers it, synthesized for tests.
std::unique_ptr<QMimeData> mimeWithUrls(const QList<QUrl>& urls);
std::unique_ptr<QMimeData> mimeWithFiles(const QStringList& paths);

// Each gives whether the widget accepted the event.
bool sendDragEnter(QWidget& target, const QMimeData& data);
void sendDragLeave(QWidget& target);
bool sendDrop(QWidget& target, const QMimeData& data);

// Enter and drop, as a person dragging files onto the widget does.
bool dragAndDropFiles(QWidget& target, const QStringList& paths);
