#include "platform/qtlauncher.h"

#include <QDir>
#include <QProcess>

namespace calmora {

qint64 QtLauncher::start(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    qint64 pid = 0;
    if (!process.startDetached(&pid)) {
        m_lastError = process.errorString();
        return 0;
    }
    m_lastError.clear();
    return pid;
}

QStringList QtLauncher::fileManagerCommand(const QString &folder)
{
    return {m_fileManager, QDir::toNativeSeparators(folder)};
}

} // namespace calmora
