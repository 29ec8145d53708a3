#pragma once

#include <QString>

namespace calmora {

// The program's title, the caption of its message boxes.
inline QString appTitle()
{
    return QStringLiteral("Calmora");
}

} // namespace calmora
