#pragma once

#include <QObject>
#include <QPointer>

#include "sound/frmfkeys.h"

class QWidget;

namespace calmora {

struct AppState;
class MediaPlayer;
class Scheduler;
class SettingsStore;
class SoundList;


// F1..F12 in the main window, and the dialog that assigns them.
class FunctionKeys final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FunctionKeys)

public:
    FunctionKeys(AppState &state, SoundList &list, MediaPlayer &player, Scheduler &scheduler,
                 SettingsStore &store, QWidget *mainWindow);

    // A key pressed in the main window: F1..F12 as Qt::Key_F1..Qt::Key_F12.
    // Returns whether the key was a function key.
    bool Form_KeyDown(int qtKey);

    // "Function Keys" in the Options menu: one modeless dialog.
    void mnuFunctionKeys_Click();
    frmFKeys *dialog() const { return m_dialog; }

private:
    AppState &m_state;
    SoundList &m_list;
    MediaPlayer &m_player;
    Scheduler &m_scheduler;
    SettingsStore &m_store;
    QWidget *m_mainWindow;
    QPointer<frmFKeys> m_dialog;
};

} // namespace calmora
