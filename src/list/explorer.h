#pragma once

#include <QString>

namespace calmora {

class Launcher;

// The file manager behind the picture button beside the sound list, from
// which files are dragged onto the list: started on the first click, brought
// forward while it runs, started again once it has gone.
class Explorer final
{
public:
    explicit Explorer(Launcher &launcher) : m_launcher(launcher) {}

    // Opens or raises the file manager on folder; "" when that worked, else
    // what to tell the user.
    QString open(const QString &folder);
    // The process id of the file manager last started, 0 before the first.
    qint64 taskId() const { return m_taskId; }

private:
    Launcher &m_launcher;
    qint64 m_taskId = 0;
};

} // namespace calmora
