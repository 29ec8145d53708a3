#include "app/frmmain.h"

#include "about/frmabout.h"
#include "app/appinfo.h"
#include "app/captionfit.h"
#include "app/centre.h"
#include "app/settings.h"
#include "app/twips.h"
#include "app/updatecheck.h"
#include "list/soundlist.h"
#include "list/soundlistcontroller.h"
#include "net/folderlisting.h"
#include "net/network.h"
#include "platform/dialogs.h"
#include "platform/filesystem.h"
#include "platform/mediaplayer.h"
#include "platform/random.h"
#include "platform/trayicon.h"
#include "sound/functionkeys.h"
#include "sound/playback.h"
#include "sound/scheduler.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

namespace calmora {

namespace {

#ifdef CALMORA_TEST_TICK_MS
// Test-only builds shorten the tick (CMake option CALMORA_TEST_TICK_MS).
constexpr int kTickMilliseconds = CALMORA_TEST_TICK_MS;
#else
constexpr int kTickMilliseconds = 30000;
#endif

template <typename T>
T *named(T *object, const char *name)
{
    object->setObjectName(QLatin1String(name));
    return object;
}

QPushButton *button(QWidget *parent, const char *name, const QString &caption,
                    const QString &tip, const QRect &geometry)
{
    auto *b = named(new QPushButton(caption, parent), name);
    b->setToolTip(tip);
    b->setGeometry(geometry);
    b->setAutoDefault(false);
    return b;
}

} // namespace

frmMain::frmMain(const Services &services, QWidget *parent)
    : QMainWindow(parent), m_services(services)
{
    setupUi();
    setupMenus();

    m_soundList = new SoundList(m_list1, m_state, this);
    m_scheduler = new Scheduler(m_state, *m_soundList, *m_services.player, *m_services.random, this);
    m_network = new Network({m_state, m_services, *m_file1, *m_soundList, m_picNet, m_tmrMinute,
                             m_mnuEnableNetwork, this},
                            systemFileSystem(), this);
    m_scheduler->attachSwitch(m_chkDisable, m_mnuEnable, m_tmrMinute);
    m_functionKeys = new FunctionKeys(m_state, *m_soundList, *m_services.player, *m_scheduler,
                                      *m_services.store, this);
    m_listController = new SoundListController(*m_soundList, m_state, m_services, m_tmrMinute, m_mnuPopup2,
                                               this, this);
    m_playback = new Playback(*m_soundList, *m_services.player, this);

    connect(m_tmrMinute, &QTimer::timeout, this, &frmMain::tmrMinute_Timer);
    // A tick that comes while a sound is played to its end runs after it.
    connect(m_services.player, &MediaPlayer::waitFinished, this, [this] {
        if (m_tickPending)
            QTimer::singleShot(0, this, &frmMain::tmrMinute_Timer);
    });
    connect(m_chkSchedule, &QCheckBox::toggled, this, [this](bool ticked) {
        m_txtStart->setEnabled(ticked);
        m_txtStop->setEnabled(ticked);
    });
    connect(m_mnuFunctionKeys, &QAction::triggered, m_functionKeys, &FunctionKeys::mnuFunctionKeys_Click);
    m_about = new AboutBox(m_services, this);
    connect(m_mnuAbout, &QAction::triggered, m_about, &AboutBox::mnuAbout_Click);
    connect(m_mnuNetwork, &QAction::triggered, m_network, &Network::mnuNetwork_Click);
    connect(m_mnuEnableNetwork, &QAction::triggered, m_network, &Network::mnuEnableNetwork_Click);
    connect(m_cmdSend, &QPushButton::clicked, m_network, &Network::cmdSend_Click);
    connect(m_mnuSend, &QAction::triggered, m_network, &Network::cmdSend_Click);
    connect(m_cmdPlay, &QPushButton::clicked, m_playback, &Playback::cmdPlay_Click);
    connect(m_mnuPlay, &QAction::triggered, m_playback, &Playback::mnuPlay_Click);
    connect(m_cmdAdd, &QPushButton::clicked, m_listController, &SoundListController::cmdAdd_Click);
    connect(m_cmdDelete, &QPushButton::clicked, m_listController, &SoundListController::cmdDelete_Click);
    connect(m_cmdClear, &QPushButton::clicked, m_listController, &SoundListController::cmdClear_Click);
    connect(m_mnuDelete, &QAction::triggered, m_listController, &SoundListController::mnuDelete_Click);
    connect(m_picture1, &QToolButton::clicked, m_listController, &SoundListController::Picture1_Click);
    connect(m_services.tray, &TrayIcon::doubleClicked, this, &frmMain::trayDoubleClicked);
    connect(m_services.tray, &TrayIcon::rightReleased, this, &frmMain::trayRightReleased);
    for (int k = 0; k < Scheduler::kLevels; ++k) {
        connect(m_optstress[k], &QRadioButton::clicked, this,
                [this, k] { m_scheduler->optstress_MouseUp(k); });
    }
    connect(m_mnuSave, &QAction::triggered, this, &frmMain::mnuSave_Click);
    connect(m_mnuRestore, &QAction::triggered, this, &frmMain::mnuRestore_Click);
    connect(m_mnuQuit1, &QAction::triggered, this, &QWidget::close);
    connect(m_mnuQuit, &QAction::triggered, this, &QWidget::close);

    // Key preview: the window sees function keys whichever control has the focus.
    qApp->installEventFilter(this);
}

frmMain::~frmMain()
{
    qApp->removeEventFilter(this);
}

void frmMain::setupUi()
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(appTitle());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128})
        icon.addFile(QStringLiteral(":/icons/calmora-%1.png").arg(size), QSize(size, size));
    setWindowIcon(icon);

    auto *client = named(new QWidget(this), "client");
    client->setFixedSize(twipsSize(6915, 3795));
    setCentralWidget(client);

    m_fraStress = named(new QGroupBox(QStringLiteral("Stress Level"), client), "fraStress");
    m_fraStress->setToolTip(QStringLiteral("Frequency of random sounds"));
    m_fraStress->setGeometry(twipsRect(120, 180, 2055, 1335));
    const struct
    {
        const char *caption;
        const char *tip;
        int top;
        int width;
    } levels[Scheduler::kLevels] = {
        {"Postal", "1 to 7 min", 240, 1455},
        {"Peeved", "7 to 18 min", 480, 1455},
        {"Just a bad day", "15 to 40 min", 720, 1395},
        {"Relaxed (Numb)", "30 to 80 min", 960, 1455},
    };
    for (int k = 0; k < Scheduler::kLevels; ++k) {
        auto *option = new QRadioButton(QLatin1String(levels[k].caption), m_fraStress);
        option->setObjectName(QStringLiteral("optstress%1").arg(k));
        option->setToolTip(QLatin1String(levels[k].tip));
        option->setGeometry(twipsRect(360, levels[k].top, levels[k].width, 255));
        m_optstress[k] = option;
    }
    m_optstress[2]->setChecked(true);

    m_chkDisable = named(new QCheckBox(QStringLiteral("Turn Me Off"), client), "chkDisable");
    m_chkDisable->setToolTip(QStringLiteral("Disable random sounds"));
    m_chkDisable->setGeometry(twipsRect(120, 1620, 1755, 255));

    m_picture1 = named(new QToolButton(client), "Picture1");
    m_picture1->setToolTip(QStringLiteral("Open Explorer"));
    m_picture1->setAccessibleName(QStringLiteral("Open Explorer"));
    m_picture1->setIconSize(QSize(32, 32));
    m_picture1->setAutoRaise(true);
    m_picture1->setGeometry(twipsRect(2280, 300, 555, 495));
    fitOptions(m_optstress, m_picture1->x() - 2);

    m_picNet = named(new QLabel(client), "picNet");
    m_picNet->setAlignment(Qt::AlignCenter);
    m_picNet->setGeometry(twipsRect(120, 3180, 495, 495));
    m_picNet->hide();

    m_label3 = named(new QLabel(QStringLiteral("Selected WAV Files"), client), "Label3");
    m_label3->setGeometry(twipsRect(2880, 120, 2712, 192));

    m_list1 = named(new QListWidget(client), "List1");
    m_list1->setToolTip(QStringLiteral("Drag & Drop wav files from Explorer..."));
    m_list1->setAccessibleName(QStringLiteral("Selected WAV Files"));
    m_list1->setGeometry(twipsRect(2880, 360, 3912, 2535));
    m_label3->setBuddy(m_list1);

    m_cmdPlay = button(client, "cmdPlay", QStringLiteral("Play"), QStringLiteral("Play the selected file"),
                       twipsRect(2880, 3360, 675, 312));
    m_cmdSend = button(client, "cmdSend", QStringLiteral("Send To..."),
                       QStringLiteral("Send selected file to another user"), twipsRect(3720, 3360, 1035, 315));
    m_cmdAdd = button(client, "cmdAdd", QStringLiteral("Add"), QStringLiteral("Add a file"),
                      twipsRect(5160, 3360, 432, 315));
    m_cmdDelete = button(client, "cmdDelete", QStringLiteral("Del"), QStringLiteral("Delete a File"),
                         twipsRect(5700, 3360, 432, 315));
    m_cmdClear = button(client, "cmdClear", QStringLiteral("Clear"),
                        QStringLiteral("Clear all wav files from list"), twipsRect(6240, 3360, 552, 315));

    // Components that are never shown.
    m_file1 = named(new FolderListing(this), "File1");
    m_tmrMinute = named(new QTimer(this), "tmrMinute");
    m_tmrMinute->setInterval(kTickMilliseconds);
    m_cmdSelectAll = button(client, "cmdSelectAll", QStringLiteral("Select All"), QString(), QRect());
    m_cmdDeselectAll = button(client, "cmdDeselectAll", QStringLiteral("Deselect All"), QString(), QRect());
    m_chkSchedule = named(new QCheckBox(QStringLiteral("Schedule Calmora"), client), "chkSchedule");
    m_label1 = named(new QLabel(QStringLiteral("Stress begins at:"), client), "Label1");
    m_txtStart = named(new QLineEdit(QStringLiteral("8:00 am"), client), "txtStart");
    m_label2 = named(new QLabel(QStringLiteral("Stress ends at:"), client), "Label2");
    m_txtStop = named(new QLineEdit(QStringLiteral("5:00 pm"), client), "txtStop");
    m_txtStart->setEnabled(false);
    m_txtStop->setEnabled(false);
    for (QWidget *hidden : {static_cast<QWidget *>(m_cmdSelectAll), static_cast<QWidget *>(m_cmdDeselectAll),
                            static_cast<QWidget *>(m_chkSchedule), static_cast<QWidget *>(m_label1),
                            static_cast<QWidget *>(m_txtStart), static_cast<QWidget *>(m_label2),
                            static_cast<QWidget *>(m_txtStop)})
        hidden->hide();

    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void frmMain::setupMenus()
{
    QMenu *file = named(menuBar()->addMenu(QStringLiteral("&File")), "mnuFile");
    m_mnuSave = named(file->addAction(QStringLiteral("&Save Settings")), "mnuSave");
    m_mnuRestore = named(file->addAction(QStringLiteral("&Restore Settings")), "mnuRestore");
    file->addSeparator();
    m_mnuQuit1 = named(file->addAction(QStringLiteral("&Quit")), "mnuQuit1");

    QMenu *options = named(menuBar()->addMenu(QStringLiteral("&Options")), "mnuOptions");
    m_mnuFunctionKeys = named(options->addAction(QStringLiteral("Function &Keys")), "mnuFunctionKeys");
    m_mnuNetwork = named(options->addAction(QStringLiteral("&Network")), "mnuNetwork");

    QMenu *help = named(menuBar()->addMenu(QStringLiteral("&Help")), "mnuHelp");
    m_mnuAbout = named(help->addAction(QStringLiteral("&About")), "mnuAbout");

    m_mnuPopup = named(new QMenu(QStringLiteral("Popup"), this), "mnuPopup");
    m_mnuEnableNetwork = named(m_mnuPopup->addAction(QStringLiteral("Enable Network")), "mnuEnableNetwork");
    m_mnuEnableNetwork->setCheckable(true);
    m_mnuEnable = named(m_mnuPopup->addAction(QStringLiteral("Enable Sounds")), "mnuEnable");
    m_mnuEnable->setCheckable(true);
    m_mnuCancel = named(m_mnuPopup->addAction(QStringLiteral("Cancel Sound")), "mnuCancel");
    m_mnuCancel->setVisible(false);
    m_mnuQuit = named(m_mnuPopup->addAction(QStringLiteral("Quit")), "mnuQuit");

    m_mnuPopup2 = named(new QMenu(QStringLiteral("Popup2"), this), "mnuPopup2");
    m_mnuPlay = named(m_mnuPopup2->addAction(QStringLiteral("Play")), "mnuPlay");
    m_mnuSend = named(m_mnuPopup2->addAction(QStringLiteral("Send To...")), "mnuSend");
    named(m_mnuPopup2->addSeparator(), "mnuSep4");
    m_mnuDelete = named(m_mnuPopup2->addAction(QStringLiteral("Delete")), "mnuDelete");
}

// The style takes these icons from the desktop's icon theme, and the first
// lookup reads the theme's whole index: several milliseconds where no desktop
// environment names a theme. The window is shown first, the icons a moment
// later.
void frmMain::setStandardIcons()
{
    m_picture1->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    m_picNet->setPixmap(style()->standardIcon(QStyle::SP_DriveNetIcon).pixmap(32, 32));
}

SettingsContext frmMain::settingsContext()
{
    return SettingsContext{*m_services.store, m_state, *m_soundList, *m_file1, *m_services.dialogs, this};
}

void frmMain::setSendEnabled(bool enabled)
{
    m_cmdSend->setEnabled(enabled);
    m_mnuSend->setEnabled(enabled);
}

void frmMain::Form_Load()
{
    centreOnScreen(this);
    m_state.MinDelayMinutes = 15;
    m_state.MaxDelayMinutes = 40;
    m_services.random->seedFromClock();
    {
        const QSignalBlocker blocker(m_chkDisable);
        m_chkDisable->setChecked(false);
    }
    m_state.SoundsDisabled = false;
    m_state.NextDelayMinutes = 2;

    MediaPlayer &player = *m_services.player;
    player.setWait(false);
    player.setDeviceType(QStringLiteral("WaveAudio"));
    player.command(QStringLiteral("Open"));

    Read_Settings();

    setSendEnabled(m_state.NetActive);
    m_mnuEnableNetwork->setChecked(m_state.NetActive);

    if (m_state.StressIndex >= 0 && m_state.StressIndex < Scheduler::kLevels)
        m_optstress[m_state.StressIndex]->setChecked(true);
    m_scheduler->applyStressBounds(m_state.StressIndex);

    m_soundList->Get_SelectedWavs();
    show();
    Check_Update();
    m_tmrMinute->start();
    m_state.SettingsChanged = false;
}

void frmMain::Read_Settings()
{
    calmora::Read_Settings(settingsContext());
}

void frmMain::Save_Settings()
{
    calmora::Save_Settings(settingsContext());
}

void frmMain::mnuSave_Click()
{
    Save_Settings();
}

void frmMain::mnuRestore_Click()
{
    Read_Settings();
}

void frmMain::Check_Update()
{
    calmora::Check_Update({m_state, *m_file1, m_services, this});
}

void frmMain::tmrMinute_Timer()
{
    if (m_services.player->isWaiting()) {
        m_tickPending = true;
        return;
    }
    m_tickPending = false;
    m_picNet->hide();
    setSendEnabled(m_state.NetActive);
    // A received sound plays to its end before the scheduling step.
    if (m_state.NetActive)
        m_network->receiveStep([this] { m_scheduler->schedulingStep(); });
    else
        m_scheduler->schedulingStep();
}

void frmMain::Tray_Main()
{
    // Without a notification area a hidden window could never come back, so it
    // stays minimised on the task bar instead.
    if (!m_services.tray->isAvailable())
        return;
    m_services.tray->add(windowIcon(), appTitle());
    // Hiding from inside the state change confuses some window managers.
    QTimer::singleShot(0, this, [this] {
        if (isMinimized())
            hide();
    });
}

void frmMain::Tray_Remove()
{
    m_services.tray->remove();
}

void frmMain::trayDoubleClicked()
{
    if (!isMinimized() || m_trayBusy)
        return;
    m_trayBusy = true;
    showNormal();
    activateWindow();
    m_trayBusy = false;
}

void frmMain::trayRightReleased(const QPoint &globalPos)
{
    if (!isMinimized() || m_trayBusy)
        return;
    m_trayBusy = true;
    m_mnuPopup->exec(globalPos);
    m_trayBusy = false;
}

void frmMain::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized())
        Tray_Main();
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    // Key preview: function keys pressed anywhere in this window. Consuming them
    // keeps an unhandled key from reaching the window again through its parents.
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()
        && static_cast<QWidget *>(watched)->window() == this) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() >= Qt::Key_F1 && key->key() <= Qt::Key_F12) {
            if (!key->isAutoRepeat())
                m_functionKeys->Form_KeyDown(key->key());
            return true;
        }
    }
    if (!m_painted && watched == this && event->type() == QEvent::Paint) {
        m_painted = true;
        QTimer::singleShot(0, this, &frmMain::setStandardIcons);
    }
    // Once the main window has gone, the program ends with its last window.
    if (m_unloaded && event->type() == QEvent::Hide && watched->isWidgetType()
        && static_cast<QWidget *>(watched)->isWindow()) {
        QTimer::singleShot(0, this, [this] {
            if (!otherWindowsOpen())
                announceLastWindowGone();
        });
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (m_closing) {
        // A second close request while the farewell sound plays: the first one
        // is already closing the window.
        event->ignore();
        return;
    }
    m_closing = true;
    Form_QueryUnload();
    event->accept();
    Form_Unload();
}

void frmMain::Form_QueryUnload()
{
    m_scheduler->Laugh();
    m_services.player->command(QStringLiteral("Close"));
    if (m_state.SettingsChanged
        && m_services.dialogs->askYesNo(this, QStringLiteral("Do you want to save changes?")))
        Save_Settings();
}

void frmMain::Form_Unload()
{
    Tray_Remove();
    m_tmrMinute->stop();
    m_unloaded = true;
    if (!otherWindowsOpen())
        announceLastWindowGone();
}

void frmMain::announceLastWindowGone()
{
    if (m_lastWindowGone)
        return;
    m_lastWindowGone = true;
    Q_EMIT lastWindowGone();
}

bool frmMain::otherWindowsOpen() const
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (const QWidget *w : windows) {
        if (w != this && w->isVisible() && w->isWindow() && !w->inherits("QMenu"))
            return true;
    }
    return false;
}

} // namespace calmora
