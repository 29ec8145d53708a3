#include "net/network.h"

#include "app/appstate.h"
#include "list/soundlist.h"
#include "net/frmnetwork.h"
#include "net/frmusers.h"
#include "net/receiver.h"
#include "net/sender.h"

#include <QAction>
#include <QTimer>

namespace calmora {

Network::Network(const NetworkParts &parts, std::shared_ptr<FileSystem> files, QObject *parent)
    : QObject(parent), m_parts(parts),
      m_receiver(new Receiver(parts.state, *parts.services.player, *parts.services.dialogs, parts.picNet,
                              parts.window, files, this)),
      m_sender(new Sender(*parts.services.dialogs, parts.window, files, this))
{
}

Network::~Network() = default;

void Network::mnuNetwork_Click()
{
    // No tick may play or receive while the settings change under it.
    m_parts.tmrMinute->stop();
    {
        frmNetwork dialog(m_parts.state, m_parts.services, m_parts.File1, m_parts.mnuEnableNetwork,
                          m_parts.window);
        dialog.exec();
    }
    m_parts.tmrMinute->start();
}

void Network::mnuEnableNetwork_Click()
{
    // The entry is checkable: it has already flipped its mark.
    m_parts.state.NetActive = m_parts.mnuEnableNetwork->isChecked();
    m_parts.state.SettingsChanged = true;
}

void Network::cmdSend_Click()
{
    const QString path = m_parts.list.currentText();
    if (path.right(4).toLower() == QLatin1String(".avi"))
        return;
    if (!m_frmUsers)
        m_frmUsers = new frmUsers(m_parts.state, *m_sender, m_parts.window);
    m_frmUsers->setFile(path);
    m_frmUsers->show();
    m_frmUsers->raise();
    m_frmUsers->activateWindow();
}

frmUsers *Network::sendDialog() const
{
    return m_frmUsers;
}

void Network::receiveStep(std::function<void()> then)
{
    m_receiver->receiveStep(std::move(then));
}

} // namespace calmora
