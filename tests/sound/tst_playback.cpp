#include "app/frmmain.h"
#include "fakes.h"
#include "list/soundlist.h"

#include <QAction>
#include <QListWidget>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

using namespace calmora;
using namespace calmora::test;
using namespace Qt::StringLiterals;

class TestPlayback : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void playHandsTheHighlightedEntryToThePlayer_data()
    {
        QTest::addColumn<QString>("entry"); // "" for no highlighted entry
        QTest::addColumn<bool>("fromMenu");
        QTest::addColumn<QStringList>("expected");
        const auto sound = [](const QString &name) {
            return QStringList{u"wait off"_s, u"device WaveAudio"_s, u"file "_s + name, u"command sound"_s};
        };
        const auto video = [](const QString &name) {
            return QStringList{u"wait off"_s, u"device AVIVideo"_s, u"file "_s + name, u"command open"_s,
                               u"command play"_s};
        };
        QTest::newRow(".AVI in capitals is a video") << u"/v/Clip.AVI"_s << false << video(u"/v/Clip.AVI"_s);
        QTest::newRow(".avi from the menu") << u"/v/clip.avi"_s << true << video(u"/v/clip.avi"_s);
        QTest::newRow(".avi.txt is a sound") << u"/v/clip.avi.txt"_s << false << sound(u"/v/clip.avi.txt"_s);
        QTest::newRow(".wav unticked") << u"/s/boom.wav"_s << true << sound(u"/s/boom.wav"_s);
        QTest::newRow("no highlight plays nothing") << QString() << false << sound(QString());
    }

    void playHandsTheHighlightedEntryToThePlayer()
    {
        QFETCH(QString, entry);
        QFETCH(bool, fromMenu);
        QFETCH(QStringList, expected);
        TestRig rig;
        frmMain w(rig.services());
        w.soundList().addEntry(u"/s/other.wav"_s, true);
        if (!entry.isEmpty()) {
            const int row = w.soundList().addEntry(entry, false);
            w.soundList().List1()->setCurrentRow(row);
        }
        rig.player.log.clear();
        if (fromMenu)
            w.findChild<QAction *>(u"mnuPlay"_s)->trigger();
        else
            w.findChild<QPushButton *>(u"cmdPlay"_s)->click();
        QCOMPARE(rig.player.log, expected);
    }
};

QTEST_MAIN(TestPlayback)
#include "tst_playback.moc"
