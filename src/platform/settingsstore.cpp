#include "platform/settingsstore.h"

#include <QSettings>
#include <QStringList>

namespace calmora {

SettingsStore::SettingsStore(const QString &organization, const QString &application)
    : m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                             organization, application))
{
}

SettingsStore::SettingsStore(const QString &iniFilePath)
    : m_settings(std::make_unique<QSettings>(iniFilePath, QSettings::IniFormat))
{
}

SettingsStore::~SettingsStore() = default;

static QString sectionKey(const QString &section, const QString &key)
{
    return section + QLatin1Char('/') + key;
}

QString SettingsStore::get(const QString &section, const QString &key,
                           const QString &defaultValue) const
{
    const QVariant value = m_settings->value(sectionKey(section, key));
    if (!value.isValid())
        return defaultValue;
    // An INI value written by hand with an unquoted comma comes back as a list;
    // the store only ever holds texts, so put it back together.
    if (value.metaType().id() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

bool SettingsStore::contains(const QString &section, const QString &key) const
{
    return m_settings->contains(sectionKey(section, key));
}

void SettingsStore::save(const QString &section, const QString &key, const QString &value)
{
    m_settings->setValue(sectionKey(section, key), value);
}

bool SettingsStore::deleteSection(const QString &section)
{
    m_settings->beginGroup(section);
    const bool existed = !m_settings->allKeys().isEmpty();
    m_settings->endGroup();
    m_settings->remove(section);
    return existed;
}

bool SettingsStore::sync()
{
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

void SettingsStore::reload()
{
    const QString path = m_settings->fileName();
    const QSettings::Format format = m_settings->format();
    m_settings.reset();
    m_settings = std::make_unique<QSettings>(path, format);
}

QString SettingsStore::fileName() const
{
    return m_settings->fileName();
}

} // namespace calmora
