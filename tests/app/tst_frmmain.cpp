#include "app/frmmain.h"
#include "fakes.h"
#include "list/soundlistview.h"
#include "net/frmnetwork.h"
#include "net/frmusers.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

using namespace calmora;
using namespace calmora::test;
using namespace Qt::StringLiterals;

namespace {

const QStringList kABC{u"/s/a.wav"_s, u"/s/b.wav"_s, u"/s/c.wav"_s};

// The main window over a rig, started up from the settings given.
struct Window
{
    explicit Window(const QByteArray &ini = {})
    {
        rig.writeSettings(ini);
        w.Form_Load();
        rig.player.log.clear();
    }
    template <typename T>
    T *child(const char *name)
    {
        return w.findChild<T *>(QLatin1String(name));
    }
    SoundListView *list1() { return child<SoundListView>("List1"); }
    QTimer *timer() { return child<QTimer>("tmrMinute"); }
    QStringList entries() const
    {
        QStringList texts;
        const QAbstractItemModel *model = w.findChild<QListView *>(u"List1"_s)->model();
        for (int i = 0; i < model->rowCount(); ++i)
            texts.append(model->index(i, 0).data().toString());
        return texts;
    }
    void highlight(int row) { list1()->setCurrentIndex(list1()->model()->index(row, 0)); }
    // Drops files on the list the way a file manager does; returns the action the list took.
    Qt::DropAction drop(const QStringList &paths, Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString &path : paths)
            urls.append(QUrl::fromLocalFile(path));
        data.setUrls(urls);
        QWidget *viewport = list1()->viewport();
        QDragEnterEvent enter(QPoint(5, 5), offered, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &enter);
        if (!enter.isAccepted())
            return Qt::IgnoreAction;
        QDropEvent event(QPointF(5, 5), offered, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &event);
        return event.isAccepted() ? event.dropAction() : Qt::IgnoreAction;
    }

    TestRig rig;
    frmMain w{rig.services()};
};

QByteArray soundsIni(const QStringList &sounds)
{
    QByteArray ini = "[WAV%20Files]\nNumWavs=" + QByteArray::number(sounds.size()) + "\n";
    for (int i = 0; i < sounds.size(); ++i)
        ini += "wav" + QByteArray::number(i) + "=\"" + sounds.at(i).toUtf8() + ",True\"\n";
    return ini;
}

// Runs action on the next modal dialog to open.
void onNextModal(std::function<void(QWidget *)> action)
{
    QTimer::singleShot(0, [action] {
        QWidget *modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        action(modal);
    });
}

} // namespace

class TestFrmMain : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void startUpShowsTheStore_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("maxDelay");
        QTest::addColumn<bool>("network");
        QTest::newRow("empty store") << QByteArray() << 2 << 40 << false;
        QTest::newRow("seeded store") << QByteArray("[Settings]\nStressIndex=0\nNetActive=True\n") << 0 << 7 << true;
    }

    void startUpShowsTheStore()
    {
        QFETCH(QByteArray, ini);
        QFETCH(int, level);
        QFETCH(bool, network);
        TestRig rig;
        rig.writeSettings(ini);
        frmMain w(rig.services());
        w.Form_Load();
        QVERIFY(w.isVisible());
        QVERIFY(w.findChild<QRadioButton *>(u"optstress%1"_s.arg(level))->isChecked());
        QTEST(w.state().MaxDelayMinutes, "maxDelay");
        QCOMPARE(w.state().NextDelayMinutes, 2);
        QCOMPARE(w.findChild<QPushButton *>(u"cmdSend"_s)->isEnabled(), network);
        QCOMPARE(w.findChild<QAction *>(u"mnuSend"_s)->isEnabled(), network);
        QCOMPARE(w.findChild<QAction *>(u"mnuEnableNetwork"_s)->isChecked(), network);
        QVERIFY(w.findChild<QTimer *>(u"tmrMinute"_s)->isActive());
        QVERIFY(!w.state().SettingsChanged);
        // The folder button gets its icon once the window has been painted.
        QTRY_VERIFY(!w.findChild<QToolButton *>(u"Picture1"_s)->icon().isNull());
        // The player is opened for wave audio with no file and nothing played.
        QCOMPARE(rig.player.log, strings({"wait off", "device WaveAudio", "command Open"}));
    }

    void closingAsksToSaveOnlyChanges_data()
    {
        QTest::addColumn<bool>("changed");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QString>("storedCount");
        QTest::newRow("no changes asks nothing") << false << true << u"<none>"_s;
        QTest::newRow("yes saves") << true << true << u"1"_s;
        QTest::newRow("no keeps the store") << true << false << u"<none>"_s;
    }

    void closingAsksToSaveOnlyChanges()
    {
        QFETCH(bool, changed);
        QFETCH(bool, answer);
        Window f(soundsIni({u"/s/bye.wav"_s}));
        QFile::remove(f.rig.settingsPath()); // read into memory: only a save writes it again
        QSignalSpy gone(&f.w, &frmMain::lastWindowGone);
        f.w.state().SettingsChanged = changed;
        f.rig.dialogs.questions.clear();
        f.rig.dialogs.answers = {answer};
        QVERIFY(f.w.close());
        QCOMPARE(f.rig.dialogs.questions, changed ? QStringList{u"Do you want to save changes?"_s} : QStringList());
        QTEST(f.rig.stored(u"WAV Files"_s, u"NumWavs"_s), "storedCount");
        // The farewell sound plays to its end before the player is closed.
        QCOMPARE(f.rig.player.log, strings({"file /s/bye.wav", "wait on", "command sound", "command Close"}));
        QCOMPARE(gone.count(), 1);
        QVERIFY(!f.timer()->isActive());
    }

    void closingLeavesOtherWindowsOpen()
    {
        Window f;
        QSignalSpy gone(&f.w, &frmMain::lastWindowGone);
        QWidget other;
        other.show();
        QVERIFY(f.w.close());
        QVERIFY(other.isVisible());
        QCOMPARE(gone.count(), 0);
        other.close();
        QTRY_COMPARE(gone.count(), 1);
    }

    void trayIconBringsTheWindowBackAndOffersItsMenuWhileHidden()
    {
        Window f;
        f.w.showMinimized();
        QTRY_VERIFY(f.w.isHidden());
        QVERIFY(f.rig.tray.present);
        QCOMPARE(f.rig.tray.tip, u"Calmora"_s);
        Q_EMIT f.rig.tray.doubleClicked();
        QVERIFY(f.w.isVisible() && !f.w.isMinimized());
        QVERIFY(f.rig.tray.present); // the icon stays

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
        QVERIFY(f.w.close());
        QVERIFY(!f.rig.tray.present);
    }

    void withoutATrayTheWindowStaysOnTheTaskBar()
    {
        Window f;
        f.rig.tray.available = false;
        f.w.showMinimized();
        QTest::qWait(20);
        QVERIFY(f.w.isVisible() && f.w.isMinimized());
        QVERIFY(!f.rig.tray.present);
    }

    void levelsAndTurnMeOffDriveTheSounds()
    {
        Window f(soundsIni({u"/s/a.wav"_s}));
        QTest::mouseClick(f.child<QRadioButton>("optstress0"), Qt::LeftButton);
        QCOMPARE(f.w.state().StressIndex, 0);
        QCOMPARE(f.rig.player.soundsPlayed(), QStringList{u"/s/a.wav"_s}); // a sample of the level
        f.rig.player.log.clear();

        // "Enable Sounds" is marked exactly while random sounds are on.
        auto *box = f.child<QCheckBox>("chkDisable");
        auto *mark = f.child<QAction>("mnuEnable");
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
        for (QWidget *at = f.list1()->nextInFocusChain(); at != f.list1(); at = at->nextInFocusChain()) {
            if (at->focusPolicy() & Qt::TabFocus && at->isEnabled() && at->isVisibleTo(&f.w))
                stops.append(at->objectName());
        }
        QCOMPARE(stops, strings({"cmdPlay", "cmdAdd", "cmdDelete", "cmdClear", "optstress0", "optstress1",
                                 "optstress2", "optstress3", "chkDisable", "Picture1"}));
    }

    void keysReachTheWindowWhicheverControlHasTheFocus()
    {
        Window f("[Function%20Keys]\nF1=/s/one.wav\n");
        QTest::keyClick(f.list1(), Qt::Key_F1);
        QCOMPARE(f.rig.player.soundsPlayed(), QStringList{u"/s/one.wav"_s});
    }

    void tickPlaysTheMessageBeforeARandomSound()
    {
        TestRig rig;
        const QString share = rig.path(u"share"_s);
        QDir().mkpath(share);
        rig.writeSettings("[Settings]\nNetActive=True\nNetName=bob\nNetPath=" + share.toUtf8() + "\n"
                          + soundsIni({u"/s/random.wav"_s}));
        frmMain w(rig.services());
        w.Form_Load();
        // Five quiet ticks bring the first random sound due.
        for (int i = 0; i < 5; ++i)
            w.tmrMinute_Timer();
        QVERIFY(rig.player.soundsPlayed().isEmpty());
        put(share + u"/bob.wav"_s, wavFile("sound"));
        put(share + u"/bob.txt"_s, "\"hello\"\r\n");
        w.tmrMinute_Timer();
        const QStringList sounds = rig.player.soundsPlayed();
        QCOMPARE(sounds.size(), 2);
        QVERIFY(sounds.at(0).contains(QLatin1String("calmora-received-")));
        QCOMPARE(sounds.at(1), u"/s/random.wav"_s);
        QVERIFY(filesIn(share).isEmpty());
        auto *picNet = w.findChild<QLabel *>(u"picNet"_s);
        QVERIFY(picNet->isVisible());
        auto *window = w.findChild<QDialog *>(u"frmReceive"_s);
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->findChild<QPlainTextEdit *>(u"txtMessage"_s)->toPlainText(), u"hello"_s);
        // OK hides the indicator; the next tick would have.
        window->findChild<QPushButton *>(u"cmdOK"_s)->click();
        QVERIFY(!picNet->isVisible());

        // Turned off, receiving leaves the folder alone, and sending is off at once.
        put(share + u"/bob.wav"_s, wavFile("again"));
        auto *cmdSend = w.findChild<QPushButton *>(u"cmdSend"_s);
        w.findChild<QAction *>(u"mnuEnableNetwork"_s)->trigger();
        QVERIFY(!cmdSend->isEnabled());
        w.tmrMinute_Timer();
        QCOMPARE(rig.player.soundsPlayed().size(), 2);
        QCOMPARE(filesIn(share), QStringList{u"bob.wav"_s});
    }

    void aTickDuringAWaitingSoundRunsAfterIt()
    {
        Window f;
        f.w.state().NetActive = true; // the next tick enables "Send To..."
        auto *cmdSend = f.child<QPushButton>("cmdSend");
        f.rig.player.simulateWaiting(true);
        f.w.tmrMinute_Timer();
        QVERIFY(!cmdSend->isEnabled());
        f.rig.player.simulateWaiting(false);
        QTRY_VERIFY(cmdSend->isEnabled());
    }

    void dropAddsLocalSoundFilesAsACopy()
    {
        Window f;
        // Never Move: the file manager would delete the files.
        QCOMPARE(f.drop({u"/s/tune.mp3"_s, u"/s/b.wav"_s, u"/s/a.AVI"_s}), Qt::CopyAction);
        QCOMPARE(f.entries(), strings({"/s/a.AVI", "/s/b.wav"}));
        QVERIFY(f.w.state().SettingsChanged);
        QVERIFY(f.rig.dialogs.messages.isEmpty());
    }

    void deleteRemovesOnlyTheHighlightedEntry_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("highlighted");
        for (const char *how : {"Del", "Delete key", "menu"}) {
            QTest::addRow("%s with highlight", how) << QString::fromLatin1(how) << true;
            QTest::addRow("%s without highlight", how) << QString::fromLatin1(how) << false;
        }
    }

    void deleteRemovesOnlyTheHighlightedEntry()
    {
        QFETCH(QString, how);
        QFETCH(bool, highlighted);
        Window f(soundsIni(kABC));
        if (highlighted)
            f.highlight(1);
        if (how == QLatin1String("Del"))
            f.child<QPushButton>("cmdDelete")->click();
        else if (how == QLatin1String("menu"))
            f.child<QAction>("mnuDelete")->trigger();
        else
            QTest::keyClick(f.list1(), Qt::Key_Delete, Qt::ShiftModifier);
        QStringList expected = kABC;
        if (highlighted)
            expected.removeAt(1);
        QCOMPARE(f.entries(), expected);
        QCOMPARE(f.list1()->currentEntry(), -1);
        QCOMPARE(f.w.state().SettingsChanged, highlighted);
    }

    void rightClickActsOnTheHighlightedEntry()
    {
        Window f(soundsIni(kABC));
        f.highlight(0);
        const QPoint onC = f.list1()->visualRect(f.list1()->model()->index(2, 0)).center();
        QTest::mousePress(f.list1()->viewport(), Qt::RightButton, Qt::NoModifier, onC);
        QTest::mouseRelease(f.list1()->viewport(), Qt::RightButton, Qt::NoModifier, onC);
        auto *menu = f.child<QMenu>("mnuPopup2");
        QVERIFY(menu->isVisible());
        QCOMPARE(f.list1()->currentEntry(), 0);
        f.child<QAction>("mnuPlay")->trigger();
        menu->hide();
        QCOMPARE(f.rig.player.soundsPlayed(), QStringList{u"/s/a.wav"_s});
    }

    void clearAsksFirst_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }

    void clearAsksFirst()
    {
        QFETCH(bool, answer);
        Window f(soundsIni(kABC));
        f.rig.dialogs.answers = {answer};
        f.child<QPushButton>("cmdClear")->click();
        QCOMPARE(f.rig.dialogs.questions, QStringList{u"Clear all wav files from list?"_s});
        QCOMPARE(f.entries().size(), answer ? 0 : 3);
        QCOMPARE(f.w.state().SettingsChanged, answer);
    }

    // No tick runs while a modal dialog changes what ticks work on; ticks run
    // again after it, even when "Turn Me Off" had stopped them.
    void modalDialogsPauseTheTicks_data()
    {
        QTest::addColumn<QString>("opener");
        QTest::newRow("Add") << u"cmdAdd"_s;
        QTest::newRow("Network") << u"mnuNetwork"_s;
    }

    void modalDialogsPauseTheTicks()
    {
        QFETCH(QString, opener);
        Window f;
        f.child<QCheckBox>("chkDisable")->setChecked(true);
        bool runningWhileOpen = true;
        onNextModal([&](QWidget *modal) {
            runningWhileOpen = f.timer()->isActive();
            modal->findChild<QPushButton *>(u"cmdCancel"_s)->click();
        });
        if (auto *button = f.w.findChild<QPushButton *>(opener))
            button->click();
        else
            f.w.findChild<QAction *>(opener)->trigger();
        QVERIFY(!runningWhileOpen);
        QVERIFY(f.timer()->isActive());
    }

    void fileManagerStartsOnceAndComesForward()
    {
        Window f;
        FakeLauncher &launcher = f.rig.launcher;
        auto *picture1 = f.child<QToolButton>("Picture1");
        picture1->click();
        QCOMPARE(launcher.starts.size(), 1);
        QCOMPARE(launcher.starts[0].arguments, QStringList{QDir::homePath()});
        picture1->click(); // still running: brought forward
        QCOMPARE(launcher.starts.size(), 1);
        QCOMPARE(launcher.activations, QList<qint64>{100});
        launcher.canRaise = false; // Wayland: the file manager service shows the folder
        picture1->click();
        QCOMPARE(launcher.starts.size(), 1);
        QCOMPARE(launcher.foldersShown, QStringList{QDir::homePath()});
        launcher.folderService = false; // nor that: started again
        picture1->click();
        QCOMPARE(launcher.starts.size(), 2);
        launcher.canRaise = true;
        launcher.running.clear(); // the user closed it
        picture1->click();
        QCOMPARE(launcher.starts.size(), 3);
        QVERIFY(f.rig.dialogs.messages.isEmpty());
        launcher.running.clear();
        launcher.failStarts = true;
        picture1->click();
        QCOMPARE(f.rig.dialogs.messages.size(), 1);
    }

    void sendToOpensOneDialogForTheHighlightedSound_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("opens");
        QTest::newRow("wav") << u"/s/a.wav"_s << true;
        QTest::newRow("avi") << u"/s/clip.AVI"_s << false;
    }

    void sendToOpensOneDialogForTheHighlightedSound()
    {
        QFETCH(QString, entry);
        QFETCH(bool, opens);
        Window f("[Settings]\nNetActive=True\nUsers=2\nUser1=ann\nUser2=bob\n" + soundsIni({entry, u"/s/z.wav"_s}));
        f.highlight(0);
        f.child<QPushButton>("cmdSend")->click();
        auto *dialog = f.child<frmUsers>("frmUsers");
        QCOMPARE(dialog != nullptr, opens);
        if (!opens)
            return;
        QCOMPARE(dialog->file(), entry);
        auto *list = dialog->findChild<QListWidget *>(u"lstUsers"_s);
        list->item(1)->setSelected(true);
        // Another "Send To..." only changes the file: same window, same choice.
        f.highlight(1);
        f.child<QAction>("mnuSend")->trigger();
        QCOMPARE(f.w.findChildren<frmUsers *>().size(), 1);
        QCOMPARE(dialog->file(), u"/s/z.wav"_s);
        QVERIFY(list->item(1)->isSelected());
    }

    void startUpOffersANewerNetworkCopyThenGoesOn()
    {
        TestRig rig;
        const QString share = rig.path(u"share"_s);
        QDir().mkpath(share);
        put(rig.path(u"calmora"_s), "old");
        QFile newer(share + u"/calmora"_s);
        QVERIFY(newer.open(QIODevice::WriteOnly) && newer.write("new") == 3 && newer.flush());
        QVERIFY(newer.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
        newer.close();
        rig.writeSettings("[Settings]\nNetPath=" + share.toUtf8() + "\n");
        rig.dialogs.answers = {false};
        frmMain w(rig.services());
        w.Form_Load();
        QCOMPARE(rig.dialogs.questions,
                 QStringList{u"A newer version of Calmora exists on the network.  Do you want to update your version?"_s});
        QVERIFY(rig.launcher.starts.isEmpty());
        QVERIFY(w.findChild<QTimer *>(u"tmrMinute"_s)->isActive());
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
