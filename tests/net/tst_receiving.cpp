#include "app/appstate.h"
#include "app/frmmain.h"
#include "fakes.h"
#include "net/frmreceive.h"
#include "net/messagefile.h"
#include "net/network.h"
#include "net/receiver.h"
#include "netfakes.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

#include <sys/stat.h>

using namespace calmora;
using namespace calmora::test;

namespace {

// Every entry, whatever it is: links (even dangling ones), pipes, folders.
QStringList entriesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

// Puts what the recipe says in folder: "name" (a sound), "name=text" (a message
// record), "name/" (a folder), "name|" (a pipe), "name->target" (a link),
// "name@size" (a sparse file).
void build(const QString &folder, const QString &recipe)
{
    const auto path = [&](const QString &name) -> QString { return folder + QLatin1Char('/') + name; };
    if (const qsizetype arrow = recipe.indexOf(QLatin1String("->")); arrow > 0) {
        QVERIFY(QFile::link(recipe.mid(arrow + 2), path(recipe.left(arrow))));
    } else if (recipe.endsWith(QLatin1Char('/'))) {
        QVERIFY(QDir(folder).mkdir(recipe.chopped(1)));
    } else if (recipe.endsWith(QLatin1Char('|'))) {
        QVERIFY(::mkfifo(QFile::encodeName(path(recipe.chopped(1))).constData(), 0600) == 0);
    } else if (const qsizetype at = recipe.indexOf(QLatin1Char('@')); at > 0) {
        QFile sparse(path(recipe.left(at)));
        QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.resize(recipe.mid(at + 1).toLongLong()));
    } else if (const qsizetype eq = recipe.indexOf(QLatin1Char('=')); eq > 0) {
        put(path(recipe.left(eq)), messageRecord(recipe.mid(eq + 1)));
    } else {
        put(path(recipe), "RIFF:" + recipe.toUtf8());
    }
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
    Receiver receiver;
    int rest = 0; // how often the rest of a tick ran

    explicit Fixture(std::shared_ptr<FileSystem> other = nullptr)
        : receiver(state, player, dialogs, picNet, &window, other ? std::move(other) : files)
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
        QVERIFY(picNetDuringPlay); // played to its end, with the indicator on
        QVERIFY(!f.picNet->isHidden());
        QCOMPARE(shownWhenTheTickWentOn, QStringLiteral("hello,\nbob"));
        QVERIFY(filesIn(f.share).isEmpty());
        QVERIFY(filesIn(f.local).isEmpty()); // the copy played is gone too

        // One sound a tick, names differing only in case too; the open window
        // keeps its text and the new text waits.
        f.drop("bob.wav", "two");
        f.drop("BOB.WAV", "two");
        f.drop("bob.txt", messageRecord(QStringLiteral("second")));
        f.tick();
        QCOMPARE(filesIn(f.share).size(), 2);
        f.tick();
        QCOMPARE(f.player.played, (QList<QByteArray>{"RIFF-sound", "two", "two"}));
        QCOMPARE(f.shown(), QStringLiteral("hello,\nbob"));
        QCOMPARE(filesIn(f.share), QStringList{QStringLiteral("bob.txt")});

        // OK hides the indicator and closes the window.
        frmReceive *window = f.receiver.messageWindow();
        QVERIFY(window->isVisible());
        window->findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
        QVERIFY(f.picNet->isHidden());
        QTRY_VERIFY(!f.receiver.messageWindow());
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

    // What this computer takes from the shared folder in two ticks, including
    // what another program (or a hostile peer) may leave there.
    void whatTwoTicksTake_data()
    {
        QTest::addColumn<QStringList>("recipes");
        QTest::addColumn<bool>("soundsOff");
        QTest::addColumn<int>("played");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("messages");
        const QString none = QStringLiteral("<none>");
        const QString outside = QStringLiteral("../outside.wav");
        const QString longName = QString(251, QLatin1Char('b')) + QStringLiteral(".wav");
        QTest::newRow("someone else's message") << strings({"ann.wav", "ann.txt=hi"}) << false << 0
                                                << strings({"ann.txt", "ann.wav"}) << none << 0;
        QTest::newRow("text alone waits for a sound")
            << strings({"bob.txt=hi"}) << false << 0 << strings({"bob.txt"}) << none << 0;
        QTest::newRow("sounds off: text shown, sound kept")
            << strings({"bob.wav", "bob.txt=hi"}) << true << 0 << strings({"bob.wav"}) << QStringLiteral("hi")
            << 0;
        // Links are never followed and never delete what they point to; the link itself goes.
        QTest::newRow("link to a file outside")
            << QStringList{QStringLiteral("bob.wav->") + outside} << false << 0 << QStringList() << none << 0;
        QTest::newRow("text linked outside")
            << QStringList{QStringLiteral("bob.wav"), QStringLiteral("bob.txt->") + outside} << false << 1
            << QStringList() << none << 0;
        // Names another program may leave: never taken for ours, never touched.
        QTest::newRow("names with line ends")
            << strings({"bob.wav\n", "\nbob.wav", "bob\n.wav"}) << false << 0
            << strings({"\nbob.wav", "bob\n.wav", "bob.wav\n"}) << none << 0;
        QTest::newRow("255-byte name beside a message") << QStringList{longName, QStringLiteral("bob.wav")}
                                                        << false << 1 << QStringList{longName} << none << 0;
        // Entries that are no files are left alone, silently, tick after tick.
        QTest::newRow("pipe named like the sound") << strings({"bob.wav|", "bob.txt=hi"}) << false << 0
                                                   << strings({"bob.txt", "bob.wav"}) << none << 0;
        QTest::newRow("folder named like the sound") << strings({"bob.wav/", "bob.txt=hi"}) << false << 0
                                                     << strings({"bob.txt", "bob.wav"}) << none << 0;
        QTest::newRow("folder named like the text")
            << strings({"bob.wav", "bob.txt/"}) << false << 1 << strings({"bob.txt"}) << none << 0;
        // Files too big or not text: bounded reads, one clear message at most.
        QTest::newRow("2 GB sound") << strings({"bob.wav@2147483648", "bob.txt=hi"}) << false << 0
                                    << strings({"bob.txt", "bob.wav"}) << none << 1;
        QTest::newRow("2 GB text") << strings({"bob.wav", "bob.txt@2147483648"}) << false << 1
                                   << QStringList() << QStringLiteral("*") << 0;
    }

    void whatTwoTicksTake()
    {
        QFETCH(QStringList, recipes);
        QFETCH(QString, shown);
        QFETCH(QStringList, left);
        Fixture f;
        QFETCH(bool, soundsOff);
        f.state.SoundsDisabled = soundsOff;
        put(f.dir.filePath(QStringLiteral("outside.wav")), "keep me");
        for (const QString &recipe : std::as_const(recipes))
            build(f.share, recipe);
        f.tick();
        QTRY_COMPARE(f.rest, 1);
        QCOMPARE(!f.picNet->isHidden(), !f.player.played.isEmpty());
        f.tick();
        QTRY_COMPARE(f.rest, 2);
        QTEST(int(f.player.played.size()), "played");
        QStringList entries = entriesIn(f.share);
        entries.sort();
        left.sort();
        QCOMPARE(entries, left);
        if (shown == QLatin1String("*"))
            QVERIFY(f.shown() != QLatin1String("<none>"));
        else
            QCOMPARE(f.shown(), shown);
        QTEST(int(f.dialogs.messages.size()), "messages");
        QCOMPARE(entriesIn(f.dir.path()), strings({"local", "outside.wav", "share"}));
        QVERIFY(filesIn(f.local).isEmpty());
        QCOMPARE(contents(f.dir.filePath(QStringLiteral("outside.wav"))), QByteArray("keep me"));
    }

    // The shared folder goes away at each operation of a receive step in turn.
    void aFolderLostMidReceiveIsSurvived_data()
    {
        QTest::addColumn<int>("fault");
        QTest::newRow("operation fails") << int(FaultyFileSystem::Fault::Fail);
        QTest::newRow("folder deleted") << int(FaultyFileSystem::Fault::Vanish);
        QTest::newRow("copy stops halfway") << int(FaultyFileSystem::Fault::HalfWrite);
    }

    void aFolderLostMidReceiveIsSurvived()
    {
        QFETCH(int, fault);
        for (int at = 1;; ++at) {
            auto files = std::make_shared<FaultyFileSystem>();
            Fixture f(files);
            files->arm(f.share, FaultyFileSystem::Fault(fault), at);
            f.drop("bob.wav", "one");
            f.drop("bob.txt", messageRecord(QStringLiteral("one")));
            f.tick();
            QTRY_COMPARE(f.rest, 1);
            const QByteArray context = "fault at operation " + QByteArray::number(at);
            // Nothing half received is played.
            QVERIFY2(f.player.played.isEmpty() || f.player.played == QList<QByteArray>{"one"},
                     context.constData());
            // The window reports what it could not read or delete; nothing else is reported.
            QVERIFY2(f.dialogs.messages.size() <= (f.receiver.messageWindow() ? 1 : 0),
                     qPrintable(f.dialogs.messages.join(QLatin1Char('|'))));
            QVERIFY2(filesIn(f.local).isEmpty(), context.constData());
            if (!files->struck())
                break;

            // The folder is back: the next tick receives as usual.
            delete f.receiver.messageWindow();
            QDir().mkpath(f.share);
            f.drop("bob.wav", "two");
            f.drop("bob.txt", messageRecord(QStringLiteral("two")));
            f.tick();
            QTRY_COMPARE(f.rest, 2);
            QVERIFY2(f.player.played.endsWith("two"), context.constData());
            QCOMPARE(f.shown(), QStringLiteral("two"));
            QVERIFY2(filesIn(f.share).isEmpty(), context.constData());
        }
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
    }

    void tickPlaysTheMessageBeforeARandomSoundWhileReceivingIsOn()
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

        // Turned off, receiving leaves the folder alone from the next tick on.
        put(share + QStringLiteral("/bob.wav"), "RIFF");
        auto *cmdSend = w.findChild<QPushButton *>(QStringLiteral("cmdSend"));
        w.findChild<QAction *>(QStringLiteral("mnuEnableNetwork"))->trigger();
        QVERIFY(cmdSend->isEnabled());
        w.tmrMinute_Timer();
        QVERIFY(!cmdSend->isEnabled());
        QCOMPARE(rig.player.soundsPlayed().size(), 2);
        QCOMPARE(filesIn(share), QStringList{QStringLiteral("bob.wav")});
    }
};

QTEST_MAIN(TestReceiving)
#include "tst_receiving.moc"
