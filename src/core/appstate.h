#pragma once

#include <QString>
#include <QTime>

#include <array>

namespace calmora {

// The program-wide variables, read and written by every window.
struct AppState
{
    static constexpr int kMaxUsers = 50;
    static constexpr int kFunctionKeys = 12;

    int StressIndex = 2;
    int MinDelayMinutes = 15;
    int MaxDelayMinutes = 40;
    int NextDelayMinutes = 2;
    int SelectedSoundCount = 0;
    bool SoundsDisabled = false;
    bool SettingsChanged = false;
    QString NetName;
    QString NetPath;
    bool NetActive = false;
    std::array<QString, kMaxUsers + 1> Users; // names in slots 1..UserCount
    int UserCount = 0;
    std::array<QString, kFunctionKeys + 1> FunctionKeyTable; // F1..F12 in slots 1..12
    QString BrowsePath;

    // Kept in the store's "Preferences" section, which older copies ignore.
    struct Preferences
    {
        int volume = 100; // percent
        bool quietHours = false;
        QTime quietFrom{22, 0};
        QTime quietTo{7, 0};
        bool quietWhenLocked = true;
        bool operator==(const Preferences &) const = default;
    };
    Preferences preferences;
};

} // namespace calmora
