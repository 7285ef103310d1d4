#include "DurationProbe.h"

#include "DurationText.h"
#include "ResourceTool.h"
#include "StandardOutput.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPointer>

namespace {

QString probeAnswer(const QString& path)
{
    return runResourceTool(QStringLiteral("ffprobe"), probeArguments(path), probeTimeLimit)
        .value_or(QString());
}

void showDuration(QPointer<QLineEdit> field, const QString& text)
{
    QMetaObject::invokeMethod(
        qApp,
        [field, text] {
            if (field)
                field->setText(text);
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

void probeDuration(const QString& path, QLineEdit* field)
{
    QMetaObject::invokeMethod(
        qApp,
        [path, field = QPointer<QLineEdit>(field)] {
            const QString text = durationTextFromProbeOutput(probeAnswer(path));
            printLine(text);
            showDuration(field, text);
        },
        Qt::QueuedConnection);
}
