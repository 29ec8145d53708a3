#pragma once

#include "platform/trayicon.h"

class QSystemTrayIcon;

namespace calmora {

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

private:
    QSystemTrayIcon *m_icon = nullptr;
};

} // namespace calmora
