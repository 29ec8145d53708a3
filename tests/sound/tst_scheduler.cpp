#include "app/appstate.h"
#include "app/frmmain.h"
#include "fakes.h"
#include "list/soundlist.h"
#include "sound/scheduler.h"

#include <QAction>
#include <QCheckBox>
#include <QListWidget>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <map>

using namespace calmora;
using namespace calmora::test;
using namespace Qt::StringLiterals;

class TestScheduler : public QObject
{
    Q_OBJECT

    struct Fixture
    {
        explicit Fixture(int sounds = 1)
        {
            for (int i = 0; i < sounds; ++i)
                list.addEntry(u"/s/%1.wav"_s.arg(i), true);
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

    // 2.5 minutes have passed after five ticks; only the sixth exceeds the delay of 2.
    void firstSoundComesOnTheTickAt180Seconds_data()
    {
        QTest::addColumn<int>("sounds");
        QTest::addColumn<bool>("disabled");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<QStringList>("played");
        QTest::newRow("a ticked sound") << 1 << false << 6 << QStringList{u"/s/0.wav"_s};
        QTest::newRow("none ticked: still resets and redraws") << 0 << false << 6 << QStringList{QString()};
        QTest::newRow("disabled: counts on, never plays") << 1 << true << -1 << QStringList();
    }

    void firstSoundComesOnTheTickAt180Seconds()
    {
        QFETCH(int, sounds);
        QFETCH(bool, disabled);
        QFETCH(int, ticks);
        Fixture f(sounds);
        f.state.SoundsDisabled = disabled;
        QCOMPARE(f.ticksUntilSound(20), ticks);
        QTEST(f.rig.player.soundsPlayed(), "played");
        QCOMPARE(f.scheduler.ElapsedMinutes(), ticks < 0 ? 10.0 : 0.0);
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
        QVERIFY(!counts.count(u"/s/1.wav"_s));
        for (const auto &[name, count] : counts)
            QVERIFY2(std::abs(count - draws / 3) < draws / 30, qPrintable(name));
        QCOMPARE(f.state.SelectedSoundCount, 3);
    }

    void pickingALevelPlaysASampleEvenWhenAlreadySelected()
    {
        TestRig rig;
        rig.writeSettings("[WAV%20Files]\nNumWavs=1\nwav0=\"/s/a.wav,True\"\n");
        frmMain w(rig.services());
        w.Form_Load();
        auto *bad = w.findChild<QRadioButton *>(u"optstress2"_s);
        QTest::mouseClick(bad, Qt::LeftButton);
        QCOMPARE(rig.player.soundsPlayed(), QStringList{u"/s/a.wav"_s});
        QVERIFY(w.state().SettingsChanged);

        QTest::mouseClick(w.findChild<QRadioButton *>(u"optstress0"_s), Qt::LeftButton);
        QCOMPARE(w.state().StressIndex, 0);
        QVERIFY(w.state().NextDelayMinutes <= 7);
        QCOMPARE(rig.player.soundsPlayed().size(), 2);
    }

    void turnMeOffAndEnableSoundsStayInStep()
    {
        TestRig rig;
        rig.writeSettings("[WAV%20Files]\nNumWavs=1\nwav0=\"/s/a.wav,True\"\n");
        frmMain w(rig.services());
        w.Form_Load();
        auto *box = w.findChild<QCheckBox *>(u"chkDisable"_s);
        auto *mark = w.findChild<QAction *>(u"mnuEnable"_s);
        QVERIFY(!mark->isChecked());

        QTest::mouseClick(box, Qt::LeftButton);
        QVERIFY(w.state().SoundsDisabled);
        QVERIFY(!w.tmrMinute()->isActive());
        QVERIFY(mark->isChecked());
        QVERIFY(rig.player.soundsPlayed().isEmpty());

        // "Enable Sounds" flips the box, which plays a sound to its end and restarts the timer.
        mark->trigger();
        QVERIFY(!box->isChecked());
        QVERIFY(w.tmrMinute()->isActive());
        QCOMPARE(rig.player.soundsPlayed(), QStringList{u"/s/a.wav"_s});
        QVERIFY(rig.player.wait);
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
};

QTEST_MAIN(TestScheduler)
#include "tst_scheduler.moc"
