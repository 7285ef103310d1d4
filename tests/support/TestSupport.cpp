#include "TestSupport.h"

#include <QDropEvent>
#include <QMimeData>
#include <QProcess>

#include <thread>

std::optional<Qt::DropAction> answerToDrag(QWidget& target, QEvent::Type type,
                                           const QList<QUrl>& urls, Qt::DropActions offered,
                                           Qt::KeyboardModifiers modifiers)
{
    QMimeData data;
    data.setUrls(urls);
    const QPoint centre = target.rect().center();
    QDragEnterEvent enter(centre, offered, &data, Qt::LeftButton, modifiers);
    QDragMoveEvent move(centre, offered, &data, Qt::LeftButton, modifiers);
    QDropEvent drop(centre, offered, &data, Qt::LeftButton, modifiers);
    QDragLeaveEvent leave;
    QDropEvent* dropEvent = type == QEvent::DragEnter  ? &enter
                            : type == QEvent::DragMove ? &move
                            : type == QEvent::Drop     ? &drop
                                                       : nullptr;
    QEvent& event = dropEvent ? *dropEvent : static_cast<QEvent&>(leave);
    QCoreApplication::sendEvent(&target, &event);
    if (!event.isAccepted())
        return std::nullopt;
    return dropEvent ? dropEvent->dropAction() : Qt::IgnoreAction;
}

bool dragAndDropFiles(QWidget& target, const QStringList& paths)
{
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    return answerToDrag(target, QEvent::DragEnter, urls) &&
           answerToDrag(target, QEvent::Drop, urls);
}

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeContents(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

void ToolFolder::addScript(const QString& name, const QString& body)
{
    QFile script(filePath(name));
    if (!script.open(QIODevice::WriteOnly) || script.write("#!/bin/sh\n" + body.toUtf8()) < 0)
        qFatal("cannot write %s", qPrintable(script.fileName()));
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void ToolFolder::linkBuildTool(const QString& name)
{
    QFile::remove(filePath(name));
    QFile::link(VELBORN_BUILD_RESOURCE_DIR "/" + name, filePath(name));
}

// On a thread of its own: QProcess starts its child with a vfork-like clone
// that ThreadSanitizer cannot see, and the child, running on the starting
// thread's memory, leaves that thread's locks unseen from then on.
QByteArray buildToolOutput(const QString& name, const QStringList& arguments)
{
    QByteArray output;
    std::thread([&] {
        QProcess process;
        process.start(VELBORN_BUILD_RESOURCE_DIR "/" + name, arguments);
        process.waitForFinished(-1);
        if (process.exitCode() == 0)
            output = process.readAllStandardOutput();
    }).join();
    return output;
}

bool makeTestClip(const QString& path, double seconds, const QString& size)
{
    const QString length = QString::number(seconds);
    const QStringList picture{"-f", "lavfi", "-i",
                              "testsrc=size=" + size + ":rate=24:duration=" + length};
    buildToolOutput("ffmpeg", QStringList{"-y", "-v", "error"} +
                                  (size.isEmpty() ? QStringList() : picture) +
                                  QStringList{"-f", "lavfi", "-i", "sine=duration=" + length,
                                              "-pix_fmt", "yuv420p", path});
    return QFile::exists(path);
}

QStringList probeMediaFacts(const QString& path)
{
    QStringList facts =
        QString(buildToolOutput("ffprobe", {"-v", "error", "-of", "csv=p=0", "-show_entries",
                                            "stream=codec_type:format=duration", path}))
            .split('\n', Qt::SkipEmptyParts);
    // A transport stream lists its streams once more for its program.
    for (QString& fact : facts)
        fact = fact.section(',', 0, 0);
    facts.removeDuplicates();
    if (!facts.isEmpty())
        facts.last() = QString::number(facts.last().toDouble(), 'f', 1);
    return facts;
}

int pixelsInHalf(QWidget& widget, int half, const std::function<bool(QColor)>& test)
{
    const QImage shown = widget.grab().toImage();
    const int width = shown.width() / 2;
    int count = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = half * width; x < (half + 1) * width; ++x)
            count += test(shown.pixelColor(x, y)) ? 1 : 0;
    }
    return count;
}
