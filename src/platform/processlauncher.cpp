#include "platform/processlauncher.h"

#include <QProcess>

#include <csignal>
#include <cerrno>
#include <sys/types.h>

namespace calmora {

qint64 ProcessLauncher::start(const QString &program, const QStringList &arguments)
{
    qint64 pid = 0;
    if (!QProcess::startDetached(program, arguments, QString(), &pid))
        return 0;
    return pid;
}

bool ProcessLauncher::activate(qint64 pid)
{
    // Raising another program's window needs the window manager's help; until
    // that is wired up, report that the window could not be brought forward.
    Q_UNUSED(pid);
    return false;
}

bool ProcessLauncher::isRunning(qint64 pid)
{
    if (pid <= 0)
        return false;
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

} // namespace calmora
