#include "core/settings.h"

#include "core/appstate.h"
#include "list/soundlist.h"
#include "net/folderlisting.h"
#include "platform/settingsstore.h"

#include <QDir>

#include <algorithm>
#include <cmath>
#include <vector>

namespace calmora {

namespace {

const QString kSettings = QStringLiteral("Settings");
const QString kFunctionKeys = QStringLiteral("Function Keys");
const QString kWavFiles = QStringLiteral("WAV Files");
const QString kPreferences = QStringLiteral("Preferences");
const QString kTimeFormat = QStringLiteral("HH:mm");

QString numbered(const char *prefix, int n)
{
    return QLatin1String(prefix) + QString::number(n);
}

std::optional<int> parseStoredInteger(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

// How many "wav" keys to look at: the stored count when it is a sane number,
// else every key that may exist.
int wavKeysToRead(const QString &text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (ok && std::isfinite(value)) {
        const double whole = std::floor(value);
        if (whole >= 0 && whole <= SoundList::kMaxEntries)
            return int(whole);
    }
    return SoundList::kMaxEntries;
}

// An entry is stored as its text, a comma and its tick. Paths may hold commas
// themselves, so the tick is taken after the last comma.
std::pair<QString, bool> parseWavValue(const QString &value)
{
    const qsizetype comma = value.lastIndexOf(QLatin1Char(','));
    if (comma < 0)
        return {value, false};
    return {value.left(comma), parseStoredBoolean(value.mid(comma + 1)).value_or(false)};
}

} // namespace

std::optional<bool> parseStoredBoolean(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const double number = trimmed.toDouble(&ok);
    if (ok && std::isfinite(number))
        return number != 0;
    return std::nullopt;
}

QString storedBooleanText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

namespace {

QString userKey(int n)
{
    return numbered("User", n);
}

QString functionKey(int n)
{
    return numbered("F", n);
}

void putNetworkSettings(SettingsStore &store, const AppState &s)
{
    store.save(kSettings, QStringLiteral("NetName"), s.NetName);
    store.save(kSettings, QStringLiteral("NetPath"), s.NetPath);
    store.save(kSettings, QStringLiteral("NetActive"), storedBooleanText(s.NetActive));
    store.save(kSettings, QStringLiteral("Users"), QString::number(s.UserCount));
    for (int n = 1; n <= s.UserCount; ++n)
        store.save(kSettings, userKey(n), s.Users[n]);
}

void putPreferences(SettingsStore &store, const AppState::Preferences &p)
{
    store.save(kPreferences, QStringLiteral("Volume"), QString::number(p.volume));
    store.save(kPreferences, QStringLiteral("QuietHours"), storedBooleanText(p.quietHours));
    store.save(kPreferences, QStringLiteral("QuietFrom"), p.quietFrom.toString(kTimeFormat));
    store.save(kPreferences, QStringLiteral("QuietTo"), p.quietTo.toString(kTimeFormat));
    store.save(kPreferences, QStringLiteral("QuietWhenLocked"), storedBooleanText(p.quietWhenLocked));
}

QTime storedTime(const SettingsStore &store, const QString &key, QTime fallback)
{
    const QTime time = QTime::fromString(store.get(kPreferences, key, QString()).trimmed(), kTimeFormat);
    return time.isValid() ? time : fallback;
}

void putFunctionKeys(SettingsStore &store, const AppState &s)
{
    for (int n = 1; n <= AppState::kFunctionKeys; ++n)
        store.save(kFunctionKeys, functionKey(n), s.FunctionKeyTable[n]);
}

} // namespace

std::error_code readSettings(const SettingsStore &store, AppState &s, SoundList &list, FolderListing &File1)
{
    const std::optional<int> stress =
        parseStoredInteger(store.get(kSettings, QStringLiteral("StressIndex"), QStringLiteral("2")));
    s.StressIndex = stress && *stress >= 0 && *stress <= 3 ? *stress : 2;
    readNetworkSettings(store, s);

    std::error_code bindError = File1.setPath(s.NetPath);
    if (FolderListing::isDeviceUnavailable(bindError))
        bindError.clear();

    readFunctionKeys(store, s);
    readPreferences(store, s);

    list.clear();
    {
        SoundList::Batch batch(list);
        const int keys = wavKeysToRead(store.get(kWavFiles, QStringLiteral("NumWavs"), QStringLiteral("0")));
        std::vector<std::pair<QString, bool>> entries;
        for (int n = 0; n < keys && int(entries.size()) < SoundList::kMaxEntries; ++n) {
            const QString key = numbered("wav", n);
            if (store.contains(kWavFiles, key))
                entries.push_back(parseWavValue(store.get(kWavFiles, key, QString())));
        }
        // Every entry lands at its sorted place whatever the order; in sorted
        // order each lands at the end instead of shifting all the others.
        std::stable_sort(entries.begin(), entries.end(), [](const auto &a, const auto &b) {
            return SoundList::sortsBefore(a.first, b.first);
        });
        for (const auto &[text, ticked] : entries)
            list.addEntry(text, ticked);
    }
    s.SettingsChanged = false;
    return bindError;
}

bool saveSettings(SettingsStore &store, AppState &s, const SoundList &list)
{
    store.deleteSection(kWavFiles);
    store.save(kSettings, QStringLiteral("StressIndex"), QString::number(s.StressIndex));
    putNetworkSettings(store, s);
    putFunctionKeys(store, s);
    putPreferences(store, s.preferences);
    const int count = list.count();
    store.save(kWavFiles, QStringLiteral("NumWavs"), QString::number(count));
    for (int n = 0; n < count; ++n)
        store.save(kWavFiles, numbered("wav", n),
                   list.text(n) + QLatin1Char(',') + storedBooleanText(list.isTicked(n)));
    // Unsaved changes stay marked when this fails, so closing still offers to save them.
    if (!store.sync())
        return false;
    s.SettingsChanged = false;
    return true;
}

void readNetworkSettings(const SettingsStore &store, AppState &s)
{
    s.NetName = store.get(kSettings, QStringLiteral("NetName"), QString());
    s.NetPath = store.get(kSettings, QStringLiteral("NetPath"), QString());
    s.NetActive =
        parseStoredBoolean(store.get(kSettings, QStringLiteral("NetActive"), QStringLiteral("False")))
            .value_or(false);
    const int users =
        parseStoredInteger(store.get(kSettings, QStringLiteral("Users"), QStringLiteral("0"))).value_or(0);
    s.UserCount = std::clamp(users, 0, AppState::kMaxUsers);
    for (int n = 1; n <= s.UserCount; ++n)
        s.Users[n] = store.get(kSettings, userKey(n), QString());
}

bool saveNetworkSettings(SettingsStore &store, const AppState &state)
{
    putNetworkSettings(store, state);
    return store.sync();
}

void readFunctionKeys(const SettingsStore &store, AppState &s)
{
    for (int n = 1; n <= AppState::kFunctionKeys; ++n)
        s.FunctionKeyTable[n] = store.get(kFunctionKeys, functionKey(n), QString());
}

bool saveFunctionKeys(SettingsStore &store, const AppState &state)
{
    putFunctionKeys(store, state);
    return store.sync();
}

void readPreferences(const SettingsStore &store, AppState &s)
{
    const AppState::Preferences defaults;
    AppState::Preferences &p = s.preferences;
    const std::optional<int> volume =
        parseStoredInteger(store.get(kPreferences, QStringLiteral("Volume"), QString()));
    p.volume = volume ? std::clamp(*volume, 0, 100) : defaults.volume;
    p.quietHours = parseStoredBoolean(store.get(kPreferences, QStringLiteral("QuietHours"), QString()))
                       .value_or(defaults.quietHours);
    p.quietFrom = storedTime(store, QStringLiteral("QuietFrom"), defaults.quietFrom);
    p.quietTo = storedTime(store, QStringLiteral("QuietTo"), defaults.quietTo);
    p.quietWhenLocked =
        parseStoredBoolean(store.get(kPreferences, QStringLiteral("QuietWhenLocked"), QString()))
            .value_or(defaults.quietWhenLocked);
}

bool savePreferences(SettingsStore &store, const AppState &state)
{
    putPreferences(store, state.preferences);
    return store.sync();
}

QString saveFailedMessage(const SettingsStore &store)
{
    return QStringLiteral("The settings could not be saved to %1: %2")
        .arg(QDir::toNativeSeparators(store.fileName()), store.lastError());
}

} // namespace calmora
