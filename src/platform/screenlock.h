#pragma once

#include <QObject>

namespace calmora {

// Whether the screen is locked (the screen saver or lock screen is active),
// as the desktop says; then nobody is there to hear a sound. This one never
// is: a desktop that cannot say counts as unlocked.
class ScreenLock : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~ScreenLock() override = default;

    virtual bool isLocked() const { return false; }

Q_SIGNALS:
    void lockedChanged(bool locked);
};

} // namespace calmora
