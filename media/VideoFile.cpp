#include "VideoFile.h"

extern "C" {
#include <libavutil/log.h>
#include <libavutil/mathematics.h>
}

#include <QFile>

#include <algorithm>
#include <mutex>

using std::chrono::microseconds;

namespace {

constexpr AVRational microsecondUnits{1, 1'000'000};
// A GOP of 2 s at 30 frames a second, at the size the drop area shows them.
constexpr std::size_t cacheBytes = 12 * 1024 * 1024;
// The frames decoded on the way to a time are kept from this far before it:
// a dozen frames to step back through, without scaling a whole GOP on the way.
constexpr microseconds keptSpan{500'000};
// A time this far past the last frame decoded is reached by decoding on,
// cheaper than going back to a key frame.
constexpr microseconds onwardReach{2'000'000};
// One: a second frame thread holds its own 1080p pictures (some 11 MiB more)
// and gained nothing measurable on two cores, which the GUI thread and
// ffprobe share with the decoder.
constexpr int decodingThreads = 1;

void silenceLibraries()
{
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

} // namespace

VideoFile::VideoFile()
    : packet(av_packet_alloc())
    , decoded(av_frame_alloc())
    , held(av_frame_alloc())
    , cache(cacheBytes)
{}

std::unique_ptr<VideoFile> VideoFile::open(const QString& path)
{
    silenceLibraries();
    std::unique_ptr<VideoFile> video(new VideoFile());
    if (!video->packet || !video->decoded || !video->held || !video->openInput(path) ||
        !video->openDecoder())
        return nullptr;
    video->listKeyFrames();
    return video;
}

// Through the file protocol alone, so that no name is taken for a URL, and
// nothing the file names is fetched from elsewhere.
bool VideoFile::openInput(const QString& path)
{
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    AVFormatContext* opened = nullptr;
    const QByteArray url = "file:" + QFile::encodeName(path);
    const int status = avformat_open_input(&opened, url.constData(), nullptr, &options);
    av_dict_free(&options);
    if (status < 0)
        return false;
    format.reset(opened);
    return avformat_find_stream_info(format.get(), nullptr) >= 0;
}

bool VideoFile::openDecoder()
{
    const AVCodec* decoder = nullptr;
    const int index = av_find_best_stream(format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (index < 0 || decoder == nullptr)
        return false;
    stream = format->streams[index];
    codec.reset(avcodec_alloc_context3(decoder));
    if (!codec || avcodec_parameters_to_context(codec.get(), stream->codecpar) < 0)
        return false;
    codec->pkt_timebase = stream->time_base;
    codec->thread_count = decodingThreads;
    if (avcodec_open2(codec.get(), decoder, nullptr) < 0)
        return false;
    // The demuxer skips what is not the picture.
    for (unsigned other = 0; other < format->nb_streams; ++other) {
        if (format->streams[other] != stream)
            format->streams[other]->discard = AVDISCARD_ALL;
    }
    // Times count from the file's start, as ffmpeg's -ss counts them.
    if (format->start_time != AV_NOPTS_VALUE)
        origin = av_rescale_q(format->start_time, AV_TIME_BASE_Q, stream->time_base);
    scaler.setDisplay(av_guess_sample_aspect_ratio(format.get(), stream, nullptr),
                      clockwiseTurnOf(*stream));
    const AVRational rate = av_guess_frame_rate(format.get(), stream, nullptr);
    facts_.framesPerSecond = rate.num > 0 && rate.den > 0 ? av_q2d(rate) : 0;
    facts_.opened = true;
    return true;
}

// A demuxer that builds its index as it reads has listed only what it read
// while probing; only an index the container carries lists every key frame.
void VideoFile::listKeyFrames()
{
    const int count = avformat_index_get_entries_count(stream);
    if (count <= 0 || (format->iformat->flags & AVFMT_GENERIC_INDEX) != 0)
        return;
    const std::int64_t offset = firstKeyPacketOffset();
    for (int entry = 0; entry < count; ++entry) {
        const AVIndexEntry* indexed = avformat_index_get_entry(stream, entry);
        if ((indexed->flags & AVINDEX_KEYFRAME) != 0 &&
            (indexed->flags & AVINDEX_DISCARD_FRAME) == 0)
            keyFrameTimes.push_back(indexed->timestamp + offset);
    }
    std::sort(keyFrameTimes.begin(), keyFrameTimes.end());
    keyFrameTimes.erase(std::unique(keyFrameTimes.begin(), keyFrameTimes.end()),
                        keyFrameTimes.end());
    facts_.keyFrames.known = !keyFrameTimes.empty();
    for (const std::int64_t time : keyFrameTimes)
        facts_.keyFrames.times.push_back(timeOf(time));
}

// Some containers index decoding times, which run ahead of presentation when
// frames are reordered; a key frame's two differ by the same amount
// throughout, so the first key packet's pts against its index entry tells.
std::int64_t VideoFile::firstKeyPacketOffset()
{
    positioned = false;
    constexpr int packetsToLookAt = 256;
    for (int read = 0; read < packetsToLookAt && av_read_frame(format.get(), packet.get()) >= 0;
         ++read) {
        const bool keyPicture =
            packet->stream_index == stream->index && (packet->flags & AV_PKT_FLAG_KEY) != 0;
        const std::int64_t pts = packet->pts;
        const std::int64_t position = packet->pos;
        av_packet_unref(packet.get());
        if (!keyPicture)
            continue;
        const int count = avformat_index_get_entries_count(stream);
        for (int entry = 0; entry < count && pts != AV_NOPTS_VALUE && position >= 0; ++entry) {
            const AVIndexEntry* indexed = avformat_index_get_entry(stream, entry);
            if (indexed->pos == position)
                return pts - indexed->timestamp;
        }
        return 0;
    }
    return 0;
}

std::int64_t VideoFile::streamTime(microseconds time) const
{
    return origin + av_rescale_q(time.count(), microsecondUnits, stream->time_base);
}

// Rounded up, so that the time given is at or after the frame's own.
microseconds VideoFile::timeOf(std::int64_t time) const
{
    return microseconds(
        av_rescale_q_rnd(time - origin, stream->time_base, microsecondUnits, AV_ROUND_UP));
}

std::optional<VideoFrame> VideoFile::frame(microseconds time, FrameChoice choice, QSize box,
                                           const Cancelled& cancelled)
{
    if (box.isEmpty())
        return std::nullopt;
    if (box != cacheBox) {
        cache.clear();
        cacheBox = box;
        heldPicture.reset();
    }
    const std::int64_t target = streamTime(time);
    std::optional<FrameCache::Found> found = cached(target, choice);
    if (!found)
        found = decode(target, choice, box, cancelled);
    if (!found)
        return std::nullopt;
    return VideoFrame{found->picture, timeOf(found->time)};
}

std::optional<FrameCache::Found> VideoFile::cached(std::int64_t target, FrameChoice choice) const
{
    switch (choice) {
    case FrameChoice::KeyFrameAtOrBefore: {
        const auto after = std::upper_bound(keyFrameTimes.begin(), keyFrameTimes.end(), target);
        if (after == keyFrameTimes.begin())
            return std::nullopt;
        return cache.at(*std::prev(after));
    }
    case FrameChoice::FirstAtOrAfter:
        return cache.firstAtOrAfter(target);
    case FrameChoice::LastBefore:
        return cache.lastBefore(target);
    }
    return std::nullopt;
}

// Seeks to the key frame before the time and decodes forward. A seek may land
// past the time (a container without an index seeks by guesswork, and one
// that indexes decoding times lands on a key frame shown later): then it
// seeks further back, until it reaches the video's start.
std::optional<FrameCache::Found> VideoFile::decode(std::int64_t target, FrameChoice choice,
                                                   QSize box, const Cancelled& cancelled)
{
    if (canGoOnTo(target, choice)) {
        const Pass pass = decodeTo(target, choice, box, cancelled, false);
        if (pass.outcome != Outcome::Late)
            return pass.frame;
    }
    const std::int64_t earliest =
        stream->start_time != AV_NOPTS_VALUE ? std::min(stream->start_time, origin) : origin;
    const std::int64_t second = av_rescale_q(1'000'000, microsecondUnits, stream->time_base);
    for (std::int64_t back = 0;; back = back == 0 ? second : back * 4) {
        const std::int64_t seekTo = std::max(target - back, earliest);
        const bool fromStart = seekTo <= earliest;
        if (!seek(seekTo, fromStart)) {
            if (fromStart)
                return std::nullopt;
            continue;
        }
        const Pass pass = decodeTo(target, choice, box, cancelled, fromStart);
        if (pass.outcome != Outcome::Late)
            return pass.frame;
        if (fromStart)
            return std::nullopt;
    }
}

// Going on is cheaper than seeking unless a key frame lies between.
bool VideoFile::canGoOnTo(std::int64_t target, FrameChoice choice) const
{
    const std::int64_t reach =
        av_rescale_q(onwardReach.count(), microsecondUnits, stream->time_base);
    if (!positioned || choice == FrameChoice::KeyFrameAtOrBefore || !heldTime ||
        *heldTime >= target || target - *heldTime > reach)
        return false;
    const auto after = std::upper_bound(keyFrameTimes.begin(), keyFrameTimes.end(), *heldTime);
    return after == keyFrameTimes.end() || *after > target;
}

// The start by its first byte where the container allows: a seek by time
// finds packets by their decoding time, and the first key frame can decode
// before the video's start.
bool VideoFile::seek(std::int64_t time, bool toStart)
{
    bool sought = toStart && (format->iformat->flags & AVFMT_NO_BYTE_SEEK) == 0 &&
                  av_seek_frame(format.get(), -1, 0, AVSEEK_FLAG_BYTE) >= 0;
    if (!sought)
        sought = av_seek_frame(format.get(), stream->index, time, AVSEEK_FLAG_BACKWARD) >= 0;
    avcodec_flush_buffers(codec.get());
    positioned = sought;
    awaitingKeyFrame = true;
    framesSinceSeek = false;
    av_frame_unref(held.get());
    heldTime.reset();
    beforeHeld.reset();
    heldPicture.reset();
    return sought;
}

// Demuxes and decodes as FFmpeg's own examples do, asking between packets
// whether the work is still wanted. The packets before the first key frame
// after a seek would decode to broken pictures; they are skipped.
VideoFile::Pass VideoFile::decodeTo(std::int64_t target, FrameChoice choice, QSize box,
                                    const Cancelled& cancelled, bool fromStart)
{
    bool ended = false;
    for (;;) {
        while (avcodec_receive_frame(codec.get(), decoded.get()) >= 0) {
            if (std::optional<Pass> pass = take(*decoded, target, choice, box, fromStart))
                return *pass;
        }
        if (ended) {
            positioned = false;
            if (!heldTime)
                return {fromStart ? Outcome::Failed : Outcome::Late, std::nullopt};
            // Past the last frame: that frame.
            if (choice == FrameChoice::KeyFrameAtOrBefore)
                return {Outcome::Failed, std::nullopt};
            if (!heldPicture)
                heldPicture = picture(*held, *heldTime, box, beforeHeld);
            return {Outcome::Found, FrameCache::Found{*heldPicture, *heldTime}};
        }
        if (cancelled())
            return {Outcome::Cancelled, std::nullopt};
        if (av_read_frame(format.get(), packet.get()) < 0) {
            avcodec_send_packet(codec.get(), nullptr);
            ended = true;
            continue;
        }
        const bool wanted = packet->stream_index == stream->index &&
                            (!awaitingKeyFrame || (packet->flags & AV_PKT_FLAG_KEY) != 0);
        if (wanted) {
            awaitingKeyFrame = false;
            // A damaged packet is skipped; the frames after it may still decode.
            avcodec_send_packet(codec.get(), packet.get());
        }
        av_packet_unref(packet.get());
    }
}

// One frame out of the decoder: the answer, or one more on the way to it.
std::optional<VideoFile::Pass> VideoFile::take(const AVFrame& frame, std::int64_t target,
                                               FrameChoice choice, QSize box, bool fromStart)
{
    const std::int64_t time = frame.best_effort_timestamp;
    if (time == AV_NOPTS_VALUE) {
        av_frame_unref(decoded.get());
        return std::nullopt;
    }
    const bool first = !framesSinceSeek;
    framesSinceSeek = true;
    const bool reached = choice == FrameChoice::LastBefore ? time >= target : time > target;
    if (first && reached && !fromStart) {
        av_frame_unref(decoded.get());
        return Pass{Outcome::Late, std::nullopt};
    }

    std::optional<FrameCache::Found> answer;
    std::optional<QImage> shown;
    if (choice == FrameChoice::KeyFrameAtOrBefore ||
        (choice == FrameChoice::FirstAtOrAfter && time >= target)) {
        shown = picture(frame, time, box, heldTime);
        answer = FrameCache::Found{*shown, time};
    } else if (choice == FrameChoice::LastBefore && time >= target) {
        // The frame before this one; this one, when the video starts later.
        if (heldTime && !heldPicture)
            heldPicture = picture(*held, *heldTime, box, beforeHeld);
        if (heldTime)
            answer = FrameCache::Found{*heldPicture, *heldTime};
        else
            answer = FrameCache::Found{picture(frame, time, box, std::nullopt), time};
    } else if (worthKeeping(time, target)) {
        shown = picture(frame, time, box, heldTime);
    }
    if (heldTime)
        cache.link(*heldTime, time);
    // The newest frame is held, for the last before a later time and for
    // going on from here.
    av_frame_unref(held.get());
    av_frame_move_ref(held.get(), decoded.get());
    beforeHeld = heldTime;
    heldTime = time;
    heldPicture = shown;
    if (answer)
        return Pass{Outcome::Found, answer};
    return std::nullopt;
}

bool VideoFile::worthKeeping(std::int64_t time, std::int64_t target) const
{
    return target - time <= av_rescale_q(keptSpan.count(), microsecondUnits, stream->time_base);
}

// Scaled to the box and kept, with the time of the frame decoded just before it.
QImage VideoFile::picture(const AVFrame& frame, std::int64_t time, QSize box,
                          std::optional<std::int64_t> previous)
{
    QImage shown = scaler.scale(frame, box);
    if (!shown.isNull())
        cache.add(time, shown, previous);
    return shown;
}

KeyFrames keyFramesOf(const QString& path)
{
    const std::unique_ptr<VideoFile> video = VideoFile::open(path);
    return video ? video->facts().keyFrames : KeyFrames{};
}
