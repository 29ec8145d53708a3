#include "app/appstate.h"
#include "app/frmmain.h"
#include "fakes.h"
#include "list/soundlist.h"
#include "sound/scheduler.h"

#include <QAction>
#include <QCheckBox>
#include <QListWidget>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <map>

using namespace calmora;
using namespace calmora::test;

class TestScheduler : public QObject
{
    Q_OBJECT

    struct Fixture
    {
        explicit Fixture(int sounds = 1)
        {
            for (int i = 0; i < sounds; ++i)
                list.addEntry(QStringLiteral("/s/%1.wav").arg(i), true);
        }
        TestRig rig;
        AppState state;
        QListWidget list1;
        SoundList list{&list1, state, nullptr};
        Scheduler scheduler{state, list, rig.player, rig.random, nullptr};

        // Ticks until a random sound starts; -1 if none within limit.
        int ticksUntilSound(int limit = 1000)
        {
            const qsizetype before = rig.player.soundsPlayed().size();
            for (int tick = 1; tick <= limit; ++tick) {
                scheduler.schedulingStep();
                if (rig.player.soundsPlayed().size() > before)
                    return tick;
            }
            return -1;
        }
    };

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void firstSoundComesOnTheTickAt180Seconds()
    {
        Fixture f;
        // 2.5 minutes have passed after five ticks; only the sixth exceeds the delay of 2.
        QCOMPARE(f.ticksUntilSound(), 6);
        QCOMPARE(f.scheduler.ElapsedMinutes(), 0.0);
        QVERIFY(!f.rig.player.wait);
    }

    void nextSoundComesOneMinuteAfterTheDrawnDelay()
    {
        Fixture f;
        f.ticksUntilSound();
        for (int round = 0; round < 50; ++round) {
            const int delay = f.state.NextDelayMinutes;
            QCOMPARE(f.ticksUntilSound(), 2 * delay + 2);
        }
    }

    void noTickedSoundStillResetsAndRedraws()
    {
        Fixture f(0);
        QCOMPARE(f.ticksUntilSound(), 6);
        QCOMPARE(f.rig.player.soundsPlayed(), QStringList{QString()});
        QCOMPARE(f.scheduler.ElapsedMinutes(), 0.0);
        QVERIFY(f.state.NextDelayMinutes >= 15 && f.state.NextDelayMinutes <= 54);
    }

    void disabledSoundsKeepCountingButNeverPlay()
    {
        Fixture f;
        f.state.SoundsDisabled = true;
        QCOMPARE(f.ticksUntilSound(20), -1);
        QCOMPARE(f.scheduler.ElapsedMinutes(), 10.0);
    }

    void eachLevelDrawsExactlyItsRange_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("lowest");
        QTest::addColumn<int>("highest");
        QTest::newRow("Postal") << 0 << 1 << 7;
        QTest::newRow("Peeved") << 1 << 7 << 24;
        QTest::newRow("Just a bad day") << 2 << 15 << 54;
        QTest::newRow("Relaxed (Numb)") << 3 << 30 << 109;
    }

    void eachLevelDrawsExactlyItsRange()
    {
        QFETCH(int, level);
        QFETCH(int, lowest);
        QFETCH(int, highest);
        Fixture f;
        f.scheduler.applyStressBounds(level);
        std::map<int, int> seen;
        for (int i = 0; i < 20000; ++i) {
            f.scheduler.DelayLaugh();
            ++seen[f.state.NextDelayMinutes];
        }
        QCOMPARE(seen.begin()->first, lowest);
        QCOMPARE(seen.rbegin()->first, highest);
        QCOMPARE(int(seen.size()), highest - lowest + 1);
    }

    void randomPickIsUniformOverTickedSounds()
    {
        Fixture f(4);
        f.list.setTicked(1, false);
        const int draws = 30000;
        for (int i = 0; i < draws; ++i)
            f.scheduler.Laugh();
        std::map<QString, int> counts;
        for (const QString &name : f.rig.player.soundsPlayed())
            ++counts[name];
        QCOMPARE(int(counts.size()), 3);
        QVERIFY(!counts.count(QStringLiteral("/s/1.wav")));
        for (const auto &[name, count] : counts)
            QVERIFY2(std::abs(count - draws / 3) < draws / 30, qPrintable(name));
        QCOMPARE(f.state.SelectedSoundCount, 3);
    }

    void laughWaitsAndLeavesTheSchedule()
    {
        Fixture f;
        f.state.NextDelayMinutes = 9;
        f.scheduler.schedulingStep();
        f.scheduler.Laugh();
        QVERIFY(f.rig.player.wait);
        QCOMPARE(f.state.NextDelayMinutes, 9);
        QCOMPARE(f.scheduler.ElapsedMinutes(), 0.5);
    }

    void pickingALevelPlaysASampleEvenWhenAlreadySelected()
    {
        TestRig rig;
        rig.writeSettings("[WAV%20Files]\nNumWavs=1\nwav0=\"/s/a.wav,True\"\n");
        frmMain w(rig.services());
        w.Form_Load();
        auto *bad = w.findChild<QRadioButton *>(QStringLiteral("optstress2"));
        QTest::mouseClick(bad, Qt::LeftButton);
        QCOMPARE(rig.player.soundsPlayed(), QStringList{QStringLiteral("/s/a.wav")});
        QVERIFY(w.state().SettingsChanged);
        QVERIFY(w.state().NextDelayMinutes >= 15 && w.state().NextDelayMinutes <= 54);

        auto *postal = w.findChild<QRadioButton *>(QStringLiteral("optstress0"));
        QTest::mouseClick(postal, Qt::LeftButton);
        QCOMPARE(w.state().StressIndex, 0);
        QCOMPARE(w.state().MinDelayMinutes, 1);
        QCOMPARE(w.state().MaxDelayMinutes, 7);
        QVERIFY(w.state().NextDelayMinutes <= 7);

        // The keyboard applies a level just as the mouse does.
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        postal->setFocus();
        QTest::keyClick(postal, Qt::Key_Down);
        QCOMPARE(w.state().StressIndex, 1);
        QCOMPARE(w.state().MinDelayMinutes, 7);
        QCOMPARE(rig.player.soundsPlayed().size(), 3);
    }

    void turnMeOffAndEnableSoundsStayInStep()
    {
        TestRig rig;
        rig.writeSettings("[WAV%20Files]\nNumWavs=1\nwav0=\"/s/a.wav,True\"\n");
        frmMain w(rig.services());
        w.Form_Load();
        auto *box = w.findChild<QCheckBox *>(QStringLiteral("chkDisable"));
        auto *mark = w.findChild<QAction *>(QStringLiteral("mnuEnable"));
        QVERIFY(!mark->isChecked());

        QTest::mouseClick(box, Qt::LeftButton);
        QVERIFY(box->isChecked());
        QVERIFY(w.state().SoundsDisabled);
        QVERIFY(!w.tmrMinute()->isActive());
        QVERIFY(mark->isChecked());
        QVERIFY(rig.player.soundsPlayed().isEmpty());

        // "Enable Sounds" flips the box, which plays a sound to its end and restarts the timer.
        mark->trigger();
        QVERIFY(!box->isChecked());
        QVERIFY(!mark->isChecked());
        QVERIFY(!w.state().SoundsDisabled);
        QVERIFY(w.tmrMinute()->isActive());
        QCOMPARE(rig.player.soundsPlayed(), QStringList{QStringLiteral("/s/a.wav")});
        QVERIFY(rig.player.wait);

        mark->trigger();
        QVERIFY(box->isChecked());
        QVERIFY(!w.tmrMinute()->isActive());
    }

    void aTickDuringAWaitingSoundRunsAfterIt()
    {
        TestRig rig;
        frmMain w(rig.services());
        w.Form_Load();
        rig.player.simulateWaiting(true);
        w.tmrMinute_Timer();
        QCOMPARE(w.scheduler().ElapsedMinutes(), 0.0);
        rig.player.simulateWaiting(false);
        QTRY_COMPARE(w.scheduler().ElapsedMinutes(), 0.5);
    }

    void scheduleBoxOnlyEnablesItsTimeFields()
    {
        TestRig rig;
        frmMain w(rig.services());
        auto *box = w.findChild<QCheckBox *>(QStringLiteral("chkSchedule"));
        box->setChecked(true);
        QVERIFY(w.findChild<QWidget *>(QStringLiteral("txtStart"))->isEnabled());
        box->setChecked(false);
        QVERIFY(!w.findChild<QWidget *>(QStringLiteral("txtStop"))->isEnabled());
    }
};

QTEST_MAIN(TestScheduler)
#include "tst_scheduler.moc"
