#pragma once

#include <QString>

#include <memory>

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
    // Writes pending changes; the file is replaced whole or not at all.
    // False when the store could not be written.
    bool sync();
    QString fileName() const;
    // Drops what is cached and reads the file again (after another program changed it).
    void reload();

private:
    std::unique_ptr<QSettings> m_settings;
};

} // namespace calmora
