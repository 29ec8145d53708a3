#include "app/frmmain.h"

#include "about/frmabout.h"
#include "app/frmpreferences.h"
#include "app/updatecheck.h"
#include "core/appinfo.h"
#include "core/settings.h"
#include "list/explorer.h"
#include "list/frmfiles.h"
#include "list/soundlist.h"
#include "list/soundlistview.h"
#include "net/folderlisting.h"
#include "net/frmnetwork.h"
#include "net/frmreceive.h"
#include "net/frmusers.h"
#include "net/receiver.h"
#include "net/sender.h"
#include "platform/dialogs.h"
#include "platform/mediaplayer.h"
#include "platform/random.h"
#include "platform/screenlock.h"
#include "platform/settingsstore.h"
#include "platform/trayicon.h"
#include "sound/frmfkeys.h"
#include "sound/functionkeys.h"
#include "sound/playback.h"
#include "sound/quiet.h"
#include "sound/scheduler.h"
#include "widgets/captionfit.h"
#include "widgets/centre.h"
#include "widgets/named.h"
#include "widgets/singlewindow.h"
#include "widgets/twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
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

QPushButton *button(QWidget *parent, const char *name, const QString &caption, const QString &tip,
                    const QRect &geometry)
{
    auto *b = named(new QPushButton(caption, parent), name);
    b->setToolTip(tip);
    b->setGeometry(geometry);
    b->setAutoDefault(false);
    return b;
}

} // namespace

frmMain::frmMain(const Services &services, QWidget *parent)
    : QMainWindow(parent), m_services(services), m_explorer(std::make_unique<Explorer>(*services.launcher))
{
    setupUi();
    setupMenus();

    m_soundList = new SoundList(m_state, this);
    m_list1->setModel(m_soundList);
    m_scheduler = new Scheduler(m_state, *m_soundList, *m_services.player, *m_services.random, this);
    m_receiver = new Receiver(m_state, *m_services.player, m_services.files, this);
    m_sender = new Sender(m_services.files, this);
    connectControls();

    // Key preview: the window sees function keys whichever control has the focus.
    qApp->installEventFilter(this);
}

frmMain::~frmMain()
{
    qApp->removeEventFilter(this);
}

void frmMain::connectControls()
{
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
    for (int k = 0; k < Scheduler::kLevels; ++k)
        connect(m_optstress[k], &QRadioButton::clicked, this, [this, k] { optstress_MouseUp(k); });
    connect(m_chkDisable, &QCheckBox::toggled, this, &frmMain::chkDisable_Click);
    connect(m_picture1, &QToolButton::clicked, this, &frmMain::Picture1_Click);
    connect(m_cmdPlay, &QPushButton::clicked, this, &frmMain::cmdPlay_Click);
    connect(m_cmdSend, &QPushButton::clicked, this, &frmMain::cmdSend_Click);
    connect(m_cmdAdd, &QPushButton::clicked, this, &frmMain::cmdAdd_Click);
    connect(m_cmdDelete, &QPushButton::clicked, this, &frmMain::cmdDelete_Click);
    connect(m_cmdClear, &QPushButton::clicked, this, &frmMain::cmdClear_Click);
    connect(m_list1, &SoundListView::highlightChanged, this, &frmMain::List1_Click);
    connect(m_list1, &SoundListView::filesDropped, this, &frmMain::List1_OLEDragDrop);
    connect(m_list1, &SoundListView::deletePressed, this, &frmMain::cmdDelete_Click);
    connect(m_list1, &SoundListView::menuRequested, this, &frmMain::List1_MouseUp);

    connect(m_mnuSave, &QAction::triggered, this, &frmMain::mnuSave_Click);
    connect(m_mnuRestore, &QAction::triggered, this, &frmMain::mnuRestore_Click);
    connect(m_mnuQuit1, &QAction::triggered, this, &QWidget::close);
    connect(m_mnuFunctionKeys, &QAction::triggered, this, &frmMain::mnuFunctionKeys_Click);
    connect(m_mnuNetwork, &QAction::triggered, this, &frmMain::mnuNetwork_Click);
    connect(m_mnuAbout, &QAction::triggered, this, &frmMain::mnuAbout_Click);
    connect(m_mnuPreferences, &QAction::triggered, this, &frmMain::mnuPreferences_Click);
    connect(m_services.screenLock, &ScreenLock::lockedChanged, this, &frmMain::updateTrayTip);
    connect(m_mnuEnableNetwork, &QAction::triggered, this, &frmMain::mnuEnableNetwork_Click);
    connect(m_mnuEnable, &QAction::triggered, this, &frmMain::mnuEnable_Click);
    connect(m_mnuQuit, &QAction::triggered, this, &QWidget::close);
    connect(m_mnuPlay, &QAction::triggered, this, &frmMain::cmdPlay_Click);
    connect(m_mnuSend, &QAction::triggered, this, &frmMain::cmdSend_Click);
    connect(m_mnuDelete, &QAction::triggered, this, &frmMain::cmdDelete_Click);

    connect(m_services.tray, &TrayIcon::doubleClicked, this, &frmMain::trayDoubleClicked);
    connect(m_services.tray, &TrayIcon::rightReleased, this, &frmMain::trayRightReleased);
    m_services.tray->setMenu(m_mnuPopup);

    connect(m_receiver, &Receiver::soundStarting, m_picNet, &QWidget::show);
    connect(m_receiver, &Receiver::textReceived, this, &frmMain::showReceivedText);
    connect(m_receiver, &Receiver::textWaiting, this, [this] {
        if (m_frmReceive) {
            m_frmReceive->raise();
            m_frmReceive->activateWindow();
        }
    });
    connect(m_receiver, &Receiver::problem, this,
            [this](const QString &message) { m_services.dialogs->message(this, message); });
    // The send dialog reports its own sends; these came after it was closed.
    connect(m_sender, &Sender::sent, this, [this](const QStringList &failures) {
        if (!m_frmUsers && !failures.isEmpty())
            m_services.dialogs->message(this, failures.join(QLatin1Char('\n')));
    });
}

void frmMain::setupUi()
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(appTitle());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
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

    m_list1 = named(new SoundListView(client), "List1");
    m_list1->setToolTip(QStringLiteral("Drag & Drop wav files from Explorer..."));
    m_list1->setAccessibleName(QStringLiteral("Selected WAV Files"));
    m_list1->setGeometry(twipsRect(2880, 360, 3912, 2535));
    m_label3->setBuddy(m_list1);

    m_cmdPlay = button(client, "cmdPlay", QStringLiteral("Play"), QStringLiteral("Play the selected file"),
                       twipsRect(2880, 3360, 675, 312));
    m_cmdSend =
        button(client, "cmdSend", QStringLiteral("Send To..."),
               QStringLiteral("Send selected file to another user"), twipsRect(3720, 3360, 1035, 315));
    m_cmdAdd = button(client, "cmdAdd", QStringLiteral("Add"), QStringLiteral("Add a file"),
                      twipsRect(5160, 3360, 432, 315));
    m_cmdDelete = button(client, "cmdDelete", QStringLiteral("Del"), QStringLiteral("Delete a File"),
                         twipsRect(5700, 3360, 432, 315));
    m_cmdClear = button(client, "cmdClear", QStringLiteral("Clear"),
                        QStringLiteral("Clear all wav files from list"), twipsRect(6240, 3360, 552, 315));

    // Components that are never shown.
    m_file1 = named(new FolderListing(m_services.files, this), "File1");
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
    m_mnuPreferences = named(options->addAction(QStringLiteral("&Preferences...")), "mnuPreferences");

    QMenu *help = named(menuBar()->addMenu(QStringLiteral("&Help")), "mnuHelp");
    m_mnuAbout = named(help->addAction(QStringLiteral("&About")), "mnuAbout");

    m_mnuPopup = named(new QMenu(QStringLiteral("Popup"), this), "mnuPopup");
    m_mnuEnableNetwork = named(m_mnuPopup->addAction(QStringLiteral("Enable Network")), "mnuEnableNetwork");
    m_mnuEnableNetwork->setCheckable(true);
    m_mnuEnable = named(m_mnuPopup->addAction(QStringLiteral("Enable Sounds")), "mnuEnable");
    m_mnuEnable->setCheckable(true);
    m_mnuEnable->setChecked(true); // "Turn Me Off" starts unticked
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
    m_mnuEnable->setChecked(true);
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
    if (const std::error_code error = readSettings(*m_services.store, m_state, *m_soundList, *m_file1))
        m_services.dialogs->message(this, QString::fromLocal8Bit(error.message()));
    applyPreferences();
}

void frmMain::Save_Settings()
{
    if (!saveSettings(*m_services.store, m_state, *m_soundList))
        m_services.dialogs->message(this, saveFailedMessage(*m_services.store));
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
    const std::optional<UpdateOffer> offer = findUpdate(m_state, *m_file1, m_services.program);
    if (offer && m_services.dialogs->askYesNo(this, updateQuestion()))
        startUpdater(*m_services.launcher, m_services.program, *offer);
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
    const Quiet quiet = quietState();
    showTrayTip(quiet);
    // While quiet, received messages wait in the folder untouched.
    // A received sound plays to its end before the scheduling step.
    if (m_state.NetActive && !quiet.quiet)
        m_receiver->receiveStep([this] { m_scheduler->schedulingStep(); });
    else
        m_scheduler->schedulingStep(quiet.quiet);
}

Quiet frmMain::quietState() const
{
    return quietNow(m_state.preferences, QTime::currentTime(), m_services.screenLock->isLocked());
}

void frmMain::showTrayTip(const Quiet &quiet)
{
    if (m_services.tray->isPresent())
        m_services.tray->add(windowIcon(), trayTip(quiet));
}

void frmMain::updateTrayTip()
{
    showTrayTip(quietState());
}

void frmMain::applyPreferences()
{
    m_services.player->setVolume(m_state.preferences.volume);
    updateTrayTip();
}

void frmMain::mnuPreferences_Click()
{
    frmPreferences dialog(m_state, *m_services.store, *m_services.autostart, *m_services.dialogs, this);
    if (dialog.exec() == QDialog::Accepted)
        applyPreferences();
}

template <typename Dialog>
void frmMain::execWithTicksPaused(Dialog &dialog)
{
    m_tmrMinute->stop();
    dialog.exec();
    m_tmrMinute->start();
}

void frmMain::optstress_MouseUp(int index)
{
    m_scheduler->chooseLevel(index);
}

void frmMain::chkDisable_Click(bool ticked)
{
    // Stopping the timer stops receiving as well as random sounds.
    if (ticked) {
        m_tmrMinute->stop();
        m_state.SoundsDisabled = true;
    } else {
        m_state.SoundsDisabled = false;
        m_tmrMinute->start();
        m_scheduler->Laugh();
    }
    m_mnuEnable->setChecked(!ticked);
}

void frmMain::mnuEnable_Click()
{
    // A checkable action has already flipped its mark when it reports the
    // click. The mark says what its caption says: set while sounds are on.
    m_chkDisable->setChecked(!m_mnuEnable->isChecked());
}

void frmMain::Form_KeyDown(int key)
{
    playFunctionKey(key, m_state, *m_services.player, *m_scheduler);
}

void frmMain::mnuFunctionKeys_Click()
{
    showSingleWindow(m_frmFKeys, [this] {
        // Parented to the main window so it stays on top of it, but a window of its own.
        auto *dialog = new frmFKeys(m_state, *m_soundList, *m_services.store, *m_services.dialogs, this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->Form_Load();
        return dialog;
    });
}

void frmMain::mnuNetwork_Click()
{
    frmNetwork dialog(m_state, m_services, *m_file1, this);
    connect(&dialog, &frmNetwork::activeChosen, m_mnuEnableNetwork, &QAction::setChecked);
    execWithTicksPaused(dialog);
    // Sending follows receiving the moment it changes, not at the next tick.
    setSendEnabled(m_state.NetActive);
}

void frmMain::mnuEnableNetwork_Click()
{
    // The entry is checkable: it has already flipped its mark.
    m_state.NetActive = m_mnuEnableNetwork->isChecked();
    m_state.SettingsChanged = true;
    setSendEnabled(m_state.NetActive);
}

void frmMain::mnuAbout_Click()
{
    showSingleWindow(m_frmAbout, [this] {
        // A window of its own, kept above the main window.
        auto *dialog = new frmAbout(*m_services.dialogs, *m_services.launcher, *m_services.systemInfo, this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->Form_Load();
        return dialog;
    });
}

void frmMain::cmdPlay_Click()
{
    // No highlighted entry hands "" to "sound", which plays nothing.
    playSelected(m_soundList->text(m_list1->currentEntry()), *m_services.player);
}

void frmMain::cmdSend_Click()
{
    const QString path = m_soundList->text(m_list1->currentEntry());
    if (path.right(4).toLower() == QLatin1String(".avi"))
        return;
    // An open dialog keeps its recipients and text; only the file changes.
    showSingleWindow(m_frmUsers, [this] {
        return new frmUsers(m_state, *m_sender, *m_services.dialogs, this);
    })->setFile(path);
}

void frmMain::cmdAdd_Click()
{
    frmFiles chooser(m_state, *m_soundList, *m_services.dialogs, m_services.program.fileNameCase, this);
    execWithTicksPaused(chooser);
}

void frmMain::cmdDelete_Click()
{
    const int current = m_list1->currentEntry();
    if (current < 0)
        return;
    m_soundList->removeAt(current);
    m_list1->clearHighlight();
    m_state.SettingsChanged = true;
}

void frmMain::cmdClear_Click()
{
    if (!m_services.dialogs->askYesNo(this, QStringLiteral("Clear all wav files from list?")))
        return;
    m_soundList->clear();
    m_state.SettingsChanged = true;
}

void frmMain::Picture1_Click()
{
    if (const QString problem = m_explorer->open(QDir::homePath()); !problem.isEmpty())
        m_services.dialogs->message(this, problem);
}

void frmMain::List1_Click()
{
    const int current = m_list1->currentEntry();
    if (current < 0)
        return;
    const QString text = m_soundList->text(current);
    m_services.player->setFileName(text);
    m_list1->setToolTip(text);
}

void frmMain::List1_OLEDragDrop(const QStringList &paths)
{
    if (const int notAdded = m_soundList->addSoundFiles(paths, m_services.program.fileNameCase))
        m_services.dialogs->message(this, SoundList::listFullMessage(notAdded));
}

void frmMain::List1_MouseUp(const QPoint &globalPos)
{
    m_mnuPopup2->popup(globalPos);
}

void frmMain::showReceivedText(const QString &text, const QString &problem)
{
    showSingleWindow(m_frmReceive, [&] {
        auto *window = new frmReceive(*m_services.dialogs, this);
        connect(window, &frmReceive::answered, m_picNet, &QWidget::hide);
        connect(window, &QObject::destroyed, m_receiver,
                [receiver = m_receiver] { receiver->setMessageWindowOpen(false); });
        m_receiver->setMessageWindowOpen(true);
        window->Form_Load(text, problem);
        return window;
    });
    QCoreApplication::processEvents();
}

void frmMain::Tray_Main()
{
    // Without a notification area a hidden window could never come back, so it
    // stays minimised on the task bar instead.
    if (!m_services.tray->isAvailable())
        return;
    m_services.tray->add(windowIcon(), trayTip(quietState()));
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

void frmMain::bringForward()
{
    if (isMinimized() || isHidden())
        showNormal();
    raise();
    activateWindow();
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
                Form_KeyDown(key->key());
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
