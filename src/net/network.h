#pragma once

#include "platform/services.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class QAction;
class QLabel;
class QTimer;
class QWidget;

namespace calmora {

struct AppState;
class FileSystem;
class FolderListing;
class Receiver;
class Sender;
class SoundList;
class frmUsers;

// What the main window lends to network messaging.
struct NetworkParts
{
    AppState &state;
    Services services;
    FolderListing &File1;
    SoundList &list;
    QLabel *picNet = nullptr;
    QTimer *tmrMinute = nullptr;
    QAction *mnuEnableNetwork = nullptr;
    QWidget *window = nullptr;
};

// Network messaging as the main window sees it: the settings dialog, the
// "Enable Network" entry, "Send To..." and the receive step of each tick.
class Network final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Network)

public:
    Network(const NetworkParts &parts, std::shared_ptr<FileSystem> files, QObject *parent = nullptr);
    ~Network() override;

    void mnuNetwork_Click();
    void mnuEnableNetwork_Click();
    // "Send To..." on the main window and on the list's popup menu.
    void cmdSend_Click();
    // The receive step of a tick; `then` is the rest of the tick.
    void receiveStep(std::function<void()> then);

    Receiver &receiver() const { return *m_receiver; }
    Sender &sender() const { return *m_sender; }
    frmUsers *sendDialog() const;

private:
    NetworkParts m_parts;
    Receiver *m_receiver;
    Sender *m_sender;
    QPointer<frmUsers> m_frmUsers;
};

} // namespace calmora
