#pragma once

#include <QImage>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>

// Frames decoded on the way to the one asked for, kept at the size they are
// shown at, so that stepping among them costs no decoding. Each is kept by its
// presentation time in the stream's own units, with the times of its
// neighbours when they were decoded beside it: only then can the cache tell
// that a frame is the first at or after a time, or the last before it. The
// oldest go first once the pictures pass a limit in bytes.
class FrameCache {
public:
    struct Found {
        QImage picture;
        std::int64_t time = 0;
    };

    explicit FrameCache(std::size_t byteLimit);

    // `previous` is the time of the frame decoded just before this one.
    void add(std::int64_t time, const QImage& picture, std::optional<std::int64_t> previous);
    // `next` was decoded right after `time`.
    void link(std::int64_t time, std::int64_t next);
    void clear();

    std::optional<Found> at(std::int64_t time) const;
    std::optional<Found> firstAtOrAfter(std::int64_t time) const;
    std::optional<Found> lastBefore(std::int64_t time) const;

private:
    struct Entry {
        QImage picture;
        std::optional<std::int64_t> previous;
        std::optional<std::int64_t> next;
    };

    void evictOverLimit();

    std::size_t byteLimit;
    std::size_t bytes = 0;
    std::map<std::int64_t, Entry> entries;
    std::deque<std::int64_t> order; // of adding
};
