// The main window and the dialogs it opens, over fake services.

#include "app/frmmain.h"
#include "app/frmpreferences.h"
#include "fakes.h"
#include "list/soundlistview.h"
#include "net/frmusers.h"
#include "sound/frmfkeys.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

using namespace calmora;
using namespace calmora::test;
using namespace Qt::StringLiterals;

namespace {

QByteArray soundsIni(const QStringList &sounds)
{
    QByteArray ini = "[WAV%20Files]\nNumWavs=" + QByteArray::number(sounds.size()) + "\n";
    for (int i = 0; i < sounds.size(); ++i)
        ini += "wav" + QByteArray::number(i) + "=\"" + sounds.at(i).toUtf8() + ",True\"\n";
    return ini;
}

// The main window over a rig, started up from the settings given.
struct Window
{
    explicit Window(const QByteArray &ini = {}, bool load = true)
    {
        rig.writeSettings(ini);
        if (load)
            w.Form_Load();
    }
    SoundListView *list1() const { return child<SoundListView>(&w, "List1"); }
    QTimer *timer() const { return child<QTimer>(&w, "tmrMinute"); }
    void highlight(int row) const { list1()->setCurrentIndex(list1()->model()->index(row, 0)); }
    frmFKeys *fkeys() const
    {
        child<QAction>(&w, "mnuFunctionKeys")->trigger();
        return w.findChild<frmFKeys *>();
    }

    TestRig rig;
    frmMain w{rig.services()};
};

void pick(frmFKeys *dialog, int item)
{
    dialog->cmbWaves()->setCurrentIndex(item);
    Q_EMIT dialog->cmbWaves()->activated(item);
}

} // namespace

class TestFrmMain : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void closingAsksToSaveOnlyChanges_data()
    {
        QTest::addColumn<bool>("changed");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QString>("storedCount");
        QTest::addColumn<bool>("otherWindow");
        QTest::newRow("no changes asks nothing") << false << true << u"<none>"_s << false;
        QTest::newRow("yes saves") << true << true << u"1"_s << false;
        QTest::newRow("no keeps the store") << true << false << u"<none>"_s << false;
        // A message window still open keeps the program, and its text, until it closes.
        QTest::newRow("another window open") << false << true << u"<none>"_s << true;
    }

    void closingAsksToSaveOnlyChanges()
    {
        QFETCH(bool, changed);
        QFETCH(bool, answer);
        QFETCH(bool, otherWindow);
        QWidget other;
        other.setVisible(otherWindow);
        Window f(soundsIni({u"/s/bye.wav"_s}));
        QFile::remove(f.rig.settingsPath()); // read into memory: only a save writes it again
        QSignalSpy gone(&f.w, &frmMain::lastWindowGone);
        f.w.state().SettingsChanged = changed;
        f.rig.player.log.clear();
        f.rig.dialogs.answers = {answer};
        QVERIFY(f.w.close());
        QCOMPARE(f.rig.dialogs.questions,
                 changed ? QStringList{u"Do you want to save changes?"_s} : QStringList());
        QTEST(f.rig.stored(u"WAV Files"_s, u"NumWavs"_s), "storedCount");
        // The farewell sound plays to its end before the player is closed.
        QCOMPARE(f.rig.player.log, strings({"file /s/bye.wav", "wait on", "command sound", "command Close"}));
        QVERIFY(!f.timer()->isActive());
        QCOMPARE(gone.count(), otherWindow ? 0 : 1);
        other.close();
        QTRY_COMPARE(gone.count(), 1);
    }

    // Minimised, the window hides behind the tray icon, which brings it back
    // and offers its menu, as does another start; without a tray it stays on
    // the task bar.
    void trayIconStandsInForTheMinimisedWindow()
    {
        Window f;
        f.w.showMinimized();
        QTRY_VERIFY(f.w.isHidden());
        QVERIFY(f.rig.tray.present);
        QCOMPARE(f.rig.tray.tip, u"Calmora"_s);
        Q_EMIT f.rig.tray.doubleClicked();
        QVERIFY(f.w.isVisible() && !f.w.isMinimized());
        QVERIFY(f.rig.tray.present); // the icon stays

        // Its menu is offered while the window is hidden.
        f.w.showMinimized();
        QTRY_VERIFY(f.w.isHidden());
        QStringList entries;
        QTimer::singleShot(50, [&entries] {
            if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
                for (QAction *a : menu->actions()) {
                    if (a->isVisible())
                        entries.append(a->text());
                }
                menu->close();
            }
        });
        Q_EMIT f.rig.tray.rightReleased(QPoint(10, 10));
        QCOMPARE(entries, strings({"Enable Network", "Enable Sounds", "Quit"}));

        f.w.bringForward(); // a second start asks this copy to come back
        QVERIFY(f.w.isVisible() && !f.w.isMinimized());
        f.rig.tray.remove();
        f.rig.tray.available = false;
        f.w.showMinimized();
        QTest::qWait(20);
        QVERIFY(f.w.isVisible() && f.w.isMinimized());
        QVERIFY(!f.rig.tray.present);
    }

    // Start-up shows the stored level and network choice; then the levels and
    // "Turn Me Off" drive the sounds.
    void levelsAndTurnMeOffDriveTheSounds()
    {
        Window f("[Settings]\nStressIndex=0\nNetActive=True\n" + soundsIni({u"/s/a.wav"_s}));
        QVERIFY(child<QRadioButton>(&f.w, "optstress0")->isChecked());
        QCOMPARE(f.w.state().MaxDelayMinutes, 7);
        QVERIFY(child<QPushButton>(&f.w, "cmdSend")->isEnabled());
        QVERIFY(child<QAction>(&f.w, "mnuEnableNetwork")->isChecked());
        QVERIFY(f.timer()->isActive());
        QVERIFY(!f.w.state().SettingsChanged);
        QVERIFY(f.rig.player.soundsPlayed().isEmpty());
        // The folder button gets its icon once the window has been painted.
        QTRY_VERIFY(!child<QToolButton>(&f.w, "Picture1")->icon().isNull());
        QTest::mouseClick(child<QRadioButton>(&f.w, "optstress3"), Qt::LeftButton);
        QCOMPARE(f.w.state().StressIndex, 3);
        QCOMPARE(f.rig.player.soundsPlayed(), QStringList{u"/s/a.wav"_s}); // a sample of the level
        f.rig.player.log.clear();

        // "Enable Sounds" is marked exactly while random sounds are on.
        auto *box = child<QCheckBox>(&f.w, "chkDisable");
        auto *mark = child<QAction>(&f.w, "mnuEnable");
        QVERIFY(mark->isChecked());
        QTest::mouseClick(box, Qt::LeftButton);
        QVERIFY(f.w.state().SoundsDisabled);
        QVERIFY(!f.timer()->isActive());
        QVERIFY(!mark->isChecked());
        QVERIFY(f.rig.player.soundsPlayed().isEmpty());
        // "Enable Sounds" flips the box, which plays a sound to its end and restarts the timer.
        mark->trigger();
        QVERIFY(!box->isChecked());
        QVERIFY(mark->isChecked());
        QVERIFY(f.timer()->isActive());
        QCOMPARE(f.rig.player.soundsPlayed(), QStringList{u"/s/a.wav"_s});
        QVERIFY(f.rig.player.wait);
    }

    // Tab goes from control to control the user can see, and only those.
    void tabVisitsOnlyWhatIsShown()
    {
        Window f;
        QStringList stops;
        for (QWidget *at = f.list1()->nextInFocusChain(); at != f.list1(); at = at->nextInFocusChain())
            if (at->focusPolicy() & Qt::TabFocus && at->isEnabled() && at->isVisibleTo(&f.w))
                stops.append(at->objectName());
        QCOMPARE(stops, strings({"cmdPlay", "cmdAdd", "cmdDelete", "cmdClear", "optstress0", "optstress1",
                                 "optstress2", "optstress3", "chkDisable", "Picture1"}));
    }

    // While the screen is locked nothing plays by itself and a received
    // message waits untouched; the first tick after it plays the message, then
    // the random sound that came due.
    void tickPlaysTheMessageBeforeARandomSound()
    {
        Window f({}, false);
        const QString share = f.rig.path(u"share"_s);
        QDir().mkpath(share);
        f.rig.writeSettings("[Settings]\nNetActive=True\nNetName=bob\nNetPath=" + share.toUtf8() + "\n"
                            + soundsIni({u"/s/random.wav"_s}));
        f.w.Form_Load();
        f.rig.tray.present = true;
        // Five quiet ticks bring the first random sound due.
        for (int i = 0; i < 5; ++i)
            f.w.tmrMinute_Timer();
        QVERIFY(f.rig.player.soundsPlayed().isEmpty());
        f.rig.screenLock.lock(true);
        QCOMPARE(f.rig.tray.tip, u"Calmora (quiet while the screen is locked)"_s);
        put(share + u"/bob.wav"_s, wavFile("sound"));
        put(share + u"/bob.txt"_s, "\"hello\"\r\n");
        f.w.tmrMinute_Timer();
        f.w.tmrMinute_Timer();
        QVERIFY(f.rig.player.soundsPlayed().isEmpty());
        QCOMPARE(filesIn(share), strings({"bob.txt", "bob.wav"}));
        // What the user starts still plays.
        child<QAction>(&f.w, "mnuEnable")->trigger();
        child<QAction>(&f.w, "mnuEnable")->trigger();
        QCOMPARE(f.rig.player.soundsPlayed(), QStringList{u"/s/random.wav"_s});
        f.rig.player.log.clear();
        f.rig.screenLock.lock(false);
        QCOMPARE(f.rig.tray.tip, u"Calmora"_s);
        // A tick that comes while a sound is played to its end runs after it.
        f.rig.player.simulateWaiting(true);
        f.w.tmrMinute_Timer();
        QVERIFY(f.rig.player.soundsPlayed().isEmpty());
        f.rig.player.simulateWaiting(false);
        QTRY_COMPARE(f.rig.player.soundsPlayed().size(), 2);
        const QStringList sounds = f.rig.player.soundsPlayed();
        QVERIFY(sounds.at(0).contains(QLatin1String("calmora-received-")));
        QCOMPARE(sounds.at(1), u"/s/random.wav"_s);
        QVERIFY(filesIn(share).isEmpty());
        auto *picNet = child<QLabel>(&f.w, "picNet");
        QVERIFY(picNet->isVisible());
        auto *window = child<QDialog>(&f.w, "frmReceive");
        QVERIFY(window && window->isVisible());
        QCOMPARE(child<QPlainTextEdit>(window, "txtMessage")->toPlainText(), u"hello"_s);
        // OK hides the indicator; the next tick would have.
        child<QPushButton>(window, "cmdOK")->click();
        QVERIFY(!picNet->isVisible());

        // Turned off, receiving leaves the folder alone, and sending is off at once.
        put(share + u"/bob.wav"_s, wavFile("again"));
        child<QAction>(&f.w, "mnuEnableNetwork")->trigger();
        QVERIFY(!child<QPushButton>(&f.w, "cmdSend")->isEnabled());
        f.w.tmrMinute_Timer();
        QCOMPARE(f.rig.player.soundsPlayed().size(), 2);
        QCOMPARE(filesIn(share), QStringList{u"bob.wav"_s});
    }

    void dropAddsLocalSoundFilesAsACopy()
    {
        Window f;
        // Dropped the way a file manager drops them.
        QMimeData data;
        QList<QUrl> urls;
        for (const char *path :
             {"/s/tune.mp3", "/s/c.AVI", "/s/x.wave", "/s/a.wav", "/s/x.avi.txt", "/s/A.wav"})
            urls.append(QUrl::fromLocalFile(QLatin1String(path)));
        data.setUrls(urls);
        const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(QPoint(5, 5), offered, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(f.list1()->viewport(), &enter);
        QDropEvent drop(QPointF(5, 5), offered, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(f.list1()->viewport(), &drop);
        QVERIFY(enter.isAccepted() && drop.isAccepted());
        // Never Move: the file manager would delete the files.
        QCOMPARE(drop.dropAction(), Qt::CopyAction);
        // Only sound files, in order, ticked for random play.
        QCOMPARE(texts(f.list1()->model()), strings({"/s/A.wav", "/s/a.wav", "/s/c.AVI"}));
        for (int row = 0; row < 3; ++row)
            QCOMPARE(f.list1()->model()->index(row, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
        QVERIFY(f.w.state().SettingsChanged);
        QVERIFY(f.rig.dialogs.messages.isEmpty());
    }

    // Delete removes the highlighted entry only, however it is asked for;
    // Clear empties the list once the user says Yes.
    void removingEntries_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("highlighted");
        QTest::addColumn<QStringList>("left");
        const QStringList ac = strings({"/s/a.wav", "/s/c.wav"});
        const QStringList abc = strings({"/s/a.wav", "/s/b.wav", "/s/c.wav"});
        QTest::newRow("Del") << u"cmdDelete"_s << true << ac;
        QTest::newRow("Delete key") << u"key"_s << true << ac;
        QTest::newRow("menu") << u"mnuDelete"_s << true << ac;
        QTest::newRow("Del without highlight") << u"cmdDelete"_s << false << abc;
        QTest::newRow("menu without highlight") << u"mnuDelete"_s << false << abc;
        QTest::newRow("Clear, yes") << u"cmdClear"_s << true << QStringList();
        QTest::newRow("Clear, no") << u"cmdClear"_s << false << abc;
    }

    void removingEntries()
    {
        QFETCH(QString, how);
        QFETCH(bool, highlighted);
        QFETCH(QStringList, left);
        Window f(soundsIni(strings({"/s/a.wav", "/s/b.wav", "/s/c.wav"})));
        const bool clear = how == u"cmdClear"_s;
        if (highlighted && !clear)
            f.highlight(1);
        f.rig.dialogs.answers = {highlighted};
        if (how == u"key"_s)
            QTest::keyClick(f.list1(), Qt::Key_Delete, Qt::ShiftModifier);
        else if (auto *action = f.w.findChild<QAction *>(how))
            action->trigger();
        else
            f.w.findChild<QPushButton *>(how)->click();
        QCOMPARE(texts(f.list1()->model()), left);
        QCOMPARE(f.list1()->currentEntry(), -1);
        QCOMPARE(f.w.state().SettingsChanged, left.size() < 3);
        QCOMPARE(f.rig.dialogs.questions,
                 clear ? QStringList{u"Clear all wav files from list?"_s} : QStringList());
    }

    void fileManagerStartsOnceAndComesForward()
    {
        Window f;
        FakeLauncher &launcher = f.rig.launcher;
        auto *picture1 = child<QToolButton>(&f.w, "Picture1");
        picture1->click();
        QCOMPARE(launcher.starts[0].arguments, QStringList{QDir::homePath()});
        picture1->click(); // still running: brought forward
        QCOMPARE(launcher.activations, QList<qint64>{100});
        launcher.canRaise = false; // Wayland: the file manager service shows the folder
        picture1->click();
        QCOMPARE(launcher.foldersShown, QStringList{QDir::homePath()});
        launcher.folderService = false; // nor that: started again
        picture1->click();
        launcher.canRaise = true;
        launcher.running.clear(); // the user closed it
        picture1->click();
        QCOMPARE(launcher.starts.size(), 3);
        launcher.running.clear();
        launcher.failStarts = true;
        picture1->click();
        QCOMPARE(f.rig.dialogs.messages.size(), 1);
    }

    // One dialog, for the highlighted sound, never for a video; another
    // "Send To..." only changes the file: same window, same choice.
    void sendToOpensOneDialogForTheHighlightedSound()
    {
        Window f("[Settings]\nNetActive=True\nUsers=2\nUser1=ann\nUser2=bob\n"
                 + soundsIni(strings({"/s/a.wav", "/s/clip.AVI", "/s/z.wav"})));
        f.highlight(1);
        child<QPushButton>(&f.w, "cmdSend")->click();
        QVERIFY(!child<frmUsers>(&f.w, "frmUsers"));
        f.highlight(0);
        child<QPushButton>(&f.w, "cmdSend")->click();
        auto *dialog = child<frmUsers>(&f.w, "frmUsers");
        QCOMPARE(dialog->file(), u"/s/a.wav"_s);
        auto *list = child<QListWidget>(dialog, "lstUsers");
        list->item(1)->setSelected(true);
        f.highlight(2);
        child<QAction>(&f.w, "mnuSend")->trigger();
        QCOMPARE(f.w.findChildren<frmUsers *>().size(), 1);
        QCOMPARE(dialog->file(), u"/s/z.wav"_s);
        QVERIFY(list->item(1)->isSelected());
    }

    // Edits are in force at once; Cancel and the close box take back what
    // Apply or OK did not store, and none of them waits to be saved at exit.
    void functionKeyCancelTakesBackWhatWasNotApplied_data()
    {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("Cancel") << false;
        QTest::newRow("close box") << true;
    }

    void functionKeyCancelTakesBackWhatWasNotApplied()
    {
        QFETCH(bool, closeBox);
        Window f("[Function%20Keys]\nF1=/s/one.wav\n" + soundsIni({u"/s/a.wav"_s, u"/s/b.wav"_s}));
        const auto stored = [&f](const char *key) {
            return f.rig.stored(u"Function Keys"_s, QLatin1String(key));
        };
        frmFKeys *d = f.fkeys();
        QCOMPARE(d->cmbWaves()->currentText(), u"/s/one.wav"_s);
        QCOMPARE(f.fkeys(), d); // one dialog however often it is asked for
        d->tbsOptions()->setCurrentIndex(6);
        pick(d, 3);
        child<QPushButton>(d, "cmdApply")->click();
        QCOMPARE(stored("F7"), u"/s/b.wav"_s);
        QCOMPARE(stored("F1"), u"/s/one.wav"_s);
        pick(d, 2);
        QTest::keyClick(f.list1(), Qt::Key_F7); // in force while open, whichever control has the focus
        QCOMPARE(f.rig.player.soundsPlayed(), QStringList{u"/s/a.wav"_s});
        if (closeBox)
            d->close();
        else
            child<QPushButton>(d, "cmdCancel")->click();
        QTRY_VERIFY(!f.w.findChild<frmFKeys *>());
        QCOMPARE(f.w.state().FunctionKeyTable[7], u"/s/b.wav"_s);
        QVERIFY(!f.w.state().SettingsChanged);

        d = f.fkeys();
        d->tbsOptions()->setCurrentIndex(6);
        QCOMPARE(d->cmbWaves()->currentText(), u"/s/b.wav"_s);
        pick(d, 2);
        child<QPushButton>(d, "cmdOK")->click();
        QTRY_VERIFY(!f.w.findChild<frmFKeys *>());
        QCOMPARE(stored("F7"), u"/s/a.wav"_s);
    }

    // OK stores the preferences and puts them in force; the login box writes
    // the desktop's entry, the one record of that choice.
    void preferencesOkStoresAndApplies()
    {
        Window f;
        onNextModal([](QWidget *dialog) {
            QCOMPARE(dialog->windowTitle(), u"Calmora Preferences"_s);
            child<QSlider>(dialog, "sldVolume")->setValue(40);
            child<QCheckBox>(dialog, "chkQuietWhenLocked")->setChecked(false);
            child<QCheckBox>(dialog, "chkAutostart")->setChecked(true);
            child<QPushButton>(dialog, "cmdOK")->click();
        });
        child<QAction>(&f.w, "mnuPreferences")->trigger();
        QCOMPARE(f.rig.player.volume, 40);
        QCOMPARE(f.rig.stored(u"Preferences"_s, u"Volume"_s), u"40"_s);
        QCOMPARE(f.rig.stored(u"Preferences"_s, u"QuietWhenLocked"_s), u"False"_s);
        QVERIFY(f.rig.autostart.enabled);
        QVERIFY(!f.w.state().SettingsChanged);
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
