#include "ToolFolder.h"

#include "ResourceFolder.h"

#include <QFile>

ToolFolder::ToolFolder()
{
    overrideResourceFolder(folder.path());
}

ToolFolder::~ToolFolder()
{
    overrideResourceFolder(QString());
}

void ToolFolder::addScript(const QString& name, const QString& body)
{
    QFile script(folder.filePath(name));
    if (!script.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(script.fileName()));
    script.write("#!/bin/sh\n" + body.toUtf8() + '\n');
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

BuildToolFolder::BuildToolFolder()
{
    overrideResourceFolder(QStringLiteral(VELBORN_BUILD_RESOURCE_DIR));
}

BuildToolFolder::~BuildToolFolder()
{
    overrideResourceFolder(QString());
}
