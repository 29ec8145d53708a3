#include "platform/instanceguard.h"

#include <QCryptographicHash>
#include <QStandardPaths>

namespace calmora {

// The socket's name and the start-up dance are the same on every system; how
// to listen and to ask is in instanceguard_unix.cpp or instanceguard_qt.cpp.

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

bool InstanceGuard::claim()
{
    if (askRunningCopy())
        return false;
    if (listen())
        return true;
    // Lost a race to a copy started at the same moment, or cannot listen at
    // all; then better two copies than none.
    return !askRunningCopy();
}

} // namespace calmora
