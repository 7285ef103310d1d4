#pragma once

#include "FrameCache.h"
#include "FrameScaler.h"
#include "LibavHandles.h"
#include "VideoFrame.h"

#include <QSize>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

// One video opened with the FFmpeg libraries, its first picture stream decoded
// a frame at a time. Use it from one thread at a time: the thread that owns it.
class VideoFile {
public:
    using Cancelled = std::function<bool()>;

    // Nothing when the libraries cannot open the file, or it holds no picture
    // they can decode.
    static std::unique_ptr<VideoFile> open(const QString& path);

    const VideoFacts& facts() const { return facts_; }

    // The frame `choice` picks for `time` (from the video's start), scaled to
    // fit `box` as it is shown. Nothing when `cancelled` says so, between
    // packets, or when no frame can be decoded. A time past the last frame
    // gives the last frame, except for a key frame.
    std::optional<VideoFrame> frame(std::chrono::microseconds time, FrameChoice choice, QSize box,
                                    const Cancelled& cancelled);

private:
    enum class Outcome { Found, Late, Cancelled, Failed };
    struct Pass {
        Outcome outcome = Outcome::Failed;
        std::optional<FrameCache::Found> frame;
    };

    VideoFile();
    bool openInput(const QString& path);
    bool openDecoder();
    void listKeyFrames();
    std::int64_t firstKeyPacketOffset();

    std::optional<FrameCache::Found> cached(std::int64_t target, FrameChoice choice) const;
    std::optional<FrameCache::Found> decode(std::int64_t target, FrameChoice choice, QSize box,
                                            const Cancelled& cancelled);
    bool canGoOnTo(std::int64_t target, FrameChoice choice) const;
    bool seek(std::int64_t time, bool toStart);
    Pass decodeTo(std::int64_t target, FrameChoice choice, QSize box, const Cancelled& cancelled,
                  bool fromStart);
    std::optional<Pass> take(const AVFrame& decoded, std::int64_t target, FrameChoice choice,
                             QSize box, bool fromStart);
    bool worthKeeping(std::int64_t time, std::int64_t target) const;
    QImage picture(const AVFrame& decoded, std::int64_t time, QSize box,
                   std::optional<std::int64_t> previous);
    std::int64_t streamTime(std::chrono::microseconds time) const;
    std::chrono::microseconds timeOf(std::int64_t streamTime) const;

    FormatHandle format;
    CodecHandle codec;
    PacketHandle packet;
    FrameHandle decoded;
    FrameHandle held; // the frame decoded before the newest, for the last before a time
    AVStream* stream = nullptr;
    std::int64_t origin = 0; // the video's start, in the stream's units
    VideoFacts facts_;
    std::vector<std::int64_t> keyFrameTimes; // in the stream's units

    FrameScaler scaler;
    FrameCache cache;
    QSize cacheBox;

    // Where the decoder stands, so that a later time can be reached by going on.
    bool positioned = false;
    bool awaitingKeyFrame = false;
    bool framesSinceSeek = false;
    std::optional<std::int64_t> heldTime;
    std::optional<std::int64_t> beforeHeld;
    std::optional<QImage> heldPicture;
};

// The key frames of the video at `path`, from its index; for a caller on any
// thread, which waits while the file is opened.
KeyFrames keyFramesOf(const QString& path);
