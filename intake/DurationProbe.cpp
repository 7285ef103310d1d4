#include "DurationProbe.h"

#include "DurationText.h"
#include "EndingSignals.h"
#include "ResourceTool.h"
#include "StandardOutput.h"

#include <QLineEdit>

namespace {

// The duration text, or nothing when the probe was stopped.
std::optional<QString> probeText(const QString& path, const std::stop_token& stop)
{
    const ToolRun run = runResourceToolToEnd(QStringLiteral("ffprobe"), probeArguments(path),
                                             ToolRunOptions{probeTimeLimit, stop, {}, false});
    if (run.end == ToolEnd::Cancelled)
        return std::nullopt;
    const std::optional<QString> answer = run.answered() ? decodeUtf8(run.output) : std::nullopt;
    return durationTextFromProbeOutput(answer.value_or(QString()));
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

DurationProbe::DurationProbe(QObject* parent)
    : QObject(parent)
    , worker(std::make_unique<QObject>())
{
    thread.setObjectName(QStringLiteral("probe"));
    connect(&thread, &QThread::started, &thread, blockEndingSignals, Qt::DirectConnection);
    worker->moveToThread(&thread);
    thread.start();
}

DurationProbe::~DurationProbe()
{
    stop.request_stop();
    thread.quit();
    thread.wait(); // not long: the probe under way ends at once
    worker.reset();
}

void DurationProbe::probeDuration(const QString& path, QLineEdit* field, DurationShown shown)
{
    field->clear();
    this->field = field;
    this->shown = std::move(shown);
    QMetaObject::invokeMethod(
        worker.get(),
        [this, path, probe = ++asked, stop = stop.get_token()] {
            const std::optional<QString> text = probeText(path, stop);
            if (!text)
                return;
            printLine(*text);
            QMetaObject::invokeMethod(
                this, [this, probe, text = *text] { show(probe, text); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void DurationProbe::show(quint64 probe, const QString& text)
{
    if (probe != asked || !field)
        return;
    field->setText(text);
    if (shown)
        shown(text);
}
