#pragma once

#include "VideoFrame.h"

#include <QObject>
#include <QSize>
#include <QString>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <variant>

class VideoFile;

// The decoder on a worker thread of its own, which opens the video once and
// owns it. Frames are asked for in lanes (the clip's first frame, its last):
// a newer request in a lane overtakes the older one, which is stopped between
// packets and never delivered. Opening another video overtakes every request.
class FrameSource : public QObject {
    Q_OBJECT

public:
    static constexpr std::size_t laneCount = 2;

    explicit FrameSource(QObject* parent = nullptr);
    // Stops the work under way and waits for the worker.
    ~FrameSource() override;

    // Closes the video open before; an empty path just closes it.
    void open(const QString& path);
    void ask(std::size_t lane, std::chrono::microseconds time, FrameChoice choice, QSize box);
    // Overtakes the lane's request with none.
    void drop(std::size_t lane);

signals:
    void opened(const VideoFacts& facts);
    // The frame asked for last in `lane`, its picture null when there is none.
    void frameReady(std::size_t lane, const VideoFrame& frame);
    // From the worker: an answer waits in `done`. It carries nothing itself,
    // so that the answer passes through the mutex, where ThreadSanitizer sees it.
    void answered(QPrivateSignal);

private:
    struct Ask {
        quint64 request = 0;
        std::chrono::microseconds time{0};
        FrameChoice choice = FrameChoice::FirstAtOrAfter;
        QSize box;
    };
    struct Opened {
        quint64 request = 0;
        VideoFacts facts;
    };
    struct Framed {
        std::size_t lane = 0;
        quint64 request = 0;
        VideoFrame frame;
    };
    using Answer = std::variant<Opened, Framed>;
    using Work = std::variant<std::pair<QString, quint64>, std::pair<std::size_t, Ask>>;

    std::optional<Work> nextWork();
    void workInTurn(const std::stop_token& ending);
    void openVideo(const QString& path, quint64 request);
    void decodeFrame(std::size_t lane, const Ask& ask, const std::stop_token& ending);
    void answer(Answer answer);
    void takeAnswers();

    // The GUI thread's own.
    quint64 requests = 0;
    quint64 newestOpen = 0;
    std::array<quint64, laneCount> newestAsk{};

    // Shared with the worker.
    std::mutex mutex; // of what follows, up to the worker
    // A plain condition variable with a flag of our own: ThreadSanitizer
    // follows its waits, which it does not in the stop-token wait.
    std::condition_variable workWaiting;
    bool stopping = false;
    std::optional<std::pair<QString, quint64>> toOpen;
    std::array<std::optional<Ask>, laneCount> asks;
    std::array<std::atomic<quint64>, laneCount> wanted{}; // each lane's newest request
    std::deque<Answer> done;

    // The worker's own.
    std::unique_ptr<VideoFile> video;
    std::size_t nextLane = 0;

    std::jthread worker;
};
