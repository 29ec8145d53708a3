#pragma once

#include "platform/autostart.h"

namespace calmora {

// An XDG autostart entry in $XDG_CONFIG_HOME/autostart, which the desktops
// that follow freedesktop.org start at login. Each copy of the program under
// its own name (and so with its own settings) has an entry of its own.
class XdgAutostart final : public Autostart
{
public:
    // program: the executable's installed path; baseName: its name.
    XdgAutostart(QString program, QString baseName);

    bool isAvailable() const override { return true; }
    bool isEnabled() const override;
    QString setEnabled(bool enabled) override;

    QString entryPath() const;
    // The entry's text: it starts program, and passes desktop-file-validate.
    QString entry() const;

private:
    QString m_program;
    QString m_baseName;
};

} // namespace calmora
