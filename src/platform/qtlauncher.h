#pragma once

#include "platform/launcher.h"

#include <utility>

namespace calmora {

// Starts programs with QProcess where the desktop offers no way to find a
// process's window: nothing is brought forward, so a click starts the
// program afresh.
class QtLauncher final : public Launcher
{
public:
    // fileManager opens the folder it is given as its one argument.
    explicit QtLauncher(QString fileManager) : m_fileManager(std::move(fileManager)) {}

    qint64 start(const QString &program, const QStringList &arguments) override;
    bool activate(qint64) override { return false; }
    bool isRunning(qint64) override { return false; }
    QString lastError() const override { return m_lastError; }
    QStringList fileManagerCommand(const QString &folder) override;

private:
    QString m_fileManager;
    QString m_lastError;
};

// Starts program detached from this one: its process id, or 0 with error set.
qint64 startDetached(const QString &program, const QStringList &arguments, QString &error);

} // namespace calmora
