#pragma once

#include "platform/screenlock.h"

#include <QDBusConnection>

#include <array>

namespace calmora {

// The screen saver services of the session bus, org.freedesktop.ScreenSaver
// and org.gnome.ScreenSaver: asked once, then followed through their
// ActiveChanged signal, never polled.
class DBusScreenLock final : public ScreenLock
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DBusScreenLock)

public:
    explicit DBusScreenLock(const QDBusConnection &bus, QObject *parent = nullptr);

    bool isLocked() const override;

private:
    void setActive(int service, bool active);

    std::array<bool, 2> m_active{};
};

} // namespace calmora
