#pragma once

#include "version.h"

#include <QString>

namespace calmora {

// The program's title, the caption of its message boxes.
inline QString appTitle()
{
    return QStringLiteral("Calmora");
}

// "2.1.2": each part in plain decimal.
inline QString appVersion()
{
    return QStringLiteral("%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision);
}

} // namespace calmora
