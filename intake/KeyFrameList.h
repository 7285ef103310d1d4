#pragma once

#include "JobQueue.h"
#include "VideoFrame.h"

#include <QObject>
#include <QString>

#include <functional>
#include <stop_token>
#include <thread>

// Lists videos' key frames from their index, one file at a time in the order
// asked, on a thread of its own, so the window never waits for a file to open.
// Only the list for the file asked for last is handed on.
class KeyFrameList : public QObject {
    Q_OBJECT

public:
    using Listed = std::function<void(const QString& path, const KeyFrames& keyFrames)>;

    explicit KeyFrameList(QObject* parent = nullptr);
    // Waits for the file being opened, if any, and drops those waiting.
    ~KeyFrameList() override;

    // Queues `path`; `listed` hears of it on the GUI thread unless another
    // file has been asked for since.
    void list(const QString& path, Listed listed);

signals:
    // From the worker; queued to hand() on the GUI thread.
    void keyFramesRead(quint64 number, const QString& path, const KeyFrames& keyFrames);

private:
    struct Ask {
        QString path;
        quint64 number = 0;
    };

    void listInTurn(const std::stop_token& stop);
    void hand(quint64 number, const QString& path, const KeyFrames& keyFrames);

    JobQueue<Ask> waiting; // shared with the worker

    // The GUI thread's alone.
    quint64 asked = 0;
    Listed listed;

    std::jthread worker; // last, so it starts once the rest is made
};
