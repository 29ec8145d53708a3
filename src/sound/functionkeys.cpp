#include "sound/functionkeys.h"

#include "app/appstate.h"
#include "app/singlewindow.h"
#include "platform/mediaplayer.h"
#include "sound/frmfkeys.h"
#include "sound/scheduler.h"

namespace calmora {

FunctionKeys::FunctionKeys(AppState &state, SoundList &list, MediaPlayer &player, Scheduler &scheduler,
                           SettingsStore &store, QWidget *mainWindow)
    : QObject(mainWindow),
      m_state(state),
      m_list(list),
      m_player(player),
      m_scheduler(scheduler),
      m_store(store),
      m_mainWindow(mainWindow)
{
}

bool FunctionKeys::Form_KeyDown(int qtKey)
{
    const int n = qtKey - Qt::Key_F1 + 1;
    if (n < 1 || n > AppState::kFunctionKeys)
        return false;
    const QString &entry = m_state.FunctionKeyTable[n];
    if (entry.isEmpty())
        return true;
    if (entry == QLatin1String("Random")) {
        m_scheduler.Laugh();
    } else {
        m_player.setFileName(entry);
        m_player.setWait(false);
        m_player.command(QStringLiteral("sound"));
    }
    return true;
}

void FunctionKeys::mnuFunctionKeys_Click()
{
    showSingleWindow(m_dialog, [this] {
        // Parented to the main window so it stays on top of it, but a window of its own.
        auto *dialog = new frmFKeys(m_state, m_list, m_store, m_mainWindow);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->Form_Load();
        return dialog;
    });
}

} // namespace calmora
