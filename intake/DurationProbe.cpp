#include "DurationProbe.h"

#include "DurationText.h"
#include "ResourceTool.h"
#include "StandardOutput.h"

#include <QLineEdit>

namespace {

QString probeAnswer(const QString& path)
{
    return runResourceTool(QStringLiteral("ffprobe"), probeArguments(path), probeTimeLimit)
        .value_or(QString());
}

void showDuration(QLineEdit* field, const QString& text, const DurationShown& shown)
{
    QMetaObject::invokeMethod(
        field,
        [field, text, shown] {
            field->setText(text);
            if (shown)
                shown(text);
        },
        Qt::QueuedConnection);
}

} // namespace

QStringList probeArguments(const QString& path)
{
    return {QStringLiteral("-i"),
            path,
            QStringLiteral("-show_entries"),
            QStringLiteral("format=duration"),
            QStringLiteral("-v"),
            QStringLiteral("quiet"),
            QStringLiteral("-sexagesimal"),
            QStringLiteral("-of"),
            QStringLiteral("csv")};
}

void probeDuration(const QString& path, QLineEdit* field, DurationShown shown)
{
    // The field is the context of both steps: a probe for a window that has
    // gone away is dropped rather than run.
    QMetaObject::invokeMethod(
        field,
        [path, field, shown = std::move(shown)] {
            const QString text = durationTextFromProbeOutput(probeAnswer(path));
            printLine(text);
            showDuration(field, text, shown);
        },
        Qt::QueuedConnection);
}
