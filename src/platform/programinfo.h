#pragma once

#include <QString>

namespace calmora {

// Where the running program lives. The base name is also the settings
// application name, so a renamed copy keeps settings of its own.
struct ProgramInfo
{
    QString baseName;     // file name without folder and extension
    QString fileName;     // file name as on disk ("calmora", "calmora.exe")
    QString folder;       // folder without a trailing separator
    QString updaterName;  // the updater's file name in the same folder
    QString computerName; // as the platform reports it, or ""
    // Whether file names that differ only in letter case name different files.
    Qt::CaseSensitivity fileNameCase = Qt::CaseSensitive;
    // The minisign key new versions must be signed with; "" takes them unsigned.
    QByteArray updateKey;
};

} // namespace calmora
