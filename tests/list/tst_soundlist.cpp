#include "core/appstate.h"
#include "fakes.h"
#include "list/soundlist.h"

#include <QSignalSpy>
#include <QTest>

using namespace calmora;
using namespace calmora::test;
using namespace Qt::StringLiterals;

namespace {

QStringList entries(const SoundList &list)
{
    QStringList texts;
    for (int i = 0; i < list.count(); ++i)
        texts.append(list.text(i) + (list.isTicked(i) ? u" [x]"_s : QString()));
    return texts;
}

} // namespace

class TestSoundList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addingKeepsSoundFilesSortedAndTicked_data()
    {
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<int>("fileNameCase");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("only sound files, in any case")
            << strings({"/s/tune.mp3", "/s/b.AVI", "/s/x.wave", "/s/A.wav", "/s/x.avi.txt", "/s/a.wav", "/s/c.wav"})
            << int(Qt::CaseSensitive) << strings({"/s/A.wav [x]", "/s/a.wav [x]", "/s/b.AVI [x]", "/s/c.wav [x]"});
        QTest::newRow("lower case where names ignore case")
            << strings({"/home/ann/Sounds/Boom.WAV", "/home/ann/sounds/boom.wav"}) << int(Qt::CaseInsensitive)
            << strings({"/home/ann/sounds/boom.wav [x]", "/home/ann/sounds/boom.wav [x]"});
    }

    void addingKeepsSoundFilesSortedAndTicked()
    {
        QFETCH(QStringList, paths);
        QFETCH(int, fileNameCase);
        QFETCH(QStringList, expected);
        AppState state;
        SoundList list(state, nullptr);
        QCOMPARE(list.addSoundFiles(paths, Qt::CaseSensitivity(fileNameCase)), 0);
        QCOMPARE(entries(list), expected);
        QCOMPARE(list.List2().size(), expected.size());
        QVERIFY(state.SettingsChanged);
    }

    // A view ticks through the model; List2 follows every change, removals too.
    void ticksAndRemovalsKeepList2InStep()
    {
        AppState state;
        SoundList list(state, nullptr);
        list.addSoundFiles(strings({"/s/c.wav", "/s/a.wav", "/s/b.wav"}), Qt::CaseSensitive);
        state.SettingsChanged = false;
        QSignalSpy changed(&list, &SoundList::dataChanged);
        QVERIFY(list.setData(list.index(0), Qt::Unchecked, Qt::CheckStateRole));
        QCOMPARE(list.List2(), strings({"/s/b.wav", "/s/c.wav"}));
        QVERIFY(state.SettingsChanged);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(list.data(list.index(0), Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);
        list.removeAt(1);
        QCOMPARE(list.List2(), strings({"/s/c.wav"}));
        list.clear();
        QVERIFY(list.List2().isEmpty());
        QCOMPARE(list.rowCount(), 0);
    }

    void fullListTakesTheFirstAndCountsTheRest()
    {
        AppState state;
        SoundList list(state, nullptr);
        {
            SoundList::Batch batch(list);
            for (int i = 0; i < SoundList::kMaxEntries - 1; ++i)
                list.addEntry(u"/s/%1.wav"_s.arg(i, 5, 10, QLatin1Char('0')), false);
        }
        QCOMPARE(list.addSoundFiles(strings({"/t/b.wav", "/t/a.wav", "/t/c.wav"}), Qt::CaseSensitive), 2);
        QCOMPARE(list.count(), SoundList::kMaxEntries);
        QCOMPARE(list.List2(), strings({"/t/b.wav"}));
        QCOMPARE(list.addEntry(u"/t/d.wav"_s, true), -1);
        QVERIFY(SoundList::listFullMessage(2).contains(u"2 files were not added"_s));
    }
};

QTEST_GUILESS_MAIN(TestSoundList)
#include "tst_soundlist.moc"
