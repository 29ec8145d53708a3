#include "platform/registrysysteminfo_win.h"

#include <cstring>

#include <windows.h>

namespace calmora {

namespace {

const wchar_t *wide(const QString &text)
{
    return reinterpret_cast<const wchar_t *>(text.utf16());
}

// Reads the value SubKeyRef of the key KeyName under KeyRoot into KeyVal.
// False, with KeyVal emptied, when the key or the value cannot be read. Text
// is read as it is and a 32-bit number as decimal; a value of any other type
// reads as true and leaves KeyVal as the caller passed it.
bool GetKeyValue(HKEY KeyRoot, const QString &KeyName, const QString &SubKeyRef, QString &KeyVal)
{
    HKEY key = nullptr;
    // Read access only: asking for more under HKEY_LOCAL_MACHINE is refused to
    // every user who is not an administrator.
    if (RegOpenKeyExW(KeyRoot, wide(KeyName), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        KeyVal.clear();
        return false;
    }
    wchar_t buffer[1024] = {};
    DWORD type = 0;
    DWORD size = sizeof buffer;
    const LONG read =
        RegQueryValueExW(key, wide(SubKeyRef), nullptr, &type, reinterpret_cast<BYTE *>(buffer), &size);
    RegCloseKey(key);
    if (read != ERROR_SUCCESS) {
        KeyVal.clear();
        return false;
    }
    switch (type) {
    case REG_SZ: {
        qsizetype length = qsizetype(size / sizeof(wchar_t));
        if (length > 0 && buffer[length - 1] == L'\0')
            --length;
        KeyVal = QString::fromWCharArray(buffer, length);
        break;
    }
    case REG_DWORD: {
        qint32 value = 0;
        std::memcpy(&value, buffer, sizeof value);
        KeyVal = QString::number(value);
        break;
    }
    default: break;
    }
    return true;
}

std::optional<QString> readMachineValue(const QString &keyName, const QString &valueName)
{
    QString value;
    if (!GetKeyValue(HKEY_LOCAL_MACHINE, keyName, valueName, value))
        return std::nullopt;
    return value;
}

} // namespace

std::optional<QString> RegistrySystemInfo::toolProgram()
{
    return readMachineValue(QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                            QStringLiteral("PATH"));
}

std::optional<QString> RegistrySystemInfo::toolFolder()
{
    return readMachineValue(QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"),
                            QStringLiteral("MSINFO"));
}

QString RegistrySystemInfo::toolFileName() const
{
    return QStringLiteral("MSINFO32.EXE");
}

} // namespace calmora
