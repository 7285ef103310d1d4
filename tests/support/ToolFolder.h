#pragma once

#include <QString>
#include <QTemporaryDir>

// A temporary resource folder holding small shell scripts in place of the real
// programs; it becomes the application's resource folder while it lives.
class ToolFolder {
public:
    ToolFolder();
    ~ToolFolder();
    ToolFolder(const ToolFolder&) = delete;
    ToolFolder& operator=(const ToolFolder&) = delete;

    // Writes an executable `name` whose body is the given shell script.
    void addScript(const QString& name, const QString& body);
    QString path() const { return folder.path(); }
    QString filePath(const QString& name) const { return folder.filePath(name); }

private:
    QTemporaryDir folder;
};

// Makes the build's real ffmpeg and ffprobe the resource folder while it lives.
class BuildToolFolder {
public:
    BuildToolFolder();
    ~BuildToolFolder();
    BuildToolFolder(const BuildToolFolder&) = delete;
    BuildToolFolder& operator=(const BuildToolFolder&) = delete;
};
