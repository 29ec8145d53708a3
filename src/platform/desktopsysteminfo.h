#pragma once

#include "platform/systeminfolookup.h"

#include <QStringList>

namespace calmora {

// The Linux desktops' own tools: first the one that belongs to the running
// desktop (XDG_CURRENT_DESKTOP), then a desktop-neutral one, each found on
// the search path.
class DesktopSystemInfo final : public SystemInfoLookup
{
public:
    // From the environment.
    DesktopSystemInfo();
    // desktops as in XDG_CURRENT_DESKTOP ("KDE", "ubuntu:GNOME"); an empty
    // searchPath means the system's PATH.
    DesktopSystemInfo(const QString &desktops, QStringList searchPath);

    std::optional<QString> toolProgram() override;
    std::optional<QString> toolFolder() override;
    QString toolFileName() const override;

private:
    QString findProgram(const QString &name) const;

    QStringList m_desktops;
    QStringList m_searchPath;
};

} // namespace calmora
