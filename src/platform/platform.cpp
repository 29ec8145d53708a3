#include "platform/platform.h"

#include "platform/autostart.h"
#include "platform/qtdialogs.h"
#include "platform/qttrayicon.h"
#include "platform/random.h"
#include "platform/screenlock.h"
#include "platform/settingsstore.h"
#include "platform/systemmediaplayer.h"
// CMake compiles one implementation of each service for the platform; this
// is the one place that names them.
#ifdef CALMORA_HAVE_PULSE
#include "platform/audiooutputpulse.h"
#else
#include "platform/audiooutputqt.h"
#endif
#ifdef Q_OS_UNIX
#include "platform/posixfilesystem.h"
#else
#include "platform/qtfilesystem.h"
#endif
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
#include "platform/processlauncher.h"
#else
#include "platform/qtlauncher.h"
#endif
#ifdef Q_OS_WIN
#include "platform/registrysysteminfo_win.h"
#else
#include "platform/desktopsysteminfo.h"
#endif
#ifdef CALMORA_HAVE_DBUS
#include "platform/dbusscreenlock.h"
#endif
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
#include "platform/xdgautostart.h"
#endif

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSysInfo>

#include <cstdio>
#include <cstdlib>

namespace calmora {

ProgramInfo Platform::runningProgram()
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
#ifdef CALMORA_HAVE_PULSE
    return std::make_shared<PulseAudioOutput>();
#else
    return std::make_shared<QtAudioOutput>();
#endif
}

std::shared_ptr<FileSystem> Platform::fileSystem()
{
#ifdef Q_OS_UNIX
    return std::make_shared<PosixFileSystem>();
#else
    return std::make_shared<QtFileSystem>();
#endif
}

std::unique_ptr<SettingsStore> Platform::settingsStore()
{
    return std::make_unique<SettingsStore>(QStringLiteral("Calmora"), runningProgram().baseName);
}

QString Platform::settingsFile()
{
    return settingsStore()->fileName();
}

void Platform::endWhereTeardownHangs(int status)
{
    // Qt 6.4's Wayland client can deadlock while the application object
    // closes the connection: its event thread waits in wl_display_read_events
    // for a read that never comes, and the main thread waits for that thread.
    // Nothing is left to save or release by then, so the process just ends.
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return;
    std::fflush(nullptr);
    std::_Exit(status);
}

struct Platform::Impl
{
    ProgramInfo program = runningProgram();
    std::shared_ptr<FileSystem> files = fileSystem();
    SystemMediaPlayer player{systemAudioOutput()};
    QtDialogs dialogs;
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    ProcessLauncher launcher;
#elif defined(Q_OS_WIN)
    QtLauncher launcher{QStringLiteral("explorer.exe")};
#else
    QtLauncher launcher{QStringLiteral("open")};
#endif
    std::unique_ptr<SettingsStore> store = settingsStore();
    QtTrayIcon tray;
    RandomGenerator random;
#ifdef Q_OS_WIN
    RegistrySystemInfo systemInfo;
#else
    DesktopSystemInfo systemInfo;
#endif
#ifdef CALMORA_HAVE_DBUS
    DBusScreenLock screenLock{QDBusConnection::sessionBus()};
#else
    ScreenLock screenLock;
#endif
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    XdgAutostart autostart{QCoreApplication::applicationFilePath(), program.baseName};
#else
    Autostart autostart;
#endif
};

Platform::Platform() : d(std::make_unique<Impl>()) {}

Platform::~Platform() = default;

Services Platform::services() const
{
    Services s;
    s.player = &d->player;
    s.dialogs = &d->dialogs;
    s.launcher = &d->launcher;
    s.store = d->store.get();
    s.tray = &d->tray;
    s.random = &d->random;
    s.systemInfo = &d->systemInfo;
    s.screenLock = &d->screenLock;
    s.autostart = &d->autostart;
    s.files = d->files;
    s.program = d->program;
    return s;
}

} // namespace calmora
