#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class QSlider;
class QTimeEdit;

namespace calmora {

struct AppState;
class Autostart;
class Dialogs;
class SettingsStore;

// "Calmora Preferences": how loud the sounds are, when the program keeps
// quiet, and whether it starts at login. OK stores them at once.
class frmPreferences final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmPreferences)

public:
    frmPreferences(AppState &state, SettingsStore &store, Autostart &autostart, Dialogs &dialogs,
                   QWidget *parent = nullptr);

    void cmdOK_Click();

private:
    AppState &m_state;
    SettingsStore &m_store;
    Autostart &m_autostart;
    Dialogs &m_dialogs;
    QSlider *m_sldVolume;
    QLabel *m_lblVolume;
    QCheckBox *m_chkQuietHours;
    QTimeEdit *m_tmeQuietFrom;
    QTimeEdit *m_tmeQuietTo;
    QCheckBox *m_chkQuietWhenLocked;
    QCheckBox *m_chkAutostart;
    QPushButton *m_cmdOK;
    QPushButton *m_cmdCancel;
};

} // namespace calmora
