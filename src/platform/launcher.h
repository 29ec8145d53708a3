#pragma once

#include <QString>
#include <QStringList>

namespace calmora {

// Starts programs without waiting for them and brings their windows forward.
class Launcher
{
public:
    virtual ~Launcher() = default;

    // The started program's process id, or 0 when it could not be started.
    virtual qint64 start(const QString &program, const QStringList &arguments) = 0;
    // Brings the top-level window of process pid to the front; false when the
    // process has no window any more (or the desktop cannot raise it).
    virtual bool activate(qint64 pid) = 0;
    // Whether process pid is still running.
    virtual bool isRunning(qint64 pid) = 0;
    // Asks the desktop's file manager service to show folder in a window, for
    // when activate cannot raise one; false when no such service answered.
    virtual bool showFolder(const QString &folder)
    {
        Q_UNUSED(folder)
        return false;
    }

    // The platform's description of why the last start failed, or "".
    virtual QString lastError() const { return {}; }
    // The command line, program first, that opens the desktop's file manager
    // on folder.
    virtual QStringList fileManagerCommand(const QString &folder)
    {
        return {QStringLiteral("xdg-open"), folder};
    }
};

} // namespace calmora
