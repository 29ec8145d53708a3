#include "platform/platform.h"

#include "platform/audiooutputpulse.h"
#include "platform/posixfilesystem.h"
#include "platform/processlauncher.h"
#include "platform/qtdialogs.h"
#include "platform/qttrayicon.h"
#include "platform/random.h"
#include "platform/settingsstore.h"
#include "platform/systemmediaplayer.h"
#ifdef Q_OS_WIN
#include "platform/registrysysteminfo_win.h"
#else
#include "platform/desktopsysteminfo.h"
#endif
#ifndef Q_OS_LINUX
#include "platform/audiooutputqt.h"
#endif

#include <QCoreApplication>
#include <QFileInfo>
#include <QSysInfo>

namespace calmora {

static ProgramInfo runningProgram()
{
    const QFileInfo exe(QCoreApplication::applicationFilePath());
    ProgramInfo info;
    info.baseName = exe.completeBaseName();
    info.fileName = exe.fileName();
    info.folder = exe.absolutePath();
#ifdef Q_OS_WIN
    info.updaterName = QStringLiteral("update.exe");
    info.fileNameCase = Qt::CaseInsensitive;
#else
    info.updaterName = QStringLiteral("update");
#endif
    info.computerName = QSysInfo::machineHostName();
    return info;
}

// libpulse where there is one: it alone reports when a sound has really
// ended and bounds every wait on a server that stops answering (measured by
// bench/player_bench.sh); Qt's own sink elsewhere.
static std::shared_ptr<AudioOutput> systemAudioOutput()
{
#ifdef Q_OS_LINUX
    return std::make_shared<PulseAudioOutput>();
#else
    return std::make_shared<QtAudioOutput>();
#endif
}

struct Platform::Impl
{
    ProgramInfo program = runningProgram();
    SystemMediaPlayer player{systemAudioOutput()};
    QtDialogs dialogs;
    ProcessLauncher launcher;
    SettingsStore store{QStringLiteral("Calmora"), program.baseName};
    QtTrayIcon tray;
    RandomGenerator random;
#ifdef Q_OS_WIN
    RegistrySystemInfo systemInfo;
#else
    DesktopSystemInfo systemInfo;
#endif
};

Platform::Platform()
    : d(std::make_unique<Impl>())
{
}

Platform::~Platform() = default;

Services Platform::services() const
{
    Services s;
    s.player = &d->player;
    s.dialogs = &d->dialogs;
    s.launcher = &d->launcher;
    s.store = &d->store;
    s.tray = &d->tray;
    s.random = &d->random;
    s.systemInfo = &d->systemInfo;
    s.program = d->program;
    return s;
}

std::shared_ptr<FileSystem> systemFileSystem()
{
    static const std::shared_ptr<FileSystem> files = std::make_shared<PosixFileSystem>();
    return files;
}

} // namespace calmora
