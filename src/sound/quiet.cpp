#include "sound/quiet.h"

#include "core/appinfo.h"

namespace calmora {

bool inQuietHours(QTime now, QTime from, QTime to)
{
    if (from == to)
        return false;
    return from < to ? from <= now && now < to : now >= from || now < to;
}

Quiet quietNow(const AppState::Preferences &preferences, QTime now, bool screenLocked)
{
    if (preferences.quietHours && inQuietHours(now, preferences.quietFrom, preferences.quietTo))
        return {true, preferences.quietTo.toString(QStringLiteral("HH:mm"))};
    if (preferences.quietWhenLocked && screenLocked)
        return {true, QString()};
    return {};
}

QString trayTip(const Quiet &quiet)
{
    if (!quiet.quiet)
        return appTitle();
    if (quiet.until.isEmpty())
        return appTitle() + QStringLiteral(" (quiet while the screen is locked)");
    return appTitle() + QStringLiteral(" (quiet until %1)").arg(quiet.until);
}

} // namespace calmora
