#include "DurationProbe.h"

#include "DurationText.h"
#include "EndingSignals.h"
#include "ResourceTool.h"
#include "RunningTools.h"
#include "StandardOutput.h"

#include <QLineEdit>

#include <pthread.h>

namespace {

// The duration text, or nothing when the probe was stopped: its window or the
// whole application is going, and it has nothing to say.
std::optional<QString> probeText(const QString& path, const std::stop_token& stop)
{
    const std::optional<QString> answer =
        runResourceTool(QStringLiteral("ffprobe"), probeArguments(path),
                        ToolRunOptions{probeTimeLimit, stop, {}, false});
    if (stop.stop_requested() || runningToolsStopped())
        return std::nullopt;
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
    , worker([this](const std::stop_token& stop) { probeInTurn(stop); })
{
    connect(this, &DurationProbe::durationRead, this, &DurationProbe::show, Qt::QueuedConnection);
}

DurationProbe::~DurationProbe()
{
    // Not long: the probe under way is killed at once.
    worker.request_stop();
    worker.join();
}

void DurationProbe::probeDuration(const QString& path, QLineEdit* field, DurationShown shown)
{
    field->clear();
    this->field = field;
    this->shown = std::move(shown);
    waiting.push({path, ++asked});
}

void DurationProbe::probeInTurn(const std::stop_token& stop)
{
    blockEndingSignals();
    ::pthread_setname_np(::pthread_self(), "probe");
    while (const std::optional<Probe> next = waiting.take(stop)) {
        const std::optional<QString> text = probeText(next->path, stop);
        if (!text)
            return;
        printLine(*text);
        emit durationRead(next->number, *text);
    }
}

void DurationProbe::show(quint64 probe, const QString& text)
{
    if (probe != asked || !field)
        return;
    field->setText(text);
    if (shown)
        shown(text);
}
