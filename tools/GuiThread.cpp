#include "GuiThread.h"

#include <QCoreApplication>
#include <QObject>

namespace {

class GuiThreadCalls : public QObject {
    Q_OBJECT

public:
    GuiThreadCalls()
    {
        connect(
            this, &GuiThreadCalls::posted, this, [](const std::function<void()>& call) { call(); },
            Qt::QueuedConnection);
    }

signals:
    void posted(const std::function<void()>& call);
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
    emit guiThreadCalls().posted(call);
}

#include "GuiThread.moc"
