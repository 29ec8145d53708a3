#include "platform/instanceguard.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace calmora {

namespace {

constexpr int kAnswerMs = 2000;
const QByteArray kActivate = QByteArrayLiteral("activate\n");

} // namespace

InstanceGuard::InstanceGuard(const QString &key, QObject *parent) : QObject(parent)
{
    // In the user's private runtime folder where there is one; elsewhere the
    // name itself tells users apart, and the socket admits its owner only.
    const QString hash = QString::fromLatin1(
        QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex().left(16));
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    m_name = runtime.isEmpty() ? QStringLiteral("calmora-%1-%2").arg(qEnvironmentVariable("USER"), hash)
                               : runtime + QStringLiteral("/calmora-") + hash;
}

InstanceGuard::~InstanceGuard() = default;

bool InstanceGuard::askRunningCopy() const
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kAnswerMs))
        return false;
    socket.write(kActivate);
    return socket.waitForBytesWritten(kAnswerMs);
}

bool InstanceGuard::claim()
{
    if (askRunningCopy())
        return false;
    // Nobody answers: whatever is left under the name is stale.
    QLocalServer::removeServer(m_name);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name))
        return !askRunningCopy(); // lost a race to a copy started at the same moment
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
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
