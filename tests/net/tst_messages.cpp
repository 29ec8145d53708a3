// Messages through the shared folder: the text file's bytes, sending a
// sound and a text to each recipient, from the window or the command line,
// and taking what comes for this computer.

#include "app/commandline.h"
#include "core/appstate.h"
#include "fakes.h"
#include "net/messagefile.h"
#include "net/receiver.h"
#include "net/sender.h"

#include <QTextStream>

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

// A temporary shared folder, with a receiver for "bob" driven tick by tick and
// what the main window would show, and a sound to send.
struct Share
{
    QTemporaryDir dir;
    QString share = dir.filePath(u"share"_s);
    QString local = dir.filePath(u"local"_s);
    AppState state;
    FakePlayer player;
    std::shared_ptr<ShareFileSystem> files;
    Receiver receiver;
    int rest = 0;           // how often the rest of a tick ran
    bool indicator = false; // picNet
    QString shown = u"<none>"_s;
    QStringList problems;
    QString sound = dir.filePath(u"boing.WAV"_s);
    QByteArray soundBytes = QByteArray("RIFF") + QByteArray(5000, '\x7f');

    explicit Share(ShareFileSystem::Fault fault = {}, int at = 0)
        : files(std::make_shared<ShareFileSystem>(share, fault, at)), receiver(state, player, files)
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
        QObject::connect(&receiver, &Receiver::textReceived,
                         [this](const QString &text, const QString &problem) {
                             shown = text;
                             if (!problem.isEmpty())
                                 problems.append(problem);
                             receiver.setMessageWindowOpen(true);
                         });
        QObject::connect(&receiver, &Receiver::problem,
                         [this](const QString &text) { problems.append(text); });
    }
    ~Share() { files->release(); }

    void tick()
    {
        indicator = false;
        receiver.receiveStep([this] { ++rest; });
    }
    // A tick, once the rest of it has run.
    void look()
    {
        const int before = rest;
        tick();
        QTRY_COMPARE(rest, before + 1);
    }
    void answer()
    {
        shown = u"<none>"_s;
        receiver.setMessageWindowOpen(false);
    }
    void drop(const char *name, const QByteArray &b) { put(inShare(QLatin1String(name)), b); }
    QString inShare(const QString &name) const { return share + u'/' + name; }
    SendRequest request(const QStringList &recipients, const QString &message = u"hi, there\nsecond line"_s)
    {
        put(sound, soundBytes);
        return {sound, message, share, recipients};
    }
};

} // namespace

class TestMessages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // What the program writes, byte for byte, and what it reads back; a null
    // message stands for a file written by hand.
    void writesTheRecordByteForByteAndReadsItBack_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("readBack");
        QTest::newRow("abc") << u"abc"_s << QByteArray("\x22\x61\x62\x63\x22\x0D\x0A") << u"abc"_s;
        QTest::newRow("typed CR LF stays one line end")
            << u"one\r\ntwo"_s << QByteArray("\"one\r\ntwo\"\r\n") << u"one\ntwo"_s;
        // Nothing is escaped, so a quote inside the text ends the item.
        QTest::newRow("comma and quote unchanged")
            << u"hi, \"you\""_s << QByteArray("\"hi, \"you\"\"\r\n") << u"hi, "_s;
        QTest::newRow("euro and e-acute in the code page")
            << u"5 \u20AC caf\u00E9"_s << QByteArray("\"5 \x80 caf\xE9\"\r\n") << u"5 \u20AC caf\u00E9"_s;
        QTest::newRow("outside the code page")
            << u"\u0101 \U0001F600 \u4E2D"_s << QByteArray("\"? ? ?\"\r\n") << u"? ? ?"_s;
        QTest::newRow("empty file") << QString() << QByteArray() << QString();
        QTest::newRow("last item wins")
            << QString() << QByteArray("\"first\"\r\n\"second\"\r\n") << u"second"_s;
        QTest::newRow("text after closing quote skipped")
            << QString() << QByteArray("\"kept\" lost\r\n") << u"kept"_s;
        QTest::newRow("bare LF and CR end lines") << QString() << QByteArray("a\nb\rc") << u"c"_s;
        QTest::newRow("unterminated quote runs to the end")
            << QString() << QByteArray("\"open, ended\r\n") << u"open, ended\n"_s;
    }

    void writesTheRecordByteForByteAndReadsItBack()
    {
        QFETCH(QString, message);
        Share f;
        const QString file = f.inShare(u"bob.txt"_s);
        QFETCH(QByteArray, bytes);
        put(file, message.isNull() ? bytes : QByteArray(1000, 'z')); // replaced whole, no temporary left
        if (!message.isNull())
            QVERIFY(!Write_Message(*f.files, file, message));
        QCOMPARE(contents(file), bytes);
        QCOMPARE(filesIn(f.share), QStringList{u"bob.txt"_s});
        const MessageRead read = Read_Message(*f.files, file);
        QVERIFY(!read.error);
        QTEST(read.text, "readBack");
    }

    void sendingWritesWhatItCanAndReportsTheRest_data()
    {
        QTest::addColumn<QStringList>("recipients");
        QTest::addColumn<bool>("noSound");
        QTest::addColumn<bool>("noShare");
        QTest::addColumn<QStringList>("failures");
        QTest::addColumn<QStringList>("written");
        // One report for each recipient that did not get the whole message, naming them.
        const QString badName = u"Error Sending: \"../escape\" cannot be used as a computer name. A name may "
                                "not contain \"..\", any of / \\ : * ? \" < > | or control characters."_s;
        QTest::newRow("two recipients") << strings({"ann", "Bob"}) << false << false << QStringList()
                                        << strings({"Bob.txt", "Bob.wav", "ann.txt", "ann.wav"});
        QTest::newRow("no sound highlighted: texts still go")
            << strings({"ann", "bob"}) << true << false
            << strings({"Error Sending: ann: No such file or directory",
                        "Error Sending: bob: No such file or directory"})
            << strings({"ann.txt", "bob.txt"});
        QTest::newRow("name that leaves the folder writes nothing")
            << strings({"../escape", "bob"}) << false << false << QStringList{badName}
            << strings({"bob.txt", "bob.wav"});
        // 200 characters are allowed, but not 400 bytes in one file name.
        QTest::newRow("name too long for the file system")
            << QStringList{QString(200, QChar(0xE9))} << false << false
            << QStringList{u"Error Sending: "_s + QString(200, QChar(0xE9)) + u": File name too long"_s}
            << QStringList();
        QTest::newRow("no shared folder")
            << strings({"ann"}) << false << true
            << strings({"Error Sending: ann: No shared network path is set."}) << QStringList();
    }

    void sendingWritesWhatItCanAndReportsTheRest()
    {
        QFETCH(QStringList, recipients);
        QFETCH(bool, noSound);
        QFETCH(bool, noShare);
        Share f;
        SendRequest request = f.request(recipients);
        if (noSound)
            request.soundFile.clear();
        if (noShare)
            request.folder.clear();
        QTEST(sendMessage(*f.files, request), "failures");
        QTEST(filesIn(f.share), "written");
        for (const QString &name : filesIn(f.share)) {
            const QByteArray expected =
                name.endsWith(u".wav"_s) ? f.soundBytes : messageRecord(request.message);
            QCOMPARE(contents(f.inShare(name)), expected);
        }
        QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files), QStringList{u"boing.WAV"_s});
    }

    // Statuses: 0 done, 1 not sent, 2 a wrong command line, -1 not a command
    // line (the window opens). Only failures speak, in one line on standard
    // error; help and version go to standard output.
    void commandLineSendsThroughTheStoredFolder_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out"); // "*": the usage and more
        QTest::addColumn<QString>("err");
        QTest::addColumn<QStringList>("written");
        const QString usage = usageLine() + u'\n';
        QTest::newRow("sound and text") << strings({"--send", "Bob", "SOUND", "--text", "hi"}) << 0
                                        << QString() << QString() << strings({"Bob.txt", "Bob.wav"});
        QTest::newRow("no such sound")
            << strings({"--send", "bob", "MISSING"}) << 1 << QString()
            << u"calmora: Error Sending: bob: No such file or directory\n"_s << QStringList();
        QTest::newRow("unknown option")
            << strings({"--frobnicate"}) << 2 << QString()
            << u"calmora: unknown option '--frobnicate'\n"_s + usage << QStringList();
        QTest::newRow("--send short of its file")
            << strings({"--send", "bob"}) << 2 << QString()
            << u"calmora: --send takes a name and a file, once\n"_s + usage << QStringList();
        QTest::newRow("version") << strings({"--version"}) << 0 << u"Calmora 2.1.2\n"_s << QString()
                                 << QStringList();
        QTest::newRow("help") << strings({"--help"}) << 0 << u"*"_s << QString() << QStringList();
        QTest::newRow("none") << QStringList() << -1 << QString() << QString() << QStringList();
        QTest::newRow("Qt's own") << strings({"-platform", "xcb"}) << -1 << QString() << QString()
                                  << QStringList();
    }

    void commandLineSendsThroughTheStoredFolder()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, out);
        QCOMPARE(isCommandLine(arguments), status >= 0);
        if (status < 0)
            return;
        Share f;
        put(f.sound, f.soundBytes);
        put(f.dir.filePath(u"settings.ini"_s), "[Settings]\nNetPath=" + f.share.toUtf8() + "\n");
        SettingsStore store(f.dir.filePath(u"settings.ini"_s));
        arguments.replaceInStrings(u"SOUND"_s, f.sound);
        arguments.replaceInStrings(u"MISSING"_s, f.dir.filePath(u"missing.wav"_s));
        QString printed, complained;
        QTextStream outStream(&printed), errStream(&complained);
        QCOMPARE(runCommandLine(parseCommandLine(arguments), store, *f.files, outStream, errStream), status);
        outStream.flush();
        errStream.flush();
        QVERIFY2(out == u"*"_s ? printed.startsWith(usageLine()) : printed == out, qPrintable(printed));
        QTEST(complained, "err");
        // The same files as the send dialog writes.
        QTEST(filesIn(f.share), "written");
        for (const QString &name : filesIn(f.share))
            QCOMPARE(contents(f.inShare(name)),
                     name.endsWith(u".wav"_s) ? f.soundBytes : messageRecord(u"hi"_s));
    }

    // The shared folder goes away at each operation of a send in turn.
    void aFolderLostMidSendLeavesNoPartOfAMessage_data()
    {
        QTest::addColumn<int>("fault");
        QTest::newRow("operation fails") << int(ShareFileSystem::Fault::Fail);
        QTest::newRow("folder deleted") << int(ShareFileSystem::Fault::Vanish);
        QTest::newRow("write or copy stops halfway") << int(ShareFileSystem::Fault::HalfWrite);
    }

    void aFolderLostMidSendLeavesNoPartOfAMessage()
    {
        QFETCH(int, fault);
        Share f;
        const SendRequest request = f.request({u"ann"_s}, u"hi"_s);
        for (int at = 1;; ++at) {
            QDir().mkpath(f.share);
            ShareFileSystem files(f.share, ShareFileSystem::Fault(fault), at);
            const QStringList failures = sendMessage(files, request);
            // Each file is there whole or not at all, and nothing else is.
            const QStringList left = filesIn(f.share);
            for (const QString &name : left)
                QVERIFY2(name == u"ann.txt"_s || name == u"ann.wav"_s, qPrintable(name));
            if (left.contains(u"ann.wav"_s))
                QCOMPARE(contents(f.inShare(u"ann.wav"_s)), f.soundBytes);
            if (left.contains(u"ann.txt"_s))
                QCOMPARE(contents(f.inShare(u"ann.txt"_s)), messageRecord(request.message));
            if (!files.struck) {
                // Once the folder stays, the message goes whole.
                QVERIFY(failures.isEmpty());
                QCOMPARE(left, strings({"ann.txt", "ann.wav"}));
                break;
            }
            QVERIFY2(failures.size() == 1, qPrintable(failures.join(QLatin1Char('|'))));
            QDir(f.share).removeRecursively();
        }
    }

    // A hanging share delays only the message; an empty text keeps an older one.
    void emptyTextOverAHangingShare()
    {
        Share f;
        f.files->hold();
        Sender sender(f.files);
        QSignalSpy sent(&sender, &Sender::sent);
        put(f.inShare(u"ann.txt"_s), "\"earlier\"\r\n");
        sender.send(f.request({u"ann"_s}, QString()));
        QVERIFY(sender.busy());
        QCOMPARE(filesIn(f.share), strings({"ann.txt"}));
        f.files->release();
        QTRY_COMPARE(sent.count(), 1);
        QVERIFY(!sender.busy());
        QVERIFY(sent.at(0).at(0).toStringList().isEmpty());
        QCOMPARE(filesIn(f.share), strings({"ann.txt", "ann.wav"}));
        QCOMPARE(contents(f.inShare(u"ann.txt"_s)), QByteArray("\"earlier\"\r\n"));
    }

    void soundPlaysThenTextIsShownThenTheTickGoesOn()
    {
        Share f;
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

    // What this computer takes from the shared folder in two ticks, including
    // what another program (or a hostile peer) may leave there.
    void whatTwoTicksTake_data()
    {
        QTest::addColumn<QStringList>("recipes");
        QTest::addColumn<bool>("soundsOff");
        QTest::addColumn<int>("played");
        QTest::addColumn<QStringList>("left"); // sorted
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("problems");
        const QString none = u"<none>"_s;
        const QString outside = u"../outside.wav"_s;
        const QString longName = QString(251, QLatin1Char('b')) + u".wav"_s;
        QTest::newRow("someone else's message") << strings({"ann.wav", "ann.txt=hi"}) << false << 0
                                                << strings({"ann.txt", "ann.wav"}) << none << 0;
        QTest::newRow("text alone waits for a sound")
            << strings({"bob.txt=hi"}) << false << 0 << strings({"bob.txt"}) << none << 0;
        QTest::newRow("sounds off: text shown, sound kept")
            << strings({"bob.wav", "bob.txt=hi"}) << true << 0 << strings({"bob.wav"}) << u"hi"_s << 0;
        // Links are never followed and never delete what they point to; the link itself goes.
        QTest::newRow("link to a file outside")
            << QStringList{u"bob.wav->"_s + outside} << false << 0 << QStringList() << none << 0;
        QTest::newRow("text linked outside") << QStringList{u"bob.wav"_s, u"bob.txt->"_s + outside} << false
                                             << 1 << QStringList() << none << 0;
        // Names another program may leave: never taken for ours, never touched.
        QTest::newRow("names with line ends")
            << strings({"bob.wav\n", "\nbob.wav", "bob\n.wav"}) << false << 0
            << strings({"\nbob.wav", "bob\n.wav", "bob.wav\n"}) << none << 0;
        QTest::newRow("255-byte name beside a message")
            << QStringList{longName, u"bob.wav"_s} << false << 1 << QStringList{longName} << none << 0;
        // Entries that are no files are left alone, silently, tick after tick.
        QTest::newRow("pipe named like the sound") << strings({"bob.wav|", "bob.txt=hi"}) << false << 0
                                                   << strings({"bob.txt", "bob.wav"}) << none << 0;
        QTest::newRow("folder named like the text")
            << strings({"bob.wav", "bob.txt/"}) << false << 1 << strings({"bob.txt"}) << none << 0;
        // Files too big or not text: bounded reads, one clear message at most.
        QTest::newRow("2 GB sound") << strings({"bob.wav@2147483648", "bob.txt=hi"}) << false << 0
                                    << strings({"bob.txt", "bob.wav"}) << none << 1;
        QTest::newRow("2 GB text") << strings({"bob.wav", "bob.txt@2147483648"}) << false << 1
                                   << QStringList() << u"*"_s << 0;
    }

    void whatTwoTicksTake()
    {
        QFETCH(QStringList, recipes);
        QFETCH(QString, shown);
        Share f;
        QFETCH(bool, soundsOff);
        f.state.SoundsDisabled = soundsOff;
        put(f.dir.filePath(u"outside.wav"_s), "keep me");
        for (const QString &recipe : std::as_const(recipes))
            build(f.share, recipe);
        f.look();
        QCOMPARE(f.indicator, !f.player.bytesPlayed.isEmpty());
        f.look();
        QTEST(int(f.player.bytesPlayed.size()), "played");
        // A sound is fetched from the share only to be played: one kept while
        // sounds are off would be copied again at every tick.
        QCOMPARE(f.files->copies, int(f.player.bytesPlayed.size()));
        QTEST(entriesIn(f.share), "left");
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
            << strings({"wav 4 8", "txt he", "look 0 bob.txt,bob.wav", "wav 8 8", "txt hello",
                        "look 0 bob.txt,bob.wav", "look 1 -"});
    }

    void messagesWrittenInPlaceAreTakenWhole()
    {
        QFETCH(QStringList, steps);
        Share f;
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
            f.look();
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
        Share f;
        const QString outside = f.dir.filePath(u"outside.wav"_s);
        put(outside, wavFile("secret"));
        // Between looking at bob.wav and copying it, it becomes a link to a file outside.
        f.files->before = [outside](const QString &path, const QString &target) {
            if (!target.isEmpty() && path.endsWith(u"/bob.wav"_s) && QFile::remove(path))
                QFile::link(outside, path);
        };
        f.drop("bob.wav", wavFile("sound"));
        f.look();
        f.look();
        QVERIFY(f.player.bytesPlayed.isEmpty());
        QVERIFY(filesIn(f.share).isEmpty()); // the link is gone, not what it pointed to
        QCOMPARE(contents(outside), wavFile("secret"));
    }

    // The shared folder goes away at each operation of a receive step in turn.
    void aFolderLostMidReceiveIsSurvived_data() { aFolderLostMidSendLeavesNoPartOfAMessage_data(); }

    void aFolderLostMidReceiveIsSurvived()
    {
        QFETCH(int, fault);
        for (int at = 1;; ++at) {
            Share f(ShareFileSystem::Fault(fault), at);
            f.drop("bob.wav", wavFile("one"));
            f.drop("bob.txt", messageRecord(u"one"_s));
            f.look();
            const QByteArray context = "fault at operation " + QByteArray::number(at);
            // Nothing half received is played.
            QVERIFY2(f.player.bytesPlayed.isEmpty()
                         || f.player.bytesPlayed == QList<QByteArray>{wavFile("one")},
                     context.constData());
            // Only a text that could not be read or deleted is reported, in its window.
            QVERIFY2(f.problems.isEmpty() || (f.problems.size() == 1 && f.shown != u"<none>"_s),
                     qPrintable(f.problems.join(u'|')));
            QVERIFY2(filesIn(f.local).isEmpty(), context.constData());
            if (!f.files->struck)
                break;

            // The folder is back: the next tick receives as usual.
            f.answer();
            QDir().mkpath(f.share);
            f.drop("bob.wav", wavFile("two"));
            f.drop("bob.txt", messageRecord(u"two"_s));
            // A file replaced since the last look may still be being written: it
            // is taken at the next look at the latest.
            f.look();
            f.look();
            QVERIFY2(f.player.bytesPlayed.endsWith(wavFile("two")), context.constData());
            QCOMPARE(f.shown, u"two"_s);
            QVERIFY2(filesIn(f.share).isEmpty(), context.constData());
        }
    }

    void hangingShareNeverHoldsUpTheTicks()
    {
        Share f;
        f.receiver.setTiming({10, 50});
        f.drop("bob.wav", wavFile("late"));
        f.files->hold();
        f.tick();
        QVERIFY(f.receiver.busy());
        QCOMPARE(f.rest, 0);
        // The rest of the tick does not wait for the share for ever...
        QTRY_COMPARE(f.rest, 1);
        // ...and later ticks do not pile up on it: they skip their step.
        const int calls = f.files->calls;
        f.tick();
        f.tick();
        QCOMPARE(f.rest, 3);
        QCOMPARE(f.files->calls, calls);
        QVERIFY(f.player.bytesPlayed.isEmpty());

        // Once the share answers, the message is handled as usual.
        f.files->release();
        QTRY_COMPARE(f.player.bytesPlayed, QList<QByteArray>{wavFile("late")});
        QTRY_VERIFY(!f.receiver.busy());
        QVERIFY(filesIn(f.share).isEmpty());
        QCOMPARE(f.rest, 3);
    }
};

QTEST_GUILESS_MAIN(TestMessages)
#include "tst_messages.moc"
