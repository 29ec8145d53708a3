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
            return QStringList{QStringLiteral("wait off"), QStringLiteral("device WaveAudio"),
                               QStringLiteral("file ") + name, QStringLiteral("command sound")};
        };
        const auto video = [](const QString &name) {
            return QStringList{QStringLiteral("wait off"), QStringLiteral("device AVIVideo"),
                               QStringLiteral("file ") + name, QStringLiteral("command open"),
                               QStringLiteral("command play")};
        };
        QTest::newRow(".AVI in capitals is a video")
            << QStringLiteral("/v/Clip.AVI") << false << video(QStringLiteral("/v/Clip.AVI"));
        QTest::newRow(".avi from the menu")
            << QStringLiteral("/v/clip.avi") << true << video(QStringLiteral("/v/clip.avi"));
        QTest::newRow(".avi.txt is a sound")
            << QStringLiteral("/v/clip.avi.txt") << false << sound(QStringLiteral("/v/clip.avi.txt"));
        QTest::newRow(".wav unticked")
            << QStringLiteral("/s/boom.wav") << true << sound(QStringLiteral("/s/boom.wav"));
        QTest::newRow("no highlight plays nothing") << QString() << false << sound(QString());
    }

    void playHandsTheHighlightedEntryToThePlayer()
    {
        QFETCH(QString, entry);
        QFETCH(bool, fromMenu);
        QFETCH(QStringList, expected);
        TestRig rig;
        frmMain w(rig.services());
        w.soundList().addEntry(QStringLiteral("/s/other.wav"), true);
        if (!entry.isEmpty()) {
            const int row = w.soundList().addEntry(entry, false);
            w.soundList().List1()->setCurrentRow(row);
        }
        rig.player.log.clear();
        if (fromMenu)
            w.findChild<QAction *>(QStringLiteral("mnuPlay"))->trigger();
        else
            w.findChild<QPushButton *>(QStringLiteral("cmdPlay"))->click();
        QCOMPARE(rig.player.log, expected);
    }
};

QTEST_MAIN(TestPlayback)
#include "tst_playback.moc"
