#pragma once

#include "ClipFrames.h"
#include "JobQueue.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <array>
#include <chrono>
#include <deque>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>

class DropView;

// Where the clip lies in the video, as the time fields say.
struct ClipTimes {
    QString startCode; // the start as the export hands it to ffmpeg
    std::chrono::microseconds start{0};
    std::chrono::microseconds length{0};

    bool operator==(const ClipTimes&) const = default;
};

// Shows the clip's first and last frame in a drop area. ffmpeg fetches each on
// a thread of its own, both at once; the two are shown together. Only the
// newest request counts: one that a newer one overtakes is stopped, and
// whatever it would have answered is thrown away.
class FramePreview : public QObject {
    Q_OBJECT

public:
    // How long the times rest before frames for them are fetched.
    static constexpr std::chrono::milliseconds settleTime{300};

    explicit FramePreview(QObject* parent = nullptr);
    // Stops the fetch under way and drops those waiting.
    ~FramePreview() override;

    void setView(DropView* view);
    // A new video, with the clip's times: the old frames go at once.
    void showVideo(const QString& path, const ClipTimes& times);
    // The duration as the duration field shows it: the frames are fetched
    // now, the last one no later than that. Empty or unreadable: no frames.
    void setDuration(const QString& durationText);
    // The times changed: frames for them come once they have rested, and the
    // frames shown stay until then.
    void setClipTimes(const ClipTimes& times);

signals:
    // From a worker: a frame waits in `done`. It carries nothing itself, so
    // that the frame passes through the mutex, where ThreadSanitizer sees it.
    void frameDone(QPrivateSignal);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // One frame to fetch: ffmpeg's arguments, and the time written under it.
    struct Ask {
        QStringList arguments;
        QString time;
        bool operator==(const Ask&) const = default;
    };
    using Halves = std::array<std::optional<Ask>, 2>;
    struct Job {
        quint64 request = 0;
        std::size_t half = 0;
        Ask ask;
        std::stop_token stop;
    };
    struct Done {
        quint64 request = 0;
        std::size_t half = 0;
        ClipFrame frame;
    };

    Halves wanted() const;
    void update();
    void overtake();
    void post(std::size_t half, const Ask& ask);
    void takeDone();
    void arrived(quint64 request, std::size_t half, const ClipFrame& frame);
    void fetchInTurn(const std::stop_token& ending);

    QPointer<DropView> view;
    QString video;
    std::optional<std::chrono::microseconds> duration;
    ClipTimes times;
    QTimer settle;

    std::stop_source stop; // of the newest request
    quint64 request = 0;
    Halves asked;
    std::array<std::optional<ClipFrame>, 2> fetched;

    // Shared with the workers.
    JobQueue<Job> waiting;
    std::mutex mutex; // of done
    std::deque<Done> done;

    // One for each frame, so that the two take no longer than the slower one.
    std::array<std::jthread, 2> workers;
};
