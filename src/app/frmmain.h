#pragma once

#include "core/appstate.h"
#include "platform/services.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <memory>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QTimer;
class QToolButton;

namespace calmora {

class Explorer;
class FolderListing;
struct Quiet;
class Receiver;
class Scheduler;
class Sender;
class SoundList;
class SoundListView;
class frmAbout;
class frmFKeys;
class frmReceive;
class frmUsers;

// The main window. It owns every control of the window, the timer and the
// menus, and it alone touches them. What the program does lives in the
// classes it creates (the scheduler, the sound list, the receiver, the
// sender); they say what happened with signals, and the window shows it.
class frmMain final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmMain)

public:
    explicit frmMain(const Services &services, QWidget *parent = nullptr);
    ~frmMain() override;

    // Start-up: centres and shows the window, reads the settings, starts the timer.
    void Form_Load();
    // One tick of the 30-second timer; tests run it directly instead of waiting.
    void tmrMinute_Timer();

    // The program-wide variables, for tests to look at.
    AppState &state() { return m_state; }

    // Another start of the program asked for the window: it comes back from
    // the tray as a double click on the icon brings it, and to the front.
    void bringForward();

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
    void connectControls();
    void setStandardIcons();
    void setSendEnabled(bool enabled);
    // Runs a modal dialog that changes what ticks work on: no tick runs while
    // it is open, and ticks start afresh when it closes, whatever they did before.
    template <typename Dialog>
    void execWithTicksPaused(Dialog &dialog);

    void Read_Settings();
    void Save_Settings();
    void Check_Update();
    void Tray_Main();
    void Tray_Remove();
    void Form_QueryUnload();
    void Form_Unload();
    void Form_KeyDown(int key);

    void mnuSave_Click();
    void mnuRestore_Click();
    void mnuFunctionKeys_Click();
    void mnuNetwork_Click();
    void mnuEnableNetwork_Click();
    void mnuAbout_Click();
    void mnuPreferences_Click();
    // Puts the stored preferences in force: the volume, and what the tray's tip says.
    void applyPreferences();
    // Whether the program plays nothing by itself now (quiet hours, a locked screen).
    Quiet quietState() const;
    void showTrayTip(const Quiet &quiet);
    void updateTrayTip();
    void mnuEnable_Click();
    void optstress_MouseUp(int index);
    void chkDisable_Click(bool ticked);
    void cmdPlay_Click();
    void cmdSend_Click();
    void cmdAdd_Click();
    void cmdDelete_Click();
    void cmdClear_Click();
    void Picture1_Click();
    void List1_Click();
    void List1_OLEDragDrop(const QStringList &paths);
    void List1_MouseUp(const QPoint &globalPos);
    void showReceivedText(const QString &text, const QString &problem);
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
    SoundListView *m_list1 = nullptr;
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
    QAction *m_mnuPreferences = nullptr;
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

    // What the controls drive.
    SoundList *m_soundList = nullptr;
    Scheduler *m_scheduler = nullptr;
    Receiver *m_receiver = nullptr;
    Sender *m_sender = nullptr;
    std::unique_ptr<Explorer> m_explorer;

    // The modeless windows, one of each.
    QPointer<frmFKeys> m_frmFKeys;
    QPointer<frmUsers> m_frmUsers;
    QPointer<frmReceive> m_frmReceive;
    QPointer<frmAbout> m_frmAbout;

    bool m_trayBusy = false;
    bool m_tickPending = false;
    bool m_closing = false;
    bool m_unloaded = false;
    bool m_lastWindowGone = false;
    bool m_painted = false;
};

} // namespace calmora
