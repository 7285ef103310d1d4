#include "StatusText.h"

#include "ClipVerdict.h"

#include <QFileInfo>

namespace {

QString fileNameOf(const QString& path)
{
    return QFileInfo(path).fileName();
}

} // namespace

QString writingStatus(const QString& outputPath)
{
    return QStringLiteral("Writing %1…").arg(fileNameOf(outputPath));
}

QString verdictStatus(const ClipVerdict& verdict)
{
    const QString name = fileNameOf(verdict.outputPath);
    if (!verdict.written)
        return QStringLiteral("Not written: %1").arg(verdict.reason);
    if (!verdict.notChecked.isEmpty())
        return QStringLiteral("Written: %1 (not checked: %2)").arg(name, verdict.notChecked);
    if (verdict.duration.isEmpty())
        return QStringLiteral("Written: %1, duration unknown").arg(name);
    return QStringLiteral("Written: %1, %2").arg(name, verdict.duration);
}

QString readingStatus(const QString& path)
{
    return QStringLiteral("Reading %1…").arg(fileNameOf(path));
}

QString probeStatus(const QString& path, const QString& durationText)
{
    if (!durationText.isEmpty())
        return {};
    return QStringLiteral("No duration: ffprobe could not read %1").arg(fileNameOf(path));
}
