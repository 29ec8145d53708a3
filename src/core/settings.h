#pragma once

#include <QString>

#include <optional>
#include <system_error>

namespace calmora {

struct AppState;
class FolderListing;
class SettingsStore;
class SoundList;

// The one home of the stored settings format: sections "Settings",
// "Function Keys", "WAV Files" and "Preferences"; texts, "True"/"False",
// plain decimals and "HH:MM" times.
// Every reader and writer of the store goes through here.

// Fills AppState, the function-key table and the sound list from the store,
// binding File1 to the shared folder on the way. Bad stored values get safe
// defaults. Returns why the folder could not be bound, unless its device is
// simply unreachable (an absent network share), which is not worth a word.
std::error_code readSettings(const SettingsStore &store, AppState &state, SoundList &list,
                             FolderListing &File1);
// Writes everything. False when the store could not be written: the store
// keeps the previous file whole, and SettingsChanged stays as it was.
bool saveSettings(SettingsStore &store, AppState &state, const SoundList &list);

// What the network settings dialog stores on OK and the command line reads:
// this computer's name, the folder, whether messages are received, the users.
void readNetworkSettings(const SettingsStore &store, AppState &state);
bool saveNetworkSettings(SettingsStore &store, const AppState &state);
// The function-key table, as the function-key dialog reads it on opening and
// stores it on Apply and OK.
void readFunctionKeys(const SettingsStore &store, AppState &state);
bool saveFunctionKeys(SettingsStore &store, const AppState &state);

// The preferences window's part: section "Preferences".
void readPreferences(const SettingsStore &store, AppState &state);
bool savePreferences(SettingsStore &store, const AppState &state);

// What a failed save tells the user, with the store's file and the reason.
QString saveFailedMessage(const SettingsStore &store);

// "True"/"False" in any case, or a decimal number (0 false, else true).
std::optional<bool> parseStoredBoolean(const QString &text);
QString storedBooleanText(bool value);

} // namespace calmora
