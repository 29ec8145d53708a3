#pragma once

#include <QMap>
#include <QString>

#include <memory>
#include <optional>

class QSettings;

namespace calmora {

// The per-user settings store: text values addressed by section and key.
// In the program it is QSettings in the native format under organisation
// "Calmora" and the executable's base name; tests hand it a file of their own.
class SettingsStore final
{
public:
    // The store of the running program.
    SettingsStore(const QString &organization, const QString &application);
    // A store kept in the INI file at path (tests, tools).
    explicit SettingsStore(const QString &iniFilePath);
    ~SettingsStore();
    Q_DISABLE_COPY_MOVE(SettingsStore)

    QString get(const QString &section, const QString &key, const QString &defaultValue) const;
    bool contains(const QString &section, const QString &key) const;
    void save(const QString &section, const QString &key, const QString &value);
    // False when the section did not exist.
    bool deleteSection(const QString &section);
    // Writes what was saved since the last sync; the file is replaced whole or
    // not at all. False when it could not be written: the old file stays as it
    // was, and what was saved is kept for the next try.
    bool sync();
    // Why the last sync() failed, in the platform's words; "" after a success.
    QString lastError() const { return m_lastError; }
    QString fileName() const;
    // Drops what is cached and reads the file again (after another program changed it).
    void reload();

private:
    bool isFile() const;
    bool writeFile();

    // The values as last read. Never written through: QSettings 6.4 replaces
    // its file with a truncated one when the disk fills while it writes.
    std::unique_ptr<QSettings> m_settings;
    // Saved values ("section/key") not yet read back; nullopt for a removed key.
    QMap<QString, std::optional<QString>> m_saved;
    bool m_unsynced = false;
    QString m_lastError;
};

} // namespace calmora
