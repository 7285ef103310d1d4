#include "FrameCache.h"

FrameCache::FrameCache(std::size_t byteLimit)
    : byteLimit(byteLimit)
{}

void FrameCache::add(std::int64_t time, const QImage& picture, std::optional<std::int64_t> previous)
{
    if (previous) {
        if (const auto before = entries.find(*previous); before != entries.end())
            before->second.next = time;
    }
    const auto [entry, added] = entries.try_emplace(time);
    if (!added)
        bytes -= static_cast<std::size_t>(entry->second.picture.sizeInBytes());
    else
        order.push_back(time);
    entry->second.picture = picture;
    if (previous)
        entry->second.previous = previous;
    if (const auto after = entries.upper_bound(time);
        after != entries.end() && after->second.previous == time)
        entry->second.next = after->first;
    bytes += static_cast<std::size_t>(picture.sizeInBytes());
    evictOverLimit();
}

void FrameCache::link(std::int64_t time, std::int64_t next)
{
    if (const auto entry = entries.find(time); entry != entries.end())
        entry->second.next = next;
}

void FrameCache::clear()
{
    entries.clear();
    order.clear();
    bytes = 0;
}

void FrameCache::evictOverLimit()
{
    while (bytes > byteLimit && order.size() > 1) {
        const auto oldest = entries.find(order.front());
        order.pop_front();
        bytes -= static_cast<std::size_t>(oldest->second.picture.sizeInBytes());
        entries.erase(oldest);
    }
}

std::optional<FrameCache::Found> FrameCache::at(std::int64_t time) const
{
    const auto entry = entries.find(time);
    if (entry == entries.end())
        return std::nullopt;
    return Found{entry->second.picture, time};
}

// The frame at or after `time` is the first one there only if the frame before
// it, decoded beside it, lies before `time`.
std::optional<FrameCache::Found> FrameCache::firstAtOrAfter(std::int64_t time) const
{
    const auto entry = entries.lower_bound(time);
    if (entry == entries.end() || !entry->second.previous || *entry->second.previous >= time)
        return std::nullopt;
    return Found{entry->second.picture, entry->first};
}

std::optional<FrameCache::Found> FrameCache::lastBefore(std::int64_t time) const
{
    auto entry = entries.lower_bound(time);
    if (entry == entries.begin())
        return std::nullopt;
    --entry;
    if (!entry->second.next || *entry->second.next < time)
        return std::nullopt;
    return Found{entry->second.picture, entry->first};
}
