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

// Worked out once, on first use, so export threads only ever read it.
const QString& folderBesideExecutable()
{
    static const QString folder =
        QDir::cleanPath(QDir(QCoreApplication::applicationDirPath())
                            .filePath(QStringLiteral("../" VELBORN_RESOURCE_SUBDIR)));
    return folder;
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
