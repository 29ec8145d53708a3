#pragma once

#include <QString>

namespace calmora {

// Whether the program starts when the user logs in. The desktop keeps the
// only record of the choice, so what it shows is always what will happen.
// This one belongs to a desktop that offers no such thing.
class Autostart
{
public:
    virtual ~Autostart() = default;

    virtual bool isAvailable() const { return false; }
    virtual bool isEnabled() const { return false; }
    // "" when done, else why not, in the platform's words.
    virtual QString setEnabled(bool enabled)
    {
        return enabled ? QStringLiteral("Starting at login is not available on this desktop.") : QString();
    }
};

} // namespace calmora
