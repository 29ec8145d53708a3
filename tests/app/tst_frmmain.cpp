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
#include <QToolButton>

using namespace calmora;
using namespace calmora::test;
using namespace Qt::StringLiterals;

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
        QTest::addColumn<QStringList>("ticked");
        QTest::newRow("empty store") << QByteArray() << 2 << 40 << false << QStringList();
        QTest::newRow("seeded store")
            << QByteArray("[Settings]\nStressIndex=0\nNetActive=True\n[WAV%20Files]\nNumWavs=2\n"
                          "wav0=\"/s/a.wav,True\"\nwav1=\"/s/b.wav,False\"\n")
            << 0 << 7 << true << QStringList{u"/s/a.wav"_s};
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
        QTEST(w.soundList().List2(), "ticked");
        QVERIFY(w.tmrMinute()->isActive());
        QVERIFY(!w.state().SettingsChanged);
        // The folder button gets its icon once the window has been painted.
        QTRY_VERIFY(!w.findChild<QToolButton *>(u"Picture1"_s)->icon().isNull());
        // The player is opened for wave audio with no file and nothing played.
        QCOMPARE(rig.player.log, (QStringList{u"wait off"_s, u"device WaveAudio"_s, u"command Open"_s}));
    }

    void closingAsksToSaveOnlyChanges_data()
    {
        QTest::addColumn<bool>("changed");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QString>("storedCount");
        QTest::newRow("no changes asks nothing") << false << true << u"1"_s;
        QTest::newRow("yes saves") << true << true << u"2"_s;
        QTest::newRow("no keeps the store") << true << false << u"1"_s;
    }

    void closingAsksToSaveOnlyChanges()
    {
        QFETCH(bool, changed);
        QFETCH(bool, answer);
        TestRig rig;
        rig.writeSettings("[WAV%20Files]\nNumWavs=1\nwav0=\"/s/bye.wav,True\"\n");
        frmMain w(rig.services());
        QSignalSpy gone(&w, &frmMain::lastWindowGone);
        w.Form_Load();
        if (changed)
            w.soundList().addEntry(u"/s/new.wav"_s, false);
        QCOMPARE(w.state().SettingsChanged, changed);
        rig.dialogs.answers = {answer};
        rig.player.log.clear();
        QVERIFY(w.close());
        QCOMPARE(rig.dialogs.questions,
                 changed ? QStringList{u"Do you want to save changes?"_s} : QStringList());
        QTEST(rig.reopenStore()->get(u"WAV Files"_s, u"NumWavs"_s, QString()), "storedCount");
        // The farewell sound plays to its end before the player is closed.
        QCOMPARE(rig.player.log,
                 (QStringList{u"file /s/bye.wav"_s, u"wait on"_s, u"command sound"_s, u"command Close"_s}));
        QCOMPARE(gone.count(), 1);
        QVERIFY(!w.tmrMinute()->isActive());
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
