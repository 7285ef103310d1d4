#include "ResourceFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QString& overriddenFolder()
{
    static QString folder;
    return folder;
}

QString folderBesideExecutable()
{
    const QDir binDir(QCoreApplication::applicationDirPath());
    return QDir::cleanPath(binDir.filePath(QStringLiteral("../" VELBORN_RESOURCE_SUBDIR)));
}

} // namespace

QString resourceFolder()
{
    const QString& overridden = overriddenFolder();
    return overridden.isEmpty() ? folderBesideExecutable() : overridden;
}

void overrideResourceFolder(const QString& folder)
{
    overriddenFolder() = folder;
}

QString pathForResource(const QString& name)
{
    const QFileInfo file(QDir(resourceFolder()), name);
    return file.isFile() ? file.absoluteFilePath() : QString();
}
