#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include "JobQueue.h"

#include <functional>
#include <stop_token>
#include <thread>

class QLineEdit;

// ffprobe's command line for `path`, the path passed whole as one argument.
QStringList probeArguments(const QString& path);

// Called with the duration text once it is shown; empty when ffprobe could not
// tell.
using DurationShown = std::function<void(const QString& text)>;

// Asks ffprobe for durations, one file at a time in the order asked, on a
// thread of its own, so the window never waits for it. Each duration text is
// printed as one line and then, on the GUI thread, shown. Only the answer for
// the file asked for last is shown: an earlier one is printed and no more.
class DurationProbe : public QObject {
    Q_OBJECT

public:
    explicit DurationProbe(QObject* parent = nullptr);
    // Stops the probe under way and drops those waiting.
    ~DurationProbe() override;

    // Empties `field` at once and queues a probe of `path`. Its text goes into
    // `field` and to `shown`, unless another probe has been asked for since or
    // `field` is gone. A missing, hung or garbled answer counts as an empty one.
    void probeDuration(const QString& path, QLineEdit* field, DurationShown shown = {});

signals:
    // From the worker; queued to show() on the GUI thread. A connection owns
    // its slot, so nothing the GUI thread runs is freed by the worker.
    void durationRead(quint64 probe, const QString& text);

private:
    struct Probe {
        QString path;
        quint64 number = 0;
    };

    void probeInTurn(const std::stop_token& stop);
    void show(quint64 probe, const QString& text);

    JobQueue<Probe> waiting; // shared with the worker

    // The GUI thread's alone.
    quint64 asked = 0; // probes asked for so far; the last one is shown
    QPointer<QLineEdit> field;
    DurationShown shown;

    std::jthread worker; // last, so it starts once the rest is made
};
