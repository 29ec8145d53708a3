#pragma once

#include <QPointer>

namespace calmora {

// Modeless windows the program keeps one of: shows the window in slot,
// creating it with make() when none is open, and brings it forward.
template <typename Window, typename Make>
Window *showSingleWindow(QPointer<Window> &slot, Make make)
{
    if (!slot)
        slot = make();
    slot->show();
    slot->raise();
    slot->activateWindow();
    return slot;
}

} // namespace calmora
