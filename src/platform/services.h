#pragma once

#include "platform/programinfo.h"

namespace calmora {

class Dialogs;
class Launcher;
class MediaPlayer;
class RandomGenerator;
class SettingsStore;
class SystemInfoLookup;
class TrayIcon;

// The services the program's windows use, handed to them by whoever built
// them: the platform factory in the program, fakes in the tests. Not owned.
struct Services
{
    MediaPlayer *player = nullptr;
    Dialogs *dialogs = nullptr;
    Launcher *launcher = nullptr;
    SettingsStore *store = nullptr;
    TrayIcon *tray = nullptr;
    RandomGenerator *random = nullptr;
    SystemInfoLookup *systemInfo = nullptr;
    ProgramInfo program;
};

} // namespace calmora
