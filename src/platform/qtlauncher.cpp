#include "platform/qtlauncher.h"

#include <QDir>
#include <QProcess>

namespace calmora {

qint64 startDetached(const QString &program, const QStringList &arguments, QString &error)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    qint64 pid = 0;
    if (!process.startDetached(&pid)) {
        error = process.errorString();
        return 0;
    }
    error.clear();
    return pid;
}

qint64 QtLauncher::start(const QString &program, const QStringList &arguments)
{
    return startDetached(program, arguments, m_lastError);
}

QStringList QtLauncher::fileManagerCommand(const QString &folder)
{
    return {m_fileManager, QDir::toNativeSeparators(folder)};
}

} // namespace calmora
