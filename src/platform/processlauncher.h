#pragma once

#include "platform/launcher.h"

namespace calmora {

class ProcessLauncher final : public Launcher
{
public:
    qint64 start(const QString &program, const QStringList &arguments) override;
    bool activate(qint64 pid) override;
    bool isRunning(qint64 pid) override;
    // org.freedesktop.FileManager1.ShowFolders on the session bus, which the
    // common file managers implement.
    bool showFolder(const QString &folder) override;
    QString lastError() const override { return m_lastError; }
    // The desktop's default application for folders, from its .desktop file;
    // xdg-open when there is none.
    QStringList fileManagerCommand(const QString &folder) override;

private:
    QString m_lastError;
};

// Turns the Exec value of a .desktop file into a command line opening folder:
// quoting and escapes undone, file and URL field codes replaced by the folder,
// the other field codes dropped. Empty when exec holds no program.
QStringList desktopExecCommand(const QString &exec, const QString &folder);

} // namespace calmora
