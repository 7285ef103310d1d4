#include "KeyFrameList.h"

#include "EndingSignals.h"
#include "VideoFile.h"

#include <pthread.h>

KeyFrameList::KeyFrameList(QObject* parent)
    : QObject(parent)
    , worker([this](const std::stop_token& stop) { listInTurn(stop); })
{
    qRegisterMetaType<KeyFrames>();
    connect(this, &KeyFrameList::keyFramesRead, this, &KeyFrameList::hand, Qt::QueuedConnection);
}

KeyFrameList::~KeyFrameList()
{
    waiting.clear();
    worker.request_stop();
    worker.join();
}

void KeyFrameList::list(const QString& path, Listed listed)
{
    this->listed = std::move(listed);
    waiting.push({path, ++asked});
}

void KeyFrameList::listInTurn(const std::stop_token& stop)
{
    blockEndingSignals();
    ::pthread_setname_np(::pthread_self(), "key frames");
    while (const std::optional<Ask> next = waiting.take(stop))
        emit keyFramesRead(next->number, next->path, keyFramesOf(next->path));
}

void KeyFrameList::hand(quint64 number, const QString& path, const KeyFrames& keyFrames)
{
    if (number == asked && listed)
        listed(path, keyFrames);
}
