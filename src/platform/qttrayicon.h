#pragma once

#include "platform/trayicon.h"

#include <QPointer>
#include <QSystemTrayIcon>

namespace calmora {

// QSystemTrayIcon on an XEmbed tray or, where the session bus has a
// StatusNotifierItem watcher with a host, as a StatusNotifierItem. There a
// host's Activate (a single click; hosts send no double click) counts as the
// double click, and the menu is exported for the host to draw.
class QtTrayIcon final : public TrayIcon
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(QtTrayIcon)

public:
    explicit QtTrayIcon(QObject *parent = nullptr);

    bool isAvailable() const override;
    void add(const QIcon &icon, const QString &tip) override;
    void remove() override;
    bool isPresent() const override;
    void setMenu(QMenu *menu) override;

private:
    void activated(QSystemTrayIcon::ActivationReason reason);

    QSystemTrayIcon *m_icon = nullptr;
    QPointer<QMenu> m_menu;
};

} // namespace calmora
