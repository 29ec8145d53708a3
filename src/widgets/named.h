#pragma once

#include <QLatin1String>

namespace calmora {

// Gives a widget or an action the name the design uses for it, as its
// objectName, and hands it back for the assignment.
template <typename T>
T *named(T *object, const char *name)
{
    object->setObjectName(QLatin1String(name));
    return object;
}

} // namespace calmora
