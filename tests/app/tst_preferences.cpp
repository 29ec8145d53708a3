#include "app/frmmain.h"
#include "app/frmpreferences.h"
#include "fakes.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QSlider>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

using namespace calmora;
using namespace calmora::test;
using namespace Qt::StringLiterals;

class TestPreferences : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // OK stores the preferences and puts them in force; the login box writes
    // the desktop's entry, the one record of that choice.
    void okStoresAndApplies()
    {
        TestRig rig;
        frmMain w(rig.services());
        w.Form_Load();
        QTimer::singleShot(0, [] {
            auto *dialog = qobject_cast<frmPreferences *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), u"Calmora Preferences"_s);
            dialog->findChild<QSlider *>(u"sldVolume"_s)->setValue(40);
            dialog->findChild<QCheckBox *>(u"chkQuietWhenLocked"_s)->setChecked(false);
            dialog->findChild<QCheckBox *>(u"chkAutostart"_s)->setChecked(true);
            dialog->findChild<QPushButton *>(u"cmdOK"_s)->click();
        });
        w.findChild<QAction *>(u"mnuPreferences"_s)->trigger();
        QCOMPARE(rig.player.volume, 40);
        QCOMPARE(rig.stored(u"Preferences"_s, u"Volume"_s), u"40"_s);
        QCOMPARE(rig.stored(u"Preferences"_s, u"QuietWhenLocked"_s), u"False"_s);
        QVERIFY(rig.autostart.enabled);
        QVERIFY(!w.state().SettingsChanged);
    }

    // While the screen is locked the program plays nothing by itself and
    // received messages wait untouched; the first tick after it plays them.
    void aLockedScreenKeepsItQuiet()
    {
        TestRig rig;
        const QString share = rig.path(u"share"_s);
        QDir().mkpath(share);
        rig.writeSettings("[Settings]\nNetActive=True\nNetName=bob\nNetPath=" + share.toUtf8()
                          + "\n[WAV%20Files]\nNumWavs=1\nwav0=\"/s/random.wav,True\"\n");
        frmMain w(rig.services());
        w.Form_Load();
        w.showMinimized();
        QTRY_VERIFY(rig.tray.present);
        rig.screenLock.lock(true);
        QCOMPARE(rig.tray.tip, u"Calmora (quiet while the screen is locked)"_s);
        put(share + u"/bob.wav"_s, wavFile("sound"));
        for (int i = 0; i < 8; ++i)
            w.tmrMinute_Timer();
        QVERIFY(rig.player.soundsPlayed().isEmpty());
        QCOMPARE(filesIn(share), QStringList{u"bob.wav"_s});
        // What the user starts still plays.
        QTest::mouseClick(w.findChild<QCheckBox *>(u"chkDisable"_s), Qt::LeftButton);
        QTest::mouseClick(w.findChild<QCheckBox *>(u"chkDisable"_s), Qt::LeftButton);
        QCOMPARE(rig.player.soundsPlayed(), QStringList{u"/s/random.wav"_s});

        rig.screenLock.lock(false);
        QCOMPARE(rig.tray.tip, u"Calmora"_s);
        w.tmrMinute_Timer();
        QCOMPARE(rig.player.soundsPlayed().size(), 3); // the message, then the due random sound
        QVERIFY(filesIn(share).isEmpty());
    }

    void anotherStartBringsTheWindowBackFromTheTray()
    {
        TestRig rig;
        frmMain w(rig.services());
        w.Form_Load();
        w.showMinimized();
        QTRY_VERIFY(w.isHidden());
        w.bringForward();
        QVERIFY(w.isVisible() && !w.isMinimized());
    }
};

QTEST_MAIN(TestPreferences)
#include "tst_preferences.moc"
