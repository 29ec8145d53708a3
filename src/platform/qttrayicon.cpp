#include "platform/qttrayicon.h"

#include <QCursor>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QMenu>
#include <QTimer>

namespace calmora {

namespace {

// Qt 6.4 puts the icon on a StatusNotifierItem host instead of XEmbed when,
// the first time it is asked in the process, the watcher on the session bus
// says through introspection that a host is registered. Ask the same, once,
// at the same moment (just before the first icon).
bool onStatusNotifierHost()
{
    static const bool answer = [] {
        const QString watcherName = QStringLiteral("org.kde.StatusNotifierWatcher");
        const QDBusInterface watcher(watcherName, QStringLiteral("/StatusNotifierWatcher"), watcherName,
                                     QDBusConnection::sessionBus());
        return watcher.isValid() && watcher.property("IsStatusNotifierHostRegistered").toBool();
    }();
    return answer;
}

} // namespace

QtTrayIcon::QtTrayIcon(QObject *parent) : TrayIcon(parent) {}

bool QtTrayIcon::isAvailable() const
{
    onStatusNotifierHost();
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTrayIcon::add(const QIcon &icon, const QString &tip)
{
    const bool host = onStatusNotifierHost();
    if (!m_icon) {
        m_icon = new QSystemTrayIcon(this);
        connect(m_icon, &QSystemTrayIcon::activated, this, &QtTrayIcon::activated);
    }
    m_icon->setIcon(icon);
    m_icon->setToolTip(tip);
    m_icon->show();
    // Only a host draws an exported menu. On XEmbed Qt would open it on the
    // right button's press, whatever the window's state.
    if (host && m_menu && m_icon->contextMenu() != m_menu)
        m_icon->setContextMenu(m_menu);
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

void QtTrayIcon::setMenu(QMenu *menu)
{
    m_menu = menu;
}

void QtTrayIcon::activated(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::DoubleClick: Q_EMIT doubleClicked(); break;
    case QSystemTrayIcon::Trigger:
        // On XEmbed a single click, which does nothing; from a host, Activate.
        if (onStatusNotifierHost())
            Q_EMIT doubleClicked();
        break;
    case QSystemTrayIcon::Context:
        // A host waits for the answer to ContextMenu, and the window runs the
        // menu in a loop of its own: answer first, then open it.
        if (onStatusNotifierHost())
            QTimer::singleShot(0, this, [this] { Q_EMIT rightReleased(QCursor::pos()); });
        else
            Q_EMIT rightReleased(QCursor::pos());
        break;
    default: break;
    }
}

} // namespace calmora
