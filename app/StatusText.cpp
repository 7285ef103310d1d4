#include "StatusText.h"

#include "ClipVerdict.h"

#include <QFileInfo>

namespace {

QString fileNameOf(const QString& path)
{
    return QFileInfo(path).fileName();
}

} // namespace

QString writingStatus(const QList<WritingClip>& clips)
{
    if (clips.size() > 1)
        return QStringLiteral("Writing %1 clips…").arg(clips.size());
    if (clips.isEmpty())
        return {};
    const WritingClip& clip = clips.first();
    const QString writing = QStringLiteral("Writing %1…").arg(fileNameOf(clip.outputPath));
    return clip.percent ? writing + QStringLiteral(" %1%").arg(*clip.percent) : writing;
}

QString combinedStatus(const QString& said, const QString& writing)
{
    if (said.isEmpty() || writing.isEmpty())
        return said + writing;
    return said + QStringLiteral(" · ") + writing;
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
    const QString written = QStringLiteral("Written: %1, %2").arg(name, verdict.duration);
    if (verdict.copiedFrom.isEmpty())
        return written;
    return written + QStringLiteral(", copied from the key frame at %1").arg(verdict.copiedFrom);
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
