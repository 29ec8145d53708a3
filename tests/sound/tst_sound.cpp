// What plays from the sound list by itself or by a function key, and when the
// program keeps quiet.

#include "core/appstate.h"
#include "fakes.h"
#include "list/soundlist.h"
#include "sound/functionkeys.h"
#include "sound/quiet.h"
#include "sound/scheduler.h"

#include <map>

using namespace calmora;
using namespace calmora::test;
using namespace Qt::StringLiterals;

class TestSound : public QObject
{
    Q_OBJECT

    struct Fixture
    {
        explicit Fixture(int sounds = 1)
        {
            for (int i = 0; i < sounds; ++i)
                list.addEntry(u"/s/%1.wav"_s.arg(i), true);
        }
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

        TestRig rig;
        AppState state;
        SoundList list{state, nullptr};
        Scheduler scheduler{state, list, rig.player, rig.random, nullptr};
    };

private Q_SLOTS:
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
        // After that, each sound comes one minute after the delay drawn for it.
        for (int round = 0; sounds > 0 && ticks > 0 && round < 50; ++round) {
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
        // Picking a level plays a sample of it at once, and changes what is stored.
        f.scheduler.chooseLevel(level);
        QCOMPARE(f.rig.player.soundsPlayed(), QStringList{u"/s/0.wav"_s});
        QCOMPARE(f.state.StressIndex, level);
        QVERIFY(f.state.SettingsChanged);
        std::map<int, int> seen;
        for (int i = 0; i < 20000; ++i) {
            f.scheduler.DelayLaugh();
            ++seen[f.state.NextDelayMinutes];
        }
        QCOMPARE(seen.begin()->first, lowest);
        QCOMPARE(seen.rbegin()->first, highest);
        QCOMPARE(int(seen.size()), highest - lowest + 1);
    }

    // Unticked in a view, or removed, a sound is never picked.
    void randomPickIsUniformOverTickedSounds()
    {
        Fixture f(5);
        f.state.SettingsChanged = false;
        QVERIFY(f.list.setData(f.list.index(1), Qt::Unchecked, Qt::CheckStateRole));
        QVERIFY(f.state.SettingsChanged);
        f.list.removeAt(4);
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
        QVERIFY(f.rig.player.wait);
        f.list.clear();
        QVERIFY(f.list.List2().isEmpty());
    }

    void functionKeysPlayTheirAssignment_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QStringList>("log");
        const auto file = [](const char *name) { return strings({name, "wait off", "command sound"}); };
        QTest::newRow("F1: a file") << int(Qt::Key_F1) << file("file /k/one.wav");
        QTest::newRow("F2: Random, to its end")
            << int(Qt::Key_F2) << strings({"file /s/0.wav", "wait on", "command sound"});
        QTest::newRow("F3: random is a file name") << int(Qt::Key_F3) << file("file random");
        QTest::newRow("F12") << int(Qt::Key_F12) << file("file /k/twelve.wav");
        QTest::newRow("F5: nothing assigned") << int(Qt::Key_F5) << QStringList();
        QTest::newRow("not a function key") << int(Qt::Key_F13) << QStringList();
    }

    void functionKeysPlayTheirAssignment()
    {
        QFETCH(int, key);
        Fixture f;
        f.state.FunctionKeyTable[1] = u"/k/one.wav"_s;
        f.state.FunctionKeyTable[2] = u"Random"_s;
        f.state.FunctionKeyTable[3] = u"random"_s;
        f.state.FunctionKeyTable[12] = u"/k/twelve.wav"_s;
        QCOMPARE(playFunctionKey(key, f.state, f.rig.player, f.scheduler), key != Qt::Key_F13);
        QTEST(f.rig.player.log, "log");
    }

    void quietHoursAndTheLockedScreen_data()
    {
        QTest::addColumn<QString>("window"); // "from-to", or "" for no quiet hours
        QTest::addColumn<bool>("locked");
        QTest::addColumn<QString>("now");
        QTest::addColumn<QString>("tip");
        const QString quietTill7 = u"Calmora (quiet until 07:00)"_s;
        QTest::newRow("past midnight, late") << u"22:00-07:00"_s << false << u"23:30"_s << quietTill7;
        QTest::newRow("past midnight, early") << u"22:00-07:00"_s << false << u"06:59"_s << quietTill7;
        QTest::newRow("past midnight, at its end") << u"22:00-07:00"_s << false << u"07:00"_s << u"Calmora"_s;
        QTest::newRow("within a day")
            << u"12:00-13:00"_s << false << u"12:00"_s << u"Calmora (quiet until 13:00)"_s;
        QTest::newRow("no length is never quiet") << u"09:00-09:00"_s << false << u"09:00"_s << u"Calmora"_s;
        QTest::newRow("locked") << QString() << true << u"12:00"_s
                                << u"Calmora (quiet while the screen is locked)"_s;
        QTest::newRow("unlocked, outside the hours")
            << u"22:00-07:00"_s << false << u"12:00"_s << u"Calmora"_s;
    }

    void quietHoursAndTheLockedScreen()
    {
        QFETCH(QString, window);
        QFETCH(bool, locked);
        QFETCH(QString, now);
        AppState::Preferences p;
        p.quietHours = !window.isEmpty();
        if (p.quietHours) {
            p.quietFrom = QTime::fromString(window.section(u'-', 0, 0), u"HH:mm"_s);
            p.quietTo = QTime::fromString(window.section(u'-', 1, 1), u"HH:mm"_s);
        }
        const Quiet quiet = quietNow(p, QTime::fromString(now, u"HH:mm"_s), locked);
        QTEST(trayTip(quiet), "tip");
        QCOMPARE(quiet.quiet, trayTip(quiet) != u"Calmora"_s);
    }
};

QTEST_GUILESS_MAIN(TestSound)
#include "tst_sound.moc"
