#include "list/explorer.h"

#include "platform/launcher.h"

namespace calmora {

QString Explorer::open(const QString &folder)
{
    if (m_taskId != 0) {
        if (m_launcher.activate(m_taskId))
            return {};
        // Still running, but its window cannot be raised by its process (a
        // Wayland desktop): the desktop's file manager service opens one; a
        // new start is the last resort.
        if (m_launcher.isRunning(m_taskId) && m_launcher.showFolder(folder))
            return {};
    }
    const QStringList command = m_launcher.fileManagerCommand(folder);
    const qint64 pid = command.isEmpty() ? 0 : m_launcher.start(command.constFirst(), command.mid(1));
    if (pid == 0) {
        const QString program = command.isEmpty() ? QString() : command.constFirst();
        const QString reason = m_launcher.lastError();
        return reason.isEmpty() ? QStringLiteral("%1: the program could not be started.").arg(program)
                                : QStringLiteral("%1: %2").arg(program, reason);
    }
    m_taskId = pid;
    return {};
}

} // namespace calmora
