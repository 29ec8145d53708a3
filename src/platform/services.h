#pragma once

#include "platform/programinfo.h"

#include <memory>

namespace calmora {

class Autostart;
class Dialogs;
class FileSystem;
class Launcher;
class MediaPlayer;
class RandomGenerator;
class ScreenLock;
class SettingsStore;
class SystemInfoLookup;
class TrayIcon;

// The services the program's windows use, handed to them by whoever built
// them: the platform factory in the program, fakes in the tests. Not owned,
// but for the file system, which jobs still running on a hanging share hold.
struct Services
{
    std::shared_ptr<FileSystem> files;
    MediaPlayer *player = nullptr;
    Dialogs *dialogs = nullptr;
    Launcher *launcher = nullptr;
    SettingsStore *store = nullptr;
    TrayIcon *tray = nullptr;
    RandomGenerator *random = nullptr;
    SystemInfoLookup *systemInfo = nullptr;
    ScreenLock *screenLock = nullptr;
    Autostart *autostart = nullptr;
    ProgramInfo program;
};

} // namespace calmora
