#include "app/frmmain.h"
#include "fakes.h"
#include "list/soundlist.h"
#include "sound/scheduler.h"

#include <QAction>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

using namespace calmora;
using namespace calmora::test;

class TestFrmMain : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void windowHasItsInventory()
    {
        TestRig rig;
        frmMain w(rig.services());
        QCOMPARE(w.windowTitle(), QStringLiteral("Calmora"));
        QCOMPARE(w.centralWidget()->size(), QSize(461, 253));
        QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
        const struct
        {
            const char *name;
            const char *caption;
            const char *tip;
            QRect geometry;
        } buttons[] = {
            {"cmdPlay", "Play", "Play the selected file", QRect(192, 224, 45, 21)},
            {"cmdSend", "Send To...", "Send selected file to another user", QRect(248, 224, 69, 21)},
            {"cmdAdd", "Add", "Add a file", QRect(344, 224, 29, 21)},
            {"cmdDelete", "Del", "Delete a File", QRect(380, 224, 29, 21)},
            {"cmdClear", "Clear", "Clear all wav files from list", QRect(416, 224, 37, 21)},
        };
        for (const auto &b : buttons) {
            auto *button = w.findChild<QPushButton *>(QLatin1String(b.name));
            QVERIFY2(button, b.name);
            QCOMPARE(button->text(), QLatin1String(b.caption));
            QCOMPARE(button->toolTip(), QLatin1String(b.tip));
            QCOMPARE(button->geometry(), b.geometry);
        }
        QCOMPARE(w.findChild<QRadioButton *>(QStringLiteral("optstress3"))->text(), QStringLiteral("Relaxed (Numb)"));
        QVERIFY(w.findChild<QAction *>(QStringLiteral("mnuCancel"))->isVisible() == false);
        for (const char *hidden : {"cmdSelectAll", "cmdDeselectAll", "chkSchedule", "txtStart", "txtStop"})
            QVERIFY2(w.findChild<QWidget *>(QLatin1String(hidden))->isHidden(), hidden);
        QCOMPARE(w.tmrMinute()->interval(), 30000);
        QVERIFY(!w.tmrMinute()->isActive());
    }

    void firstStartWithEmptyStore()
    {
        TestRig rig;
        frmMain w(rig.services());
        w.Form_Load();
        QVERIFY(w.isVisible());
        QVERIFY(w.findChild<QRadioButton *>(QStringLiteral("optstress2"))->isChecked());
        QCOMPARE(w.state().MinDelayMinutes, 15);
        QCOMPARE(w.state().MaxDelayMinutes, 40);
        QCOMPARE(w.state().NextDelayMinutes, 2);
        QVERIFY(!w.findChild<QPushButton *>(QStringLiteral("cmdSend"))->isEnabled());
        QVERIFY(!w.findChild<QAction *>(QStringLiteral("mnuSend"))->isEnabled());
        QVERIFY(w.tmrMinute()->isActive());
        QVERIFY(!w.state().SettingsChanged);
        // The player is opened for wave audio with no file and nothing played.
        QCOMPARE(rig.player.log,
                 (QStringList{QStringLiteral("wait off"), QStringLiteral("device WaveAudio"),
                              QStringLiteral("command Open")}));
    }

    void seededStoreSelectsLevelAndNetwork()
    {
        TestRig rig;
        rig.writeSettings("[Settings]\nStressIndex=0\nNetActive=True\n"
                          "[WAV%20Files]\nNumWavs=2\nwav0=\"/s/a.wav,True\"\nwav1=\"/s/b.wav,False\"\n");
        frmMain w(rig.services());
        w.Form_Load();
        QVERIFY(w.findChild<QRadioButton *>(QStringLiteral("optstress0"))->isChecked());
        QCOMPARE(w.state().MinDelayMinutes, 1);
        QCOMPARE(w.state().MaxDelayMinutes, 7);
        QVERIFY(w.findChild<QPushButton *>(QStringLiteral("cmdSend"))->isEnabled());
        QVERIFY(w.findChild<QAction *>(QStringLiteral("mnuEnableNetwork"))->isChecked());
        QCOMPARE(w.soundList().List2(), QStringList{QStringLiteral("/s/a.wav")});
        QVERIFY(!w.state().SettingsChanged);
        QVERIFY(rig.player.soundsPlayed().isEmpty());
    }

    void restoreLeavesLevelAndSendControls()
    {
        TestRig rig;
        rig.writeSettings("[Settings]\nStressIndex=3\nNetActive=True\nUsers=1\nUser1=bob\n");
        frmMain w(rig.services());
        w.Form_Load();
        rig.writeSettings("[Settings]\nStressIndex=0\nNetActive=False\nUsers=1\nUser1=carl\n"
                          "[WAV%20Files]\nNumWavs=1\nwav0=\"/s/a.wav,True\"\n");
        w.mnuRestore_Click();
        QVERIFY(w.findChild<QRadioButton *>(QStringLiteral("optstress3"))->isChecked());
        QCOMPARE(w.state().MinDelayMinutes, 30);
        QVERIFY(w.findChild<QPushButton *>(QStringLiteral("cmdSend"))->isEnabled());
        QVERIFY(w.findChild<QAction *>(QStringLiteral("mnuEnableNetwork"))->isChecked());
        QCOMPARE(w.state().Users[1], QStringLiteral("carl"));
        QCOMPARE(w.soundList().count(), 1);
    }

    void closingWithoutChangesAsksNothing()
    {
        TestRig rig;
        rig.writeSettings("[WAV%20Files]\nNumWavs=1\nwav0=\"/s/bye.wav,True\"\n");
        frmMain w(rig.services());
        QSignalSpy gone(&w, &frmMain::lastWindowGone);
        w.Form_Load();
        rig.player.log.clear();
        QVERIFY(w.close());
        QVERIFY(rig.dialogs.questions.isEmpty());
        // The farewell sound plays to its end before the player is closed.
        QCOMPARE(rig.player.log, (QStringList{QStringLiteral("file /s/bye.wav"), QStringLiteral("wait on"),
                                              QStringLiteral("command sound"), QStringLiteral("command Close")}));
        QCOMPARE(gone.count(), 1);
        QVERIFY(!w.tmrMinute()->isActive());
    }

    void closingWithChangesAsksOnce_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::newRow("yes saves") << true;
        QTest::newRow("no keeps the store") << false;
    }

    void closingWithChangesAsksOnce()
    {
        QFETCH(bool, answer);
        TestRig rig;
        frmMain w(rig.services());
        w.Form_Load();
        w.soundList().addEntry(QStringLiteral("/s/new.wav"), true);
        QVERIFY(w.state().SettingsChanged);
        rig.dialogs.answers = {answer};
        QVERIFY(w.close());
        QCOMPARE(rig.dialogs.questions, QStringList{QStringLiteral("Do you want to save changes?")});
        const auto stored = rig.reopenStore();
        QCOMPARE(stored->get(QStringLiteral("WAV Files"), QStringLiteral("wav0"), QString()),
                 answer ? QStringLiteral("/s/new.wav,True") : QString());
    }

    void closingLeavesOtherWindowsOpen()
    {
        TestRig rig;
        frmMain w(rig.services());
        QSignalSpy gone(&w, &frmMain::lastWindowGone);
        w.Form_Load();
        QWidget other;
        other.show();
        QVERIFY(w.close());
        QVERIFY(other.isVisible());
        QCOMPARE(gone.count(), 0);
        other.close();
        QTRY_COMPARE(gone.count(), 1);
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
