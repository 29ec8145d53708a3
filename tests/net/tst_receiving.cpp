#include "app/appstate.h"
#include "app/frmmain.h"
#include "fakes.h"
#include "list/soundlist.h"
#include "net/dropfolder.h"
#include "net/frmreceive.h"
#include "net/messagefile.h"
#include "net/network.h"
#include "net/receiver.h"
#include "netfakes.h"
#include "sound/scheduler.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

using namespace calmora;
using namespace calmora::test;

namespace {

void put(const QString &file, const QByteArray &bytes)
{
    QFile f(file);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// A receiver for "bob" over a temporary shared folder, driven tick by tick.
struct Fixture
{
    QTemporaryDir dir;
    QString share = dir.filePath(QStringLiteral("share"));
    QString local = dir.filePath(QStringLiteral("local"));
    AppState state;
    RecordingPlayer player;
    FakeDialogs dialogs;
    QWidget window;
    QLabel *picNet = new QLabel(&window);
    std::shared_ptr<BlockingFileSystem> files = std::make_shared<BlockingFileSystem>();
    Receiver receiver{state, player, dialogs, picNet, &window, files};
    int rest = 0; // how often the rest of a tick ran

    Fixture()
    {
        QDir().mkpath(share);
        QDir().mkpath(local);
        state.NetName = QStringLiteral("bob");
        state.NetPath = share;
        state.NetActive = true;
        receiver.setLocalFolder(local);
        // Long enough that a local folder always answers within the tick.
        receiver.setTiming({5000, 2000});
    }
    ~Fixture()
    {
        files->release();
        delete receiver.messageWindow();
    }

    void tick()
    {
        picNet->hide();
        receiver.receiveStep([this] { ++rest; });
    }
    void drop(const char *name, const QByteArray &bytes)
    {
        put(share + QLatin1Char('/') + QLatin1String(name), bytes);
    }
    QString shown() const
    {
        return receiver.messageWindow() ? receiver.messageWindow()->text() : QStringLiteral("<none>");
    }
};

} // namespace

class TestReceiving : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void soundPlaysThenTextIsShownThenTheTickGoesOn()
    {
        Fixture f;
        f.drop("bob.wav", "RIFF-sound");
        f.drop("bob.txt", messageRecord(QStringLiteral("hello,\nbob")));
        bool picNetDuringPlay = false;
        f.player.duringWait = [&] { picNetDuringPlay = !f.picNet->isHidden(); };
        QString shownWhenTheTickWentOn;
        f.receiver.receiveStep([&] { shownWhenTheTickWentOn = f.shown(); });

        QCOMPARE(f.player.played, QList<QByteArray>{"RIFF-sound"});
        QCOMPARE(f.player.waited, QList<bool>{true});
        QVERIFY(picNetDuringPlay);
        QVERIFY(!f.picNet->isHidden());
        QCOMPARE(shownWhenTheTickWentOn, QStringLiteral("hello,\nbob"));
        QVERIFY(filesIn(f.share).isEmpty());
        QVERIFY(filesIn(f.local).isEmpty()); // the copy played is gone too

        // OK hides the indicator and closes the window.
        frmReceive *window = f.receiver.messageWindow();
        QVERIFY(window->isVisible());
        window->findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
        QVERIFY(f.picNet->isHidden());
        QTRY_VERIFY(!f.receiver.messageWindow());
    }

    void whatATickTakes_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<bool>("soundsOff");
        QTest::addColumn<int>("played");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<QString>("shown");
        const QString none = QStringLiteral("<none>");
        QTest::newRow("someone else's message")
            << strings({"ann.wav", "ann.txt"}) << false << 0 << strings({"ann.txt", "ann.wav"}) << none;
        QTest::newRow("text alone waits for a sound")
            << strings({"bob.txt"}) << false << 0 << strings({"bob.txt"}) << none;
        QTest::newRow("sound alone") << strings({"bob.wav"}) << false << 1 << QStringList() << none;
        QTest::newRow("names ignore case")
            << strings({"BOB.WAV", "Bob.Txt"}) << false << 1 << QStringList() << QStringLiteral("hi");
        QTest::newRow("sounds off: text shown, sound kept")
            << strings({"bob.wav", "bob.txt"}) << true << 0 << strings({"bob.wav"}) << QStringLiteral("hi");
        QTest::newRow("a folder named like the sound")
            << strings({"bob.wav/"}) << false << 0 << QStringList() << none;
    }

    void whatATickTakes()
    {
        QFETCH(QStringList, names);
        QFETCH(bool, soundsOff);
        Fixture f;
        f.state.SoundsDisabled = soundsOff;
        for (const QString &name : names) {
            if (name.endsWith(QLatin1Char('/')))
                QDir(f.share).mkdir(name.chopped(1));
            else
                f.drop(name.toLatin1().constData(), name.endsWith(QLatin1String("txt"), Qt::CaseInsensitive)
                                                        ? messageRecord(QStringLiteral("hi"))
                                                        : QByteArray("RIFF"));
        }
        f.tick();
        QCOMPARE(f.rest, 1);
        QTEST(int(f.player.played.size()), "played");
        QTEST(filesIn(f.share), "left");
        QTEST(f.shown(), "shown");
        QCOMPARE(!f.picNet->isHidden(), !f.player.played.isEmpty());
        QVERIFY(filesIn(f.local).isEmpty());
    }

    void openWindowKeepsItsTextAndTheNewTextWaits()
    {
        Fixture f;
        f.drop("bob.wav", "one");
        f.drop("bob.txt", messageRecord(QStringLiteral("first")));
        f.tick();
        f.drop("bob.wav", "two");
        f.drop("bob.txt", messageRecord(QStringLiteral("second")));
        f.tick();
        QCOMPARE(f.player.played, (QList<QByteArray>{"one", "two"}));
        QCOMPARE(f.shown(), QStringLiteral("first"));
        QCOMPARE(filesIn(f.share), QStringList{QStringLiteral("bob.txt")});
    }

    void namesDifferingOnlyInCaseComeOnePerTick()
    {
        Fixture f;
        f.drop("bob.wav", "lower");
        f.drop("BOB.WAV", "upper");
        f.tick();
        QCOMPARE(filesIn(f.share).size(), 1);
        f.tick();
        QCOMPARE(f.player.played.size(), 2);
        QVERIFY(filesIn(f.share).isEmpty());
    }

    void nothingIsTouchedThroughAName_data()
    {
        QTest::addColumn<QString>("netName");
        QTest::addColumn<QString>("netPath");
        QTest::newRow("name leaving the folder") << QStringLiteral("../bob") << QStringLiteral("share");
        QTest::newRow("no shared folder") << QStringLiteral("bob") << QString();
    }

    void nothingIsTouchedThroughAName()
    {
        QFETCH(QString, netName);
        QFETCH(QString, netPath);
        Fixture f;
        f.state.NetName = netName;
        f.state.NetPath = netPath.isEmpty() ? QString() : f.share;
        put(f.dir.filePath(QStringLiteral("bob.wav")), "outside");
        f.tick();
        QCOMPARE(f.rest, 1);
        QCOMPARE(f.files->calls(), 0);
        QVERIFY(f.player.played.isEmpty());
    }

    void aSoundTooLargeToBeAMessageIsLeftAlone()
    {
        Fixture f;
        QFile huge(f.share + QStringLiteral("/bob.wav"));
        QVERIFY(huge.open(QIODevice::WriteOnly));
        QVERIFY(huge.resize(kMaxSoundBytes + 1)); // sparse: costs no disk
        huge.close();
        f.tick();
        QVERIFY(f.player.played.isEmpty());
        QCOMPARE(filesIn(f.share), QStringList{QStringLiteral("bob.wav")});
    }

    void hangingShareNeverHoldsUpTheTicks()
    {
        Fixture f;
        f.receiver.setTiming({10, 50});
        f.drop("bob.wav", "late");
        f.files->hold();
        f.tick();
        QVERIFY(f.receiver.busy());
        QCOMPARE(f.rest, 0);
        // The rest of the tick does not wait for the share for ever...
        QTRY_COMPARE(f.rest, 1);
        // ...and later ticks do not pile up on it: they skip their step.
        const int calls = f.files->calls();
        f.tick();
        f.tick();
        QCOMPARE(f.rest, 3);
        QCOMPARE(f.files->calls(), calls);
        QVERIFY(f.player.played.isEmpty());

        // Once the share answers, the message is handled as usual.
        f.files->release();
        QTRY_COMPARE(f.player.played, QList<QByteArray>{"late"});
        QTRY_VERIFY(!f.receiver.busy());
        QVERIFY(filesIn(f.share).isEmpty());
        QCOMPARE(f.rest, 3);
        f.drop("bob.wav", "next");
        f.tick();
        QTRY_COMPARE(f.player.played.size(), 2);
    }

    void anAnswerDuringAnotherSoundWaitsForItsEnd()
    {
        Fixture f;
        f.receiver.setTiming({10, 2000});
        f.drop("bob.wav", "received");
        f.files->hold();
        f.tick();
        int playedMeanwhile = -1;
        f.player.duringWait = [&] {
            f.files->release();
            QTest::qWait(200);
            playedMeanwhile = int(f.player.played.size());
        };
        put(f.dir.filePath(QStringLiteral("farewell.wav")), "farewell");
        f.player.setFileName(f.dir.filePath(QStringLiteral("farewell.wav")));
        f.player.setWait(true);
        f.player.command(QStringLiteral("sound"));
        f.player.duringWait = nullptr;
        QCOMPARE(playedMeanwhile, 1);
        QTRY_COMPARE(f.player.played, (QList<QByteArray>{"farewell", "received"}));
        QTRY_COMPARE(f.rest, 1);
    }

    void readFailureIsReportedAndTheWindowStillShows()
    {
        FakeDialogs dialogs;
        QLabel picNet;
        frmReceive window(dialogs, &picNet);
        window.Form_Load({QString(), std::make_error_code(std::errc::permission_denied)}, {});
        QCOMPARE(dialogs.messages, QStringList{QStringLiteral("File Read Error: Permission denied")});
        QVERIFY(window.text().isEmpty());
        // No close box, and Escape does not answer it either.
        QVERIFY(!(window.windowFlags() & Qt::WindowCloseButtonHint));
        window.show();
        QTest::keyClick(&window, Qt::Key_Escape);
        QVERIFY(window.isVisible());
        QVERIFY(!window.close());
    }

    void tickPlaysTheMessageBeforeARandomSound()
    {
        TestRig rig;
        const QString share = rig.dir.filePath(QStringLiteral("share"));
        QDir().mkpath(share);
        rig.writeSettings("[Settings]\nNetActive=True\nNetName=bob\nNetPath=" + share.toUtf8()
                          + "\n[WAV%20Files]\nNumWavs=1\nwav0=\"/s/random.wav,True\"\n");
        frmMain w(rig.services());
        w.Form_Load();
        w.network().receiver().setTiming({5000, 2000});
        // Five quiet ticks bring the first random sound due.
        for (int i = 0; i < 5; ++i)
            w.tmrMinute_Timer();
        QVERIFY(rig.player.soundsPlayed().isEmpty());
        put(share + QStringLiteral("/bob.wav"), "RIFF");
        w.tmrMinute_Timer();
        const QStringList sounds = rig.player.soundsPlayed();
        QCOMPARE(sounds.size(), 2);
        QVERIFY(sounds.at(0).contains(QLatin1String("calmora-received-")));
        QCOMPARE(sounds.at(1), QStringLiteral("/s/random.wav"));
        QVERIFY(filesIn(share).isEmpty());
        QVERIFY(w.findChild<QLabel *>(QStringLiteral("picNet"))->isVisible());
        w.tmrMinute_Timer();
        QVERIFY(!w.findChild<QLabel *>(QStringLiteral("picNet"))->isVisible());
    }

    void receivingOffTouchesNothing()
    {
        TestRig rig;
        const QString share = rig.dir.filePath(QStringLiteral("share"));
        QDir().mkpath(share);
        rig.writeSettings("[Settings]\nNetActive=True\nNetName=bob\nNetPath=" + share.toUtf8() + "\n");
        frmMain w(rig.services());
        w.Form_Load();
        put(share + QStringLiteral("/bob.wav"), "RIFF");
        w.findChild<QAction *>(QStringLiteral("mnuEnableNetwork"))->trigger();
        QVERIFY(w.findChild<QPushButton *>(QStringLiteral("cmdSend"))->isEnabled());
        w.tmrMinute_Timer();
        QVERIFY(!w.findChild<QPushButton *>(QStringLiteral("cmdSend"))->isEnabled());
        QVERIFY(rig.player.soundsPlayed().isEmpty());
        QCOMPARE(filesIn(share), QStringList{QStringLiteral("bob.wav")});
    }
};

QTEST_MAIN(TestReceiving)
#include "tst_receiving.moc"
