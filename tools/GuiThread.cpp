#include "GuiThread.h"

#include <QCoreApplication>
#include <QObject>

#include <deque>
#include <mutex>

namespace {

// The calls wait in a queue of our own, under a lock ThreadSanitizer sees; the
// queued signal carries nothing, so no call crosses threads inside Qt, whose
// locking the sanitizer cannot see.
class GuiThreadCalls : public QObject {
    Q_OBJECT

public:
    GuiThreadCalls()
    {
        connect(this, &GuiThreadCalls::posted, this, &GuiThreadCalls::runPosted,
                Qt::QueuedConnection);
    }

    void post(std::function<void()> call)
    {
        {
            const std::lock_guard lock(mutex);
            calls.push_back(std::move(call));
        }
        emit posted(QPrivateSignal());
    }

signals:
    void posted(QPrivateSignal);

private:
    // In the order posted; a call posted meanwhile waits for its own turn.
    void runPosted()
    {
        std::deque<std::function<void()>> taken;
        {
            const std::lock_guard lock(mutex);
            taken.swap(calls);
        }
        for (const std::function<void()>& call : taken)
            call();
    }

    std::mutex mutex;
    std::deque<std::function<void()>> calls;
};

// Never destroyed: a thread may post to it while the process ends.
GuiThreadCalls& guiThreadCalls()
{
    static GuiThreadCalls* const calls = [] {
        auto* made = new GuiThreadCalls;
        made->moveToThread(QCoreApplication::instance()->thread());
        return made;
    }();
    return *calls;
}

} // namespace

void postToGuiThread(std::function<void()> call)
{
    guiThreadCalls().post(std::move(call));
}

#include "GuiThread.moc"
