#include "OutputFile.h"

#include <QFile>
#include <QFileInfo>

FileState fileStateOf(const QString& path)
{
    const QFileInfo file(path);
    if (!file.exists())
        return {};
    return {true, file.size(), file.lastModified()};
}

void removeIfChanged(const QString& path, const FileState& before)
{
    const FileState after = fileStateOf(path);
    if (after.exists && after != before)
        QFile::remove(path);
}
