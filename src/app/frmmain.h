#pragma once

#include "app/appstate.h"
#include "platform/services.h"

#include <QMainWindow>

#include <array>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QRadioButton;
class QTimer;
class QToolButton;

namespace calmora {

class AboutBox;
class FolderListing;
class FunctionKeys;
class Network;
class Playback;
class Scheduler;
class SoundList;
class SoundListController;
struct SettingsContext;

// The main window. It owns every control that more than one part of the
// program uses and wires them to the subsystems that give them behaviour.
class frmMain final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmMain)

public:
    explicit frmMain(const Services &services, QWidget *parent = nullptr);
    ~frmMain() override;

    // Start-up: centres and shows the window, reads the settings, starts the timer.
    void Form_Load();

    AppState &state() { return m_state; }
    const Services &services() const { return m_services; }
    SoundList &soundList() const { return *m_soundList; }
    Scheduler &scheduler() const { return *m_scheduler; }
    FunctionKeys &functionKeys() const { return *m_functionKeys; }
    Network &network() const { return *m_network; }
    SoundListController &listController() const { return *m_listController; }
    FolderListing &File1() const { return *m_file1; }
    QTimer *tmrMinute() const { return m_tmrMinute; }

    void Read_Settings();
    void Save_Settings();
    void Check_Update();
    void Tray_Main();
    void Tray_Remove();
    // One tick of the 30-second timer.
    void tmrMinute_Timer();

    void mnuSave_Click();
    void mnuRestore_Click();

Q_SIGNALS:
    // The main window has unloaded and no other window of the program is open:
    // the program should end.
    void lastWindowGone();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setupUi();
    void setupMenus();
    void setStandardIcons();
    void setSendEnabled(bool enabled);
    SettingsContext settingsContext();
    void Form_QueryUnload();
    void Form_Unload();
    void trayDoubleClicked();
    void trayRightReleased(const QPoint &globalPos);
    bool otherWindowsOpen() const;
    void announceLastWindowGone();

    Services m_services;
    AppState m_state;

    // Visible controls.
    QGroupBox *m_fraStress = nullptr;
    std::array<QRadioButton *, 4> m_optstress{};
    QCheckBox *m_chkDisable = nullptr;
    QToolButton *m_picture1 = nullptr;
    QLabel *m_picNet = nullptr;
    QLabel *m_label3 = nullptr;
    QListWidget *m_list1 = nullptr;
    QPushButton *m_cmdPlay = nullptr;
    QPushButton *m_cmdSend = nullptr;
    QPushButton *m_cmdAdd = nullptr;
    QPushButton *m_cmdDelete = nullptr;
    QPushButton *m_cmdClear = nullptr;

    // Components the user never sees.
    FolderListing *m_file1 = nullptr;
    QTimer *m_tmrMinute = nullptr;
    QPushButton *m_cmdSelectAll = nullptr;
    QPushButton *m_cmdDeselectAll = nullptr;
    QCheckBox *m_chkSchedule = nullptr;
    QLabel *m_label1 = nullptr;
    QLineEdit *m_txtStart = nullptr;
    QLabel *m_label2 = nullptr;
    QLineEdit *m_txtStop = nullptr;

    // Menus.
    QAction *m_mnuSave = nullptr;
    QAction *m_mnuRestore = nullptr;
    QAction *m_mnuQuit1 = nullptr;
    QAction *m_mnuFunctionKeys = nullptr;
    QAction *m_mnuNetwork = nullptr;
    QAction *m_mnuAbout = nullptr;
    QMenu *m_mnuPopup = nullptr;
    QAction *m_mnuEnableNetwork = nullptr;
    QAction *m_mnuEnable = nullptr;
    QAction *m_mnuCancel = nullptr;
    QAction *m_mnuQuit = nullptr;
    QMenu *m_mnuPopup2 = nullptr;
    QAction *m_mnuPlay = nullptr;
    QAction *m_mnuSend = nullptr;
    QAction *m_mnuDelete = nullptr;

    SoundList *m_soundList = nullptr;
    Scheduler *m_scheduler = nullptr;
    FunctionKeys *m_functionKeys = nullptr;
    AboutBox *m_about = nullptr;
    Network *m_network = nullptr;
    SoundListController *m_listController = nullptr;
    Playback *m_playback = nullptr;

    bool m_trayBusy = false;
    bool m_tickPending = false;
    bool m_closing = false;
    bool m_unloaded = false;
    bool m_lastWindowGone = false;
    bool m_painted = false;
};

} // namespace calmora
