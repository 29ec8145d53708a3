#include "platform/qttrayicon.h"

#include <QCursor>
#include <QSystemTrayIcon>

namespace calmora {

QtTrayIcon::QtTrayIcon(QObject *parent)
    : TrayIcon(parent)
{
}

bool QtTrayIcon::isAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTrayIcon::add(const QIcon &icon, const QString &tip)
{
    if (!m_icon) {
        m_icon = new QSystemTrayIcon(this);
        connect(m_icon, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::DoubleClick)
                        Q_EMIT doubleClicked();
                    else if (reason == QSystemTrayIcon::Context)
                        Q_EMIT rightReleased(QCursor::pos());
                });
    }
    m_icon->setIcon(icon);
    m_icon->setToolTip(tip);
    m_icon->show();
}

void QtTrayIcon::remove()
{
    if (m_icon)
        m_icon->hide();
}

bool QtTrayIcon::isPresent() const
{
    return m_icon && m_icon->isVisible();
}

} // namespace calmora
