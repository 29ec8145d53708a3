#pragma once

#include "platform/launcher.h"

namespace calmora {

class ProcessLauncher final : public Launcher
{
public:
    qint64 start(const QString &program, const QStringList &arguments) override;
    bool activate(qint64 pid) override;
    bool isRunning(qint64 pid) override;
};

} // namespace calmora
