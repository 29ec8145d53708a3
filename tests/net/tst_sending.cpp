#include "fakes.h"
#include "net/messagefile.h"
#include "net/sender.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>

using namespace calmora;
using namespace calmora::test;
using namespace Qt::StringLiterals;

namespace {

// A shared folder and a sound to send.
struct Fixture
{
    QTemporaryDir dir;
    QString share = dir.filePath(u"share"_s);
    QString sound = dir.filePath(u"boing.WAV"_s);
    QByteArray soundBytes = QByteArray("RIFF") + QByteArray(5000, '\x7f');
    TestRig rig;

    Fixture()
    {
        QDir().mkpath(share);
        put(sound, soundBytes);
    }
    SendRequest request(const QStringList &recipients, const QString &message = u"hi, there\nsecond line"_s) const
    {
        return {sound, message, share, recipients};
    }
    QString inShare(const QString &name) const { return share + QLatin1Char('/') + name; }
};

} // namespace

class TestSending : public QObject
{
    Q_OBJECT

private Q_SLOTS:
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
            << strings({"Error Sending: ann: No such file or directory", "Error Sending: bob: No such file or directory"})
            << strings({"ann.txt", "bob.txt"});
        QTest::newRow("name that leaves the folder writes nothing")
            << strings({"../escape", "bob"}) << false << false << QStringList{badName} << strings({"bob.txt", "bob.wav"});
        // 200 characters are allowed, but not 400 bytes in one file name.
        QTest::newRow("name too long for the file system")
            << QStringList{QString(200, QChar(0xE9))} << false << false
            << QStringList{u"Error Sending: "_s + QString(200, QChar(0xE9)) + u": File name too long"_s}
            << QStringList();
        QTest::newRow("no shared folder") << strings({"ann"}) << false << true
                                          << strings({"Error Sending: ann: No shared network path is set."})
                                          << QStringList();
    }

    void sendingWritesWhatItCanAndReportsTheRest()
    {
        QFETCH(QStringList, recipients);
        QFETCH(bool, noSound);
        QFETCH(bool, noShare);
        Fixture f;
        SendRequest request = f.request(recipients);
        if (noSound)
            request.soundFile.clear();
        if (noShare)
            request.folder.clear();
        QTEST(sendMessage(*f.rig.files, request), "failures");
        QTEST(filesIn(f.share), "written");
        for (const QString &name : filesIn(f.share)) {
            const QByteArray expected = name.endsWith(u".wav"_s) ? f.soundBytes : messageRecord(request.message);
            QCOMPARE(contents(f.inShare(name)), expected);
        }
        QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files), QStringList{u"boing.WAV"_s});
    }

    // The shared folder goes away at each operation of a send in turn.
    void aFolderLostMidSendLeavesNoPartOfAMessage_data()
    {
        QTest::addColumn<int>("fault");
        QTest::newRow("operation fails") << int(FaultyFileSystem::Fault::Fail);
        QTest::newRow("folder deleted") << int(FaultyFileSystem::Fault::Vanish);
        QTest::newRow("write stops halfway") << int(FaultyFileSystem::Fault::HalfWrite);
    }

    void aFolderLostMidSendLeavesNoPartOfAMessage()
    {
        QFETCH(int, fault);
        Fixture f;
        const SendRequest request = f.request({u"ann"_s}, u"hi"_s);
        for (int at = 1;; ++at) {
            QDir().mkpath(f.share);
            FaultyFileSystem files(f.share, FaultyFileSystem::Fault(fault), at);
            const QStringList failures = sendMessage(files, request);
            // Each file is there whole or not at all, and nothing else is.
            const QStringList left = filesIn(f.share);
            for (const QString &name : left)
                QVERIFY2(name == u"ann.txt"_s || name == u"ann.wav"_s, qPrintable(name));
            if (left.contains(u"ann.wav"_s))
                QCOMPARE(contents(f.inShare(u"ann.wav"_s)), f.soundBytes);
            if (left.contains(u"ann.txt"_s))
                QCOMPARE(contents(f.inShare(u"ann.txt"_s)), messageRecord(request.message));
            if (!files.struck()) {
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
        Fixture f;
        auto files = std::make_shared<BlockingFileSystem>();
        files->hold();
        Sender sender(files);
        QSignalSpy sent(&sender, &Sender::sent);
        put(f.inShare(u"ann.txt"_s), "\"earlier\"\r\n");
        sender.send(f.request({u"ann"_s}, QString()));
        QVERIFY(sender.busy());
        QCOMPARE(filesIn(f.share), strings({"ann.txt"}));
        files->release();
        QTRY_COMPARE(sent.count(), 1);
        QVERIFY(!sender.busy());
        QVERIFY(sent.at(0).at(0).toStringList().isEmpty());
        QCOMPARE(filesIn(f.share), strings({"ann.txt", "ann.wav"}));
        QCOMPARE(contents(f.inShare(u"ann.txt"_s)), QByteArray("\"earlier\"\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestSending)
#include "tst_sending.moc"
