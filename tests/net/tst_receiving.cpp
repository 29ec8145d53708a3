#include "core/appstate.h"
#include "fakes.h"
#include "net/messagefile.h"
#include "net/receiver.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <sys/stat.h>

using namespace calmora;
using namespace calmora::test;
using namespace Qt::StringLiterals;

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
        put(path(recipe), wavFile(recipe.toUtf8()));
    }
}

// A receiver for "bob" over a temporary shared folder, driven tick by tick,
// with what the main window would show.
struct Fixture
{
    QTemporaryDir dir;
    QString share = dir.filePath(u"share"_s);
    QString local = dir.filePath(u"local"_s);
    AppState state;
    FakePlayer player;
    std::shared_ptr<BlockingFileSystem> files = std::make_shared<BlockingFileSystem>();
    Receiver receiver;
    int rest = 0;          // how often the rest of a tick ran
    bool indicator = false; // picNet
    QString shown = u"<none>"_s;
    QStringList problems;

    explicit Fixture(std::shared_ptr<FileSystem> other = nullptr)
        : receiver(state, player, other ? std::move(other) : files)
    {
        QDir().mkpath(share);
        QDir().mkpath(local);
        state.NetName = u"bob"_s;
        state.NetPath = share;
        state.NetActive = true;
        receiver.setLocalFolder(local);
        // Long enough that a local folder always answers within the tick.
        receiver.setTiming({5000, 2000});
        QObject::connect(&receiver, &Receiver::soundStarting, [this] { indicator = true; });
        QObject::connect(&receiver, &Receiver::textReceived, [this](const QString &text, const QString &problem) {
            shown = text;
            if (!problem.isEmpty())
                problems.append(problem);
            receiver.setMessageWindowOpen(true);
        });
        QObject::connect(&receiver, &Receiver::problem, [this](const QString &text) { problems.append(text); });
    }
    ~Fixture() { files->release(); }

    void tick()
    {
        indicator = false;
        receiver.receiveStep([this] { ++rest; });
    }
    void answer()
    {
        shown = u"<none>"_s;
        receiver.setMessageWindowOpen(false);
    }
    void drop(const char *name, const QByteArray &bytes) { put(share + QLatin1Char('/') + QLatin1String(name), bytes); }
};

} // namespace

class TestReceiving : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void soundPlaysThenTextIsShownThenTheTickGoesOn()
    {
        Fixture f;
        f.drop("bob.wav", wavFile("sound"));
        f.drop("bob.txt", messageRecord(u"hello,\nbob"_s));
        bool indicatorDuringPlay = false;
        f.player.duringWait = [&] { indicatorDuringPlay = f.indicator; };
        QString shownWhenTheTickWentOn;
        f.receiver.receiveStep([&] { shownWhenTheTickWentOn = f.shown; });

        QCOMPARE(f.player.bytesPlayed, QList<QByteArray>{wavFile("sound")});
        QVERIFY(indicatorDuringPlay); // played to its end, with the indicator on
        QCOMPARE(shownWhenTheTickWentOn, u"hello,\nbob"_s);
        QVERIFY(filesIn(f.share).isEmpty());
        QVERIFY(filesIn(f.local).isEmpty()); // the copy played is gone too

        // One sound a tick, names differing only in case too; the open window
        // keeps its text, is brought forward at each, and the new text waits.
        int raised = 0;
        QObject::connect(&f.receiver, &Receiver::textWaiting, [&] { ++raised; });
        f.drop("bob.wav", wavFile("two"));
        f.drop("BOB.WAV", wavFile("two"));
        f.drop("bob.txt", messageRecord(u"second"_s));
        f.tick();
        QCOMPARE(filesIn(f.share).size(), 2);
        f.tick();
        QCOMPARE(f.player.bytesPlayed, (QList<QByteArray>{wavFile("sound"), wavFile("two"), wavFile("two")}));
        QCOMPARE(f.shown, u"hello,\nbob"_s);
        QCOMPARE(raised, 2);
        QCOMPARE(filesIn(f.share), QStringList{u"bob.txt"_s});
        // Once the window is answered, the next sound brings the waiting text.
        f.answer();
        f.drop("bob.wav", wavFile("three"));
        f.tick();
        QCOMPARE(f.shown, u"second"_s);
        QVERIFY(filesIn(f.share).isEmpty());
    }

    void nothingIsTouchedThroughAName_data()
    {
        QTest::addColumn<QString>("netName");
        QTest::addColumn<bool>("folder");
        QTest::newRow("name leaving the folder") << u"../bob"_s << true;
        QTest::newRow("no shared folder") << u"bob"_s << false;
    }

    void nothingIsTouchedThroughAName()
    {
        QFETCH(QString, netName);
        QFETCH(bool, folder);
        Fixture f;
        f.state.NetName = netName;
        f.state.NetPath = folder ? f.share : QString();
        put(f.dir.filePath(u"bob.wav"_s), "outside");
        f.tick();
        QCOMPARE(f.rest, 1);
        QCOMPARE(f.files->calls(), 0);
        QVERIFY(f.player.bytesPlayed.isEmpty());
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
        QTest::addColumn<int>("problems");
        const QString none = u"<none>"_s;
        const QString outside = u"../outside.wav"_s;
        const QString longName = QString(251, QLatin1Char('b')) + u".wav"_s;
        QTest::newRow("someone else's message")
            << strings({"ann.wav", "ann.txt=hi"}) << false << 0 << strings({"ann.txt", "ann.wav"}) << none << 0;
        QTest::newRow("text alone waits for a sound")
            << strings({"bob.txt=hi"}) << false << 0 << strings({"bob.txt"}) << none << 0;
        QTest::newRow("sounds off: text shown, sound kept")
            << strings({"bob.wav", "bob.txt=hi"}) << true << 0 << strings({"bob.wav"}) << u"hi"_s << 0;
        // Links are never followed and never delete what they point to; the link itself goes.
        QTest::newRow("link to a file outside")
            << QStringList{u"bob.wav->"_s + outside} << false << 0 << QStringList() << none << 0;
        QTest::newRow("text linked outside")
            << QStringList{u"bob.wav"_s, u"bob.txt->"_s + outside} << false << 1 << QStringList() << none << 0;
        // Names another program may leave: never taken for ours, never touched.
        QTest::newRow("names with line ends") << strings({"bob.wav\n", "\nbob.wav", "bob\n.wav"}) << false << 0
                                              << strings({"\nbob.wav", "bob\n.wav", "bob.wav\n"}) << none << 0;
        QTest::newRow("255-byte name beside a message")
            << QStringList{longName, u"bob.wav"_s} << false << 1 << QStringList{longName} << none << 0;
        // Entries that are no files are left alone, silently, tick after tick.
        QTest::newRow("pipe named like the sound")
            << strings({"bob.wav|", "bob.txt=hi"}) << false << 0 << strings({"bob.txt", "bob.wav"}) << none << 0;
        QTest::newRow("folder named like the text")
            << strings({"bob.wav", "bob.txt/"}) << false << 1 << strings({"bob.txt"}) << none << 0;
        // Files too big or not text: bounded reads, one clear message at most.
        QTest::newRow("2 GB sound") << strings({"bob.wav@2147483648", "bob.txt=hi"}) << false << 0
                                    << strings({"bob.txt", "bob.wav"}) << none << 1;
        QTest::newRow("2 GB text") << strings({"bob.wav", "bob.txt@2147483648"}) << false << 1 << QStringList()
                                   << u"*"_s << 0;
    }

    void whatTwoTicksTake()
    {
        QFETCH(QStringList, recipes);
        QFETCH(QString, shown);
        QFETCH(QStringList, left);
        Fixture f;
        QFETCH(bool, soundsOff);
        f.state.SoundsDisabled = soundsOff;
        put(f.dir.filePath(u"outside.wav"_s), "keep me");
        for (const QString &recipe : std::as_const(recipes))
            build(f.share, recipe);
        f.tick();
        QTRY_COMPARE(f.rest, 1);
        QCOMPARE(f.indicator, !f.player.bytesPlayed.isEmpty());
        f.tick();
        QTRY_COMPARE(f.rest, 2);
        QTEST(int(f.player.bytesPlayed.size()), "played");
        QStringList entries = entriesIn(f.share);
        entries.sort();
        left.sort();
        QCOMPARE(entries, left);
        if (shown == QLatin1String("*"))
            QVERIFY(f.shown != QLatin1String("<none>"));
        else
            QCOMPARE(f.shown, shown);
        QTEST(int(f.problems.size()), "problems");
        QCOMPARE(entriesIn(f.dir.path()), strings({"local", "outside.wav", "share"}));
        QVERIFY(filesIn(f.local).isEmpty());
        QCOMPARE(contents(f.dir.filePath(u"outside.wav"_s)), QByteArray("keep me"));
    }

    // Peers that write in place: a message is taken only once it has arrived
    // whole, and nothing stays for ever. Each step changes the folder, or looks
    // ("look played-so-far files-left").
    void messagesWrittenInPlaceAreTakenWhole_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::newRow("header promising more, then complete")
            << strings({"wav 4 8", "look 0 bob.wav", "wav 8 8", "look 0 bob.wav", "look 1 -"});
        QTest::newRow("writer gave up: played as far as it goes")
            << strings({"wav 4 8", "look 0 bob.wav", "look 1 -"});
        QTest::newRow("complete at first sight") << strings({"wav 8 8", "look 1 -"});
        QTest::newRow("not a WAV: size and time decide") << strings({"raw 9", "look 0 bob.wav", "look 1 -"});
        QTest::newRow("text still growing")
            << strings({"wav 4 8", "txt he", "look 0 bob.txt,bob.wav", "wav 8 8", "txt hello", "look 0 bob.txt,bob.wav",
                        "look 1 -"});
    }

    void messagesWrittenInPlaceAreTakenWhole()
    {
        QFETCH(QStringList, steps);
        Fixture f;
        int looks = 0;
        QByteArray sound;
        for (const QString &step : std::as_const(steps)) {
            const QStringList word = step.split(u' ');
            if (word[0] == u"wav"_s)
                f.drop("bob.wav", sound = wavFile(QByteArray(word[1].toInt(), 'w'), word[2].toInt()));
            else if (word[0] == u"raw"_s)
                f.drop("bob.wav", sound = QByteArray(word[1].toInt(), 'r'));
            else if (word[0] == u"txt"_s)
                f.drop("bob.txt", messageRecord(word[1]));
            if (word[0] != u"look"_s)
                continue;
            f.tick();
            QTRY_COMPARE(f.rest, looks + 1);
            ++looks;
            QCOMPARE(int(f.player.bytesPlayed.size()), word[1].toInt());
            QCOMPARE(filesIn(f.share).join(u','), word[2] == u"-"_s ? QString() : word[2]);
        }
        // What was played is all the file held, and the text came whole.
        QCOMPARE(f.player.bytesPlayed.constLast(), sound);
        if (steps.contains(u"txt hello"_s))
            QCOMPARE(f.shown, u"hello"_s);
    }

    void aLinkSwappedInAfterTheLookIsNeverFollowed()
    {
        // Between looking at bob.wav and copying it, it becomes a link to a file outside.
        struct Swapping final : InterceptedFileSystem
        {
            QString outside;
            bool interrupt(const QString &path, std::error_code &, const QString &target, const QByteArray &) override
            {
                if (!target.isEmpty() && path.endsWith(u"/bob.wav"_s)) {
                    QFile::remove(path);
                    QFile::link(outside, path);
                }
                return false;
            }
        };
        auto files = std::make_shared<Swapping>();
        Fixture f(files);
        files->outside = f.dir.filePath(u"outside.wav"_s);
        put(files->outside, wavFile("secret"));
        f.drop("bob.wav", wavFile("sound"));
        f.tick();
        QTRY_COMPARE(f.rest, 1);
        f.tick();
        QTRY_COMPARE(f.rest, 2);
        QVERIFY(f.player.bytesPlayed.isEmpty());
        QVERIFY(filesIn(f.share).isEmpty()); // the link is gone, not what it pointed to
        QCOMPARE(contents(files->outside), wavFile("secret"));
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
            QTemporaryDir dir;
            const QString share = dir.filePath(u"share"_s);
            auto files = std::make_shared<FaultyFileSystem>(share, FaultyFileSystem::Fault(fault), at);
            Fixture f(files);
            f.state.NetPath = share;
            QDir().mkpath(share);
            put(share + u"/bob.wav"_s, wavFile("one"));
            put(share + u"/bob.txt"_s, messageRecord(u"one"_s));
            f.tick();
            QTRY_COMPARE(f.rest, 1);
            const QByteArray context = "fault at operation " + QByteArray::number(at);
            // Nothing half received is played.
            QVERIFY2(f.player.bytesPlayed.isEmpty() || f.player.bytesPlayed == QList<QByteArray>{wavFile("one")},
                     context.constData());
            // Only a text that could not be read or deleted is reported, in its window.
            QVERIFY2(f.problems.isEmpty() || (f.problems.size() == 1 && f.shown != u"<none>"_s),
                     qPrintable(f.problems.join(u'|')));
            QVERIFY2(filesIn(f.local).isEmpty(), context.constData());
            if (!files->struck())
                break;

            // The folder is back: the next tick receives as usual.
            f.answer();
            QDir().mkpath(share);
            put(share + u"/bob.wav"_s, wavFile("two"));
            put(share + u"/bob.txt"_s, messageRecord(u"two"_s));
            // A file replaced since the last look may still be being written: it
            // is taken at the next look at the latest.
            f.tick();
            QTRY_COMPARE(f.rest, 2);
            f.tick();
            QTRY_COMPARE(f.rest, 3);
            QVERIFY2(f.player.bytesPlayed.endsWith(wavFile("two")), context.constData());
            QCOMPARE(f.shown, u"two"_s);
            QVERIFY2(filesIn(share).isEmpty(), context.constData());
        }
    }

    void hangingShareNeverHoldsUpTheTicks()
    {
        Fixture f;
        f.receiver.setTiming({10, 50});
        f.drop("bob.wav", wavFile("late"));
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
        QVERIFY(f.player.bytesPlayed.isEmpty());

        // Once the share answers, the message is handled as usual.
        f.files->release();
        QTRY_COMPARE(f.player.bytesPlayed, QList<QByteArray>{wavFile("late")});
        QTRY_VERIFY(!f.receiver.busy());
        QVERIFY(filesIn(f.share).isEmpty());
        QCOMPARE(f.rest, 3);
    }

    void anAnswerDuringAnotherSoundWaitsForItsEnd()
    {
        Fixture f;
        f.receiver.setTiming({10, 2000});
        f.drop("bob.wav", wavFile("received"));
        f.files->hold();
        f.tick();
        int playedMeanwhile = -1;
        f.player.duringWait = [&] {
            f.files->release();
            QTest::qWait(200);
            playedMeanwhile = int(f.player.bytesPlayed.size());
        };
        put(f.dir.filePath(u"farewell.wav"_s), "farewell");
        f.player.setFileName(f.dir.filePath(u"farewell.wav"_s));
        f.player.setWait(true);
        f.player.command(u"sound"_s);
        f.player.duringWait = nullptr;
        QCOMPARE(playedMeanwhile, 1);
        QTRY_COMPARE(f.player.bytesPlayed, (QList<QByteArray>{"farewell", wavFile("received")}));
        QTRY_COMPARE(f.rest, 1);
    }
};

QTEST_GUILESS_MAIN(TestReceiving)
#include "tst_receiving.moc"
