#pragma once

#include "ClipFrames.h"
#include "FrameSource.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <array>
#include <chrono>
#include <optional>

class DropView;

// Where the clip lies in the video, as the time fields say.
struct ClipTimes {
    QString startCode; // the start as the export hands it to ffmpeg
    std::chrono::microseconds start{0};
    std::chrono::microseconds length{0};

    bool operator==(const ClipTimes&) const = default;
};

// Shows the clip's first and last frame in a drop area, decoded in the
// process by a FrameSource: the first frame at or after the start, and the
// last frame before the end (the video's last frame when the end lies past
// it). The first pair is shown together; after that each frame is replaced
// as its new one comes. Only the newest request for each counts.
class FramePreview : public QObject {
    Q_OBJECT

public:
    // How long typed times rest before frames for them are asked for.
    static constexpr std::chrono::milliseconds settleTime{300};

    explicit FramePreview(QObject* parent = nullptr);

    void setView(DropView* view);
    // A new video, with the clip's times: the old frames go at once, and the
    // video is opened.
    void showVideo(const QString& path, const ClipTimes& times);
    // The duration as the duration field shows it: the frames are asked for
    // now, the last one no later than that. Empty or unreadable: no frames.
    void setDuration(const QString& durationText);
    // The times changed: frames for them come once they have rested, and the
    // frames shown stay until then.
    void setClipTimes(const ClipTimes& times);
    // A handle of the timeline moved: its frame now, without waiting, from
    // the key frame at or before it while it moves (quick) and exact once it
    // rests. Half 0 is the start, 1 the end.
    void showHandle(std::size_t half, std::chrono::microseconds time, bool exact);

signals:
    // What the decoder learnt of the video shown, once it has opened it.
    void videoOpened(const VideoFacts& facts);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // One frame to ask for, and the time written under it.
    struct Ask {
        std::chrono::microseconds time{0};
        FrameChoice choice = FrameChoice::FirstAtOrAfter;
        QString label;
        QSize box;
        bool operator==(const Ask&) const = default;
    };
    using Halves = std::array<std::optional<Ask>, 2>;

    Halves wanted() const;
    std::optional<Ask> wantedFor(std::size_t half, std::chrono::microseconds time,
                                 bool exact) const;
    void ask(std::size_t half, const std::optional<Ask>& wanted);
    void update();
    void arrived(std::size_t half, const VideoFrame& frame);

    QPointer<DropView> view;
    QString video;
    std::optional<std::chrono::microseconds> duration;
    ClipTimes times;
    QTimer settle;

    Halves asked;
    std::array<std::optional<ClipFrame>, 2> fetched;
    FrameSource source;
};
