#pragma once

#include "core/appstate.h"

#include <QString>
#include <QTime>

namespace calmora {

// Quiet hours from `from` to `to`, local time; the window runs past midnight
// when `to` comes before `from`. A window of no length is never quiet.
bool inQuietHours(QTime now, QTime from, QTime to);

// While quiet the program plays nothing by itself: no random sounds, and
// received messages wait in the shared folder. What the user starts plays.
struct Quiet
{
    bool quiet = false;
    QString until; // "07:00" at the end of quiet hours; "" while only the locked screen keeps it quiet
};
Quiet quietNow(const AppState::Preferences &preferences, QTime now, bool screenLocked);

// The tray icon's tip, which says when and why the program is quiet.
QString trayTip(const Quiet &quiet);

} // namespace calmora
