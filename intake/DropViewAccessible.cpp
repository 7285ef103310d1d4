#include "DropViewAccessible.h"

#include "DropView.h"

#include <QAccessibleWidget>

namespace {

class DropViewAccessible final : public QAccessibleWidget {
public:
    explicit DropViewAccessible(DropView* view)
        : QAccessibleWidget(view, QAccessible::Button)
    {}

    QStringList actionNames() const override { return {pressAction()}; }

    void doAction(const QString& name) override
    {
        if (name == pressAction())
            emit static_cast<DropView*>(widget())->chooseFileRequested();
    }
};

QAccessibleInterface* accessibleDropView(const QString& className, QObject* object)
{
    if (className == QLatin1String("DropView") && object != nullptr && object->isWidgetType())
        return new DropViewAccessible(static_cast<DropView*>(object));
    return nullptr;
}

} // namespace

void installDropViewAccessibility()
{
    [[maybe_unused]] static const bool installed = [] {
        QAccessible::installFactory(accessibleDropView);
        return true;
    }();
}
