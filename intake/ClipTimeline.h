#pragma once

#include "VideoFrame.h"

#include <QWidget>

#include <array>
#include <chrono>
#include <optional>

class TimelineHandle;

// The video's length as a bar as wide as the window, the clip's range on it,
// a tick for every key frame, and two handles, the clip's start and end. A
// person drags a handle, drags the range to move both, or clicks the bar to
// move the nearer handle there; on a focused handle Left and Right step a
// frame, Shift with them a second, Page Up and Page Down go to the previous
// and next key frame, Home and End to the video's start and end. The handles
// cannot cross, and the end cannot pass the video's end.
class ClipTimeline : public QWidget {
    Q_OBJECT

public:
    static constexpr std::size_t startHandle = 0;
    static constexpr std::size_t endHandle = 1;
    // Whether the handle is still moving (a picture now, a quick one) or has
    // come to rest (the exact picture).
    enum class Motion { Moving, Settled };

    explicit ClipTimeline(QWidget* parent = nullptr);

    // A new video: no length, ticks or frame rate until they are known.
    void reset();
    void setDuration(std::optional<std::chrono::microseconds> duration);
    // What the decoder learnt: the key frames and the frame rate.
    void setVideoFacts(const VideoFacts& facts);
    // While on, and the key frames are known, the start handle stands only on
    // key frames: moved, it goes to the key frame at or before where it is
    // put, and Left and Right step from key frame to key frame.
    void setStartOnKeyFrames(bool on) { startOnKeyFrames = on; }
    // The clip as the fields say it, shown within the video; nothing is
    // announced.
    void setClip(std::chrono::microseconds start, std::chrono::microseconds end);

    std::optional<std::chrono::microseconds> duration() const { return duration_; }
    double framesPerSecond() const;
    std::chrono::microseconds handleTime(std::size_t which) const { return times[which]; }
    TimelineHandle* handle(std::size_t which) const { return handles[which]; }

    // Moves a handle as a person does: within the video, never past the other.
    void moveHandle(std::size_t which, std::chrono::microseconds time, Motion motion);
    // Moves both, keeping the clip's length, within the video.
    void moveRange(std::chrono::microseconds start, Motion motion);
    // A step key on a handle; false for any other key.
    bool stepHandle(std::size_t which, const QKeyEvent& key);
    // The handles that moved quickly come to rest.
    void settleHandles();

    // Where the bar shows `time`, and the time at `x`, on a frame boundary.
    int xOfTime(std::chrono::microseconds time) const;
    std::chrono::microseconds timeAtX(double x) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // A person moved the clip: it now runs from `start` to `end`.
    void clipMoved(std::chrono::microseconds start, std::chrono::microseconds end);
    // A handle moved, by a person or by the fields: its frame is wanted.
    void handleMoved(std::size_t which, std::chrono::microseconds time, Motion motion);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum class Drag { None, Start, End, Range };

    QRect bar() const;
    std::chrono::microseconds clampedTime(std::size_t which, std::chrono::microseconds time) const;
    void place(const std::array<std::chrono::microseconds, 2>& wanted, Motion motion);
    void layoutHandles();
    void announce(std::size_t which);
    std::chrono::microseconds allowedStart(std::chrono::microseconds time) const;

    std::optional<std::chrono::microseconds> duration_;
    KeyFrames keyFrames;
    double framesPerSecond_ = 0;
    bool startOnKeyFrames = false;
    std::array<std::chrono::microseconds, 2> times{};
    std::array<TimelineHandle*, 2> handles{};
    std::array<bool, 2> moving{}; // shown with a quick picture, not yet at rest

    Drag drag = Drag::None;
    std::chrono::microseconds grabOffset{0}; // of a dragged range, from its start
};
