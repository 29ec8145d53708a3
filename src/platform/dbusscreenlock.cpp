#include "platform/dbusscreenlock.h"

#include "freedesktop_screensaver.h"
#include "gnome_screensaver.h"

#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace calmora {

namespace {

// Both services have the same methods and signal; Proxy is the generated class.
template <typename Proxy>
void follow(DBusScreenLock *lock, const QString &service, const QString &path, const QDBusConnection &bus,
            const std::function<void(bool)> &setActive)
{
    auto *proxy = new Proxy(service, path, bus, lock);
    QObject::connect(proxy, &Proxy::ActiveChanged, lock, setActive);
    // Asked without waiting: a session bus that is slow must not hold up the start.
    auto *watcher = new QDBusPendingCallWatcher(proxy->GetActive(), lock);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, lock, [watcher, setActive] {
        const QDBusPendingReply<bool> reply = *watcher;
        if (!reply.isError())
            setActive(reply.value());
        watcher->deleteLater();
    });
}

} // namespace

DBusScreenLock::DBusScreenLock(const QDBusConnection &bus, QObject *parent) : ScreenLock(parent)
{
    if (!bus.isConnected())
        return;
    follow<OrgFreedesktopScreenSaverInterface>(this, QStringLiteral("org.freedesktop.ScreenSaver"),
                                               QStringLiteral("/org/freedesktop/ScreenSaver"), bus,
                                               [this](bool active) { setActive(0, active); });
    follow<OrgGnomeScreenSaverInterface>(this, QStringLiteral("org.gnome.ScreenSaver"),
                                         QStringLiteral("/org/gnome/ScreenSaver"), bus,
                                         [this](bool active) { setActive(1, active); });
}

bool DBusScreenLock::isLocked() const
{
    return m_active[0] || m_active[1];
}

void DBusScreenLock::setActive(int service, bool active)
{
    const bool before = isLocked();
    m_active[size_t(service)] = active;
    if (isLocked() != before)
        Q_EMIT lockedChanged(isLocked());
}

} // namespace calmora
