#include "StatusText.h"

#include "ClipVerdict.h"

#include <QFileInfo>

namespace {

QString fileNameOf(const QString& path)
{
    return escapedControls(QFileInfo(path).fileName());
}

bool breaksText(QChar c)
{
    const QChar::Category category = c.category();
    return category == QChar::Other_Control || category == QChar::Separator_Line ||
           category == QChar::Separator_Paragraph;
}

QString escaped(QChar c)
{
    if (c == u'\n')
        return QStringLiteral("\\n");
    if (c == u'\t')
        return QStringLiteral("\\t");
    if (c.unicode() <= 0xff)
        return QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
    return QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
}

} // namespace

QString writingStatus(const QList<WritingClip>& clips)
{
    if (clips.size() > 1)
        return QStringLiteral("Writing %1 clips…").arg(clips.size());
    if (clips.isEmpty())
        return {};
    const WritingClip& clip = clips.first();
    if (clip.checking)
        return QStringLiteral("Checking %1…").arg(fileNameOf(clip.outputPath));
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
        return QStringLiteral("Not written: %1").arg(escapedControls(verdict.reason));
    if (!verdict.notChecked.isEmpty())
        return QStringLiteral("Written: %1 (not checked: %2)")
            .arg(name, escapedControls(verdict.notChecked));
    if (verdict.duration.isEmpty())
        return QStringLiteral("Written: %1, duration unknown").arg(name);
    QString written = QStringLiteral("Written: %1, %2").arg(name, verdict.duration);
    if (!verdict.copiedFrom.isEmpty())
        written += QStringLiteral(", copied from the key frame at %1").arg(verdict.copiedFrom);
    return verdict.shorter.isEmpty() ? written
                                     : written + QStringLiteral(" (%1)").arg(verdict.shorter);
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

QString escapedControls(const QString& text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text)
        shown += breaksText(c) ? escaped(c) : QString(c);
    return shown;
}
