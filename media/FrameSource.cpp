#include "FrameSource.h"

#include "EndingSignals.h"
#include "VideoFile.h"

#include <algorithm>

#include <pthread.h>

FrameSource::FrameSource(QObject* parent)
    : QObject(parent)
{
    connect(this, &FrameSource::answered, this, &FrameSource::takeAnswers, Qt::QueuedConnection);
    worker = std::jthread([this](const std::stop_token& ending) { workInTurn(ending); });
}

FrameSource::~FrameSource()
{
    {
        const std::lock_guard lock(mutex);
        stopping = true;
    }
    worker.request_stop();
    workWaiting.notify_one();
    worker.join();
}

void FrameSource::open(const QString& path)
{
    newestOpen = ++requests;
    for (std::size_t lane = 0; lane < laneCount; ++lane)
        newestAsk[lane] = newestOpen;
    {
        const std::lock_guard lock(mutex);
        toOpen = std::pair(path, newestOpen);
        asks = {};
        for (std::atomic<quint64>& lane : wanted)
            lane = newestOpen;
    }
    workWaiting.notify_one();
}

void FrameSource::ask(std::size_t lane, std::chrono::microseconds time, FrameChoice choice,
                      QSize box)
{
    newestAsk[lane] = ++requests;
    {
        const std::lock_guard lock(mutex);
        asks[lane] = Ask{newestAsk[lane], time, choice, box};
        wanted[lane] = newestAsk[lane];
    }
    workWaiting.notify_one();
}

void FrameSource::drop(std::size_t lane)
{
    newestAsk[lane] = ++requests;
    const std::lock_guard lock(mutex);
    asks[lane].reset();
    wanted[lane] = newestAsk[lane];
}

// A video to open comes first; the lanes take turns.
std::optional<FrameSource::Work> FrameSource::nextWork()
{
    std::unique_lock lock(mutex);
    workWaiting.wait(lock, [this] {
        return stopping || toOpen ||
               std::any_of(asks.begin(), asks.end(), [](const auto& a) { return a; });
    });
    if (stopping)
        return std::nullopt;
    if (toOpen) {
        Work work = *toOpen;
        toOpen.reset();
        return work;
    }
    for (std::size_t turn = 0; turn < laneCount; ++turn) {
        const std::size_t lane = (nextLane + turn) % laneCount;
        if (asks[lane]) {
            nextLane = (lane + 1) % laneCount;
            Work work = std::pair(lane, *asks[lane]);
            asks[lane].reset();
            return work;
        }
    }
    return std::nullopt;
}

void FrameSource::workInTurn(const std::stop_token& ending)
{
    blockEndingSignals();
    ::pthread_setname_np(::pthread_self(), "frames");
    while (const std::optional<Work> work = nextWork()) {
        if (const auto* path = std::get_if<std::pair<QString, quint64>>(&*work))
            openVideo(path->first, path->second);
        else if (const auto* asked = std::get_if<std::pair<std::size_t, Ask>>(&*work))
            decodeFrame(asked->first, asked->second, ending);
    }
    video.reset();
}

void FrameSource::openVideo(const QString& path, quint64 request)
{
    video.reset();
    if (!path.isEmpty())
        video = VideoFile::open(path);
    answer(Opened{request, video ? video->facts() : VideoFacts{}});
}

void FrameSource::decodeFrame(std::size_t lane, const Ask& ask, const std::stop_token& ending)
{
    const auto overtaken = [&] { return wanted[lane] != ask.request || ending.stop_requested(); };
    std::optional<VideoFrame> frame;
    if (video)
        frame = video->frame(ask.time, ask.choice, ask.box, overtaken);
    if (!overtaken())
        answer(Framed{lane, ask.request, frame.value_or(VideoFrame{{}, ask.time})});
}

void FrameSource::answer(Answer answer)
{
    {
        const std::lock_guard lock(mutex);
        done.push_back(std::move(answer));
    }
    emit answered(QPrivateSignal());
}

// Only the newest request's answer is delivered, whatever the worker had
// finished before it learnt of a newer one.
void FrameSource::takeAnswers()
{
    std::deque<Answer> taken;
    {
        const std::lock_guard lock(mutex);
        taken.swap(done);
    }
    for (const Answer& answer : taken) {
        if (const auto* opened = std::get_if<Opened>(&answer)) {
            if (opened->request == newestOpen)
                emit this->opened(opened->facts);
        } else if (const auto* framed = std::get_if<Framed>(&answer)) {
            if (framed->request == newestAsk[framed->lane])
                emit frameReady(framed->lane, framed->frame);
        }
    }
}
