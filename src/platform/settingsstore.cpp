#include "platform/settingsstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSettings>
#include <QStringList>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace calmora {

namespace {

QString sectionKey(const QString &section, const QString &key)
{
    return section + QLatin1Char('/') + key;
}

QString systemErrorText(int code)
{
    return QString::fromLocal8Bit(std::generic_category().message(code));
}

// Whether an INI file holds one line per key and ends with a line end, as a
// complete one written by QSettings does; a file cut short by a full disk does not.
bool holdsAllKeys(const QString &path, qsizetype keys)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (keys == 0)
        return true;
    if (!bytes.endsWith('\n'))
        return false;
    qsizetype lines = 0;
    for (qsizetype start = 0; start < bytes.size();) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        // Values are written escaped, so every key is exactly one line.
        const QByteArrayView line = QByteArrayView(bytes).sliced(start, end - start).trimmed();
        if (!line.isEmpty() && !line.startsWith('['))
            ++lines;
        start = end + 1;
    }
    return lines == keys;
}

} // namespace

SettingsStore::SettingsStore(const QString &organization, const QString &application)
    : m_settings(
        std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, organization, application))
{
}

SettingsStore::SettingsStore(const QString &iniFilePath)
    : m_settings(std::make_unique<QSettings>(iniFilePath, QSettings::IniFormat))
{
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::get(const QString &section, const QString &key, const QString &defaultValue) const
{
    const QString name = sectionKey(section, key);
    if (const auto saved = m_saved.constFind(name); saved != m_saved.cend())
        return saved->value_or(defaultValue);
    const QVariant value = m_settings->value(name);
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
    const QString name = sectionKey(section, key);
    if (const auto saved = m_saved.constFind(name); saved != m_saved.cend())
        return saved->has_value();
    return m_settings->contains(name);
}

void SettingsStore::save(const QString &section, const QString &key, const QString &value)
{
    m_saved.insert(sectionKey(section, key), value);
    m_unsynced = true;
}

bool SettingsStore::deleteSection(const QString &section)
{
    const QString prefix = section + QLatin1Char('/');
    bool existed = false;
    m_settings->beginGroup(section);
    const QStringList stored = m_settings->allKeys();
    m_settings->endGroup();
    for (const QString &key : stored) {
        existed = existed || contains(section, key);
        m_saved.insert(prefix + key, std::nullopt);
    }
    for (auto it = m_saved.begin(); it != m_saved.end(); ++it) {
        if (it.key().startsWith(prefix)) {
            existed = existed || it->has_value();
            *it = std::nullopt;
        }
    }
    m_unsynced = true;
    return existed;
}

bool SettingsStore::sync()
{
    m_lastError.clear();
    if (!m_unsynced)
        return true;
    if (isFile()) {
        if (!writeFile())
            return false;
    } else {
        for (auto it = m_saved.cbegin(); it != m_saved.cend(); ++it) {
            if (it->has_value())
                m_settings->setValue(it.key(), **it);
            else
                m_settings->remove(it.key());
        }
        m_saved.clear();
        m_settings->sync();
        if (m_settings->status() != QSettings::NoError) {
            m_lastError = QStringLiteral("The settings store refused the change.");
            return false;
        }
    }
    m_unsynced = false;
    return true;
}

bool SettingsStore::isFile() const
{
    // Native settings are an INI file named *.conf on Linux; the registry and
    // property lists elsewhere are left to QSettings.
    return m_settings->format() == QSettings::IniFormat
           || m_settings->fileName().endsWith(QLatin1String(".conf"));
}

// Writes everything to a new file beside the old one and renames it over the
// old one only once it is known to be complete.
bool SettingsStore::writeFile()
{
    const QString path = m_settings->fileName();
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        m_lastError = systemErrorText(errno ? errno : EACCES);
        return false;
    }
    QMap<QString, QVariant> values;
    for (const QString &key : m_settings->allKeys())
        values.insert(key, m_settings->value(key));
    for (auto it = m_saved.cbegin(); it != m_saved.cend(); ++it) {
        if (it->has_value())
            values.insert(it.key(), **it);
        else
            values.remove(it.key());
    }

    // A name of its own each time, so QSettings never mixes in a cached older file.
    const QString temporary = path + QLatin1Char('.')
                              + QString::number(QRandomGenerator::global()->generate(), 16)
                              + QLatin1String(".saving");
    int writeErrno = 0;
    bool written = false;
    {
        QSettings out(temporary, m_settings->format());
        out.clear();
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            out.setValue(it.key(), it.value());
        errno = 0;
        out.sync();
        writeErrno = errno;
        written = out.status() == QSettings::NoError;
    }
    if (written && !holdsAllKeys(temporary, values.size())) {
        written = false;
        // QSettings called a file cut short a success: writing on tells why.
        QFile probe(temporary);
        const QByteArray more(qsizetype{64} * 1024, ' ');
        if (probe.open(QIODevice::Append | QIODevice::Unbuffered) && probe.write(more) != more.size()) {
            // A short write to a plain file means the disk is full.
            m_lastError =
                probe.error() != QFileDevice::NoError ? probe.errorString() : systemErrorText(ENOSPC);
        }
        writeErrno = 0;
    }
    std::error_code error;
    if (written) {
        std::filesystem::rename(QFile::encodeName(temporary).toStdString(),
                                QFile::encodeName(path).toStdString(), error);
        if (!error)
            return true;
        writeErrno = error.value();
    }
    QFile::remove(temporary);
    // QSettings does not say why it failed; the last failing call does.
    if (writeErrno)
        m_lastError = systemErrorText(writeErrno);
    else if (m_lastError.isEmpty())
        m_lastError = QStringLiteral("The file could not be written completely.");
    return false;
}

void SettingsStore::reload()
{
    const QString path = m_settings->fileName();
    const QSettings::Format format = m_settings->format();
    m_settings.reset();
    m_settings = std::make_unique<QSettings>(path, format);
    m_saved.clear();
    m_unsynced = false;
}

QString SettingsStore::fileName() const
{
    return m_settings->fileName();
}

} // namespace calmora
