#include "DesktopSession.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFileInfo>
#include <QVariantMap>

namespace {

const QString desktopFileId = QStringLiteral("org.velborn.Trimlet");

// Whether this session has a bus to talk to: one named in the environment, or
// the one a user session keeps at a known place. Without one, no connection is
// tried at all, and Qt starts no thread for it.
bool sessionHasBus()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") ||
           (!runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus")));
}

// Connected on first use rather than at start-up, which it would slow.
QDBusConnection* sessionBus()
{
    static const bool hasBus = sessionHasBus();
    if (!hasBus)
        return nullptr;
    static QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() ? &bus : nullptr;
}

} // namespace

void showTaskBarProgress(std::optional<double> fraction)
{
    QDBusConnection* bus = sessionBus();
    if (!bus)
        return;
    QDBusMessage update = QDBusMessage::createSignal(
        QStringLiteral("/org/velborn/Trimlet"), QStringLiteral("com.canonical.Unity.LauncherEntry"),
        QStringLiteral("Update"));
    update << QStringLiteral("application://%1.desktop").arg(desktopFileId)
           << QVariantMap{{QStringLiteral("progress"), fraction.value_or(0.0)},
                          {QStringLiteral("progress-visible"), fraction.has_value()}};
    bus->send(update);
}

void notifyDesktop(const QString& summary)
{
    QDBusConnection* bus = sessionBus();
    if (!bus)
        return;
    QDBusMessage notify = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    notify << QStringLiteral("Velborn Trimlet") << 0u << QStringLiteral("velborn-trimlet")
           << summary << QString() << QStringList()
           << QVariantMap{{QStringLiteral("desktop-entry"), desktopFileId}} << -1;
    // Sent without waiting for the answer: no notification service is worth a
    // frozen window.
    bus->send(notify);
}
