#include "platform/instanceguard.h"

#include <QLocalServer>
#include <QLocalSocket>

// Qt's local sockets, for systems without POSIX ones. Qt Network costs a
// start-up where it is not already loaded, hence the POSIX version on Unix.

namespace calmora {

namespace {

constexpr int kAnswerMs = 2000;
const QByteArray kActivate = QByteArrayLiteral("activate\n");

} // namespace

bool InstanceGuard::askRunningCopy() const
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kAnswerMs))
        return false;
    socket.write(kActivate);
    return socket.waitForBytesWritten(kAnswerMs);
}

bool InstanceGuard::listen()
{
    // Nobody answered: whatever is left under the name is stale.
    QLocalServer::removeServer(m_name);
    auto *server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(m_name)) {
        delete server;
        return false;
    }
    m_listener = server;
    connect(server, &QLocalServer::newConnection, this, [this, server] {
        while (QLocalSocket *socket = server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains(kActivate))
                    Q_EMIT activationRequested();
            });
        }
    });
    return true;
}

} // namespace calmora
