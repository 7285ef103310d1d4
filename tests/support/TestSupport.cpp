#include "TestSupport.h"

#include <QDropEvent>
#include <QMimeData>
#include <QProcess>

bool sendDrag(QWidget& target, QEvent::Type type, const QList<QUrl>& urls)
{
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(target.rect().center(), Qt::CopyAction, &data, Qt::LeftButton, {});
    QDropEvent drop(target.rect().center(), Qt::CopyAction, &data, Qt::LeftButton, {});
    QDragLeaveEvent leave;
    QEvent& event = type == QEvent::Drop        ? drop
                    : type == QEvent::DragLeave ? static_cast<QEvent&>(leave)
                                                : enter;
    QCoreApplication::sendEvent(&target, &event);
    return event.isAccepted();
}

bool dragAndDropFiles(QWidget& target, const QStringList& paths)
{
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    return sendDrag(target, QEvent::DragEnter, urls) && sendDrag(target, QEvent::Drop, urls);
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

static QString runBuildTool(const QString& name, const QStringList& arguments)
{
    QProcess process;
    process.start(VELBORN_BUILD_RESOURCE_DIR "/" + name, arguments);
    process.waitForFinished(-1);
    return process.exitCode() == 0 ? QString::fromUtf8(process.readAllStandardOutput()) : "";
}

bool makeTestClip(const QString& path, double seconds, const QString& size)
{
    const QString length = QString::number(seconds);
    runBuildTool("ffmpeg", {"-y", "-v", "error", "-f", "lavfi", "-i",
                            "testsrc=size=" + size + ":rate=24:duration=" + length, "-f", "lavfi",
                            "-i", "sine=duration=" + length, "-pix_fmt", "yuv420p", path});
    return QFile::exists(path);
}

QStringList probeMediaFacts(const QString& path)
{
    QStringList facts = runBuildTool("ffprobe", {"-v", "error", "-of", "csv=p=0", "-show_entries",
                                                 "stream=codec_type:format=duration", path})
                            .split('\n', Qt::SkipEmptyParts);
    if (!facts.isEmpty())
        facts.last() = QString::number(facts.last().toDouble(), 'f', 1);
    return facts;
}
