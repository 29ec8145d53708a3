#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace calmora {

struct AppState;
class Dialogs;
class FolderListing;
class SettingsStore;
class SoundList;

// What reading and writing the settings touch.
struct SettingsContext
{
    SettingsStore &store;
    AppState &state;
    SoundList &list;
    FolderListing &File1;
    Dialogs &dialogs;
    QWidget *parent = nullptr;
};

// Fills AppState, the function-key table and the sound list from the store.
// Bad stored values get safe defaults; a shared folder that cannot be bound
// is reported unless its device is simply not reachable.
void Read_Settings(const SettingsContext &context);
// Writes everything; false when the store could not be written. The store is
// replaced whole, so a failed save leaves the previous settings intact; the
// failure is reported and SettingsChanged stays as it was.
bool Save_Settings(const SettingsContext &context);

// "True"/"False" in any case, or a decimal number (0 false, else true).
std::optional<bool> parseStoredBoolean(const QString &text);
QString storedBooleanText(bool value);

} // namespace calmora
