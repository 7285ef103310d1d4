#pragma once

#include "ResourceFolder.h"

#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QWidget>

#include <chrono>
#include <optional>
#include <ostream>

// Runs the event loop until `done` holds, for up to `ms`; gives `done`.
inline bool waitFor(const std::function<bool()>& done, int ms = 30'000)
{
    return QTest::qWaitFor(done, ms);
}

// A time in seconds, to the nearest microsecond.
inline std::chrono::microseconds secondsAt(double seconds)
{
    return std::chrono::microseconds(static_cast<long long>(seconds * 1e6 + 0.5));
}

// A temporary resource folder, the application's own while it lives.
class ToolFolder : public QTemporaryDir {
public:
    ToolFolder() { overrideResourceFolder(path()); }
    ~ToolFolder() { overrideResourceFolder(QString()); }
    // An executable `name` running a shell script, or the build's real tool.
    void addScript(const QString& name, const QString& body);
    void linkBuildTool(const QString& name);
};

// A drag event of `type` (enter, move, leave or drop) carrying `urls`, as the
// window system delivers it, from a source offering `offered` with `modifiers`
// held; gives the action `target` answered, nothing if it refused.
std::optional<Qt::DropAction> answerToDrag(QWidget& target, QEvent::Type type,
                                           const QList<QUrl>& urls = {},
                                           Qt::DropActions offered = Qt::CopyAction,
                                           Qt::KeyboardModifiers modifiers = {});
// Enters and drops local files, as a person dragging them onto the widget does.
bool dragAndDropFiles(QWidget& target, const QStringList& paths);

// The bytes of a file; none when it cannot be read.
QByteArray contentsOf(const QString& path);
// Makes or replaces a file holding `bytes`; false when it cannot.
bool writeContents(const QString& path, const QByteArray& bytes);

// What the build's `name` (ffmpeg or ffprobe) writes on standard output, if it succeeds.
QByteArray buildToolOutput(const QString& name, const QStringList& arguments);

// A clip of FFmpeg's test pattern and a sine tone; the tone alone without a size.
bool makeTestClip(const QString& path, double seconds, const QString& size = "160x120");

// How many pixels of the left (0) or right (1) half of what `widget` shows
// pass `test`.
int pixelsInHalf(QWidget& widget, int half, const std::function<bool(QColor)>& test);

// The build's ffprobe on a file: its streams' kinds, then its duration in
// seconds to a tenth ("video", "audio", "3.0").
QStringList probeMediaFacts(const QString& path);

// Lets checks print a QString as text, alone or in a list.
inline void PrintTo(const QString& text, std::ostream* stream)
{
    *stream << '"' << text.toStdString() << '"';
}
