#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <stop_token>

// Jobs handed from the GUI thread to a worker, taken in the order given.
template <typename Job> class JobQueue {
public:
    void push(Job job)
    {
        {
            const std::lock_guard lock(mutex);
            jobs.push_back(std::move(job));
        }
        ready.notify_one();
    }

    // Drops every job not yet taken.
    void clear()
    {
        const std::lock_guard lock(mutex);
        jobs.clear();
    }

    // Waits for the next job; nothing once `stop` is requested.
    std::optional<Job> take(const std::stop_token& stop)
    {
        std::unique_lock lock(mutex);
        if (!ready.wait(lock, stop, [this] { return !jobs.empty(); }))
            return std::nullopt;
        Job job = std::move(jobs.front());
        jobs.pop_front();
        return job;
    }

private:
    std::mutex mutex;
    std::condition_variable_any ready;
    std::deque<Job> jobs;
};
