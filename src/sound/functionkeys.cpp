#include "sound/functionkeys.h"

#include "core/appstate.h"
#include "platform/mediaplayer.h"
#include "sound/scheduler.h"

namespace calmora {

bool playFunctionKey(int qtKey, const AppState &state, MediaPlayer &player, Scheduler &scheduler)
{
    const int n = qtKey - Qt::Key_F1 + 1;
    if (n < 1 || n > AppState::kFunctionKeys)
        return false;
    const QString &entry = state.FunctionKeyTable[n];
    if (entry.isEmpty())
        return true;
    if (entry == QLatin1String("Random")) {
        scheduler.Laugh();
    } else {
        player.setFileName(entry);
        player.setWait(false);
        player.command(QStringLiteral("sound"));
    }
    return true;
}

} // namespace calmora
