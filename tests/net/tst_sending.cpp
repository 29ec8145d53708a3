#include "app/appstate.h"
#include "app/frmmain.h"
#include "fakes.h"
#include "list/soundlist.h"
#include "net/frmusers.h"
#include "net/messagefile.h"
#include "net/network.h"
#include "net/sender.h"
#include "netfakes.h"

#include <QDir>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTest>

using namespace calmora;
using namespace calmora::test;

namespace {

// A sender, its dialog and a shared folder with a sound to send.
struct Fixture
{
    QTemporaryDir dir;
    QString share = dir.filePath(QStringLiteral("share"));
    QString sound = dir.filePath(QStringLiteral("boing.WAV"));
    QByteArray soundBytes = QByteArray("RIFF") + QByteArray(5000, '\x7f');
    AppState state;
    FakeDialogs dialogs;
    std::shared_ptr<FileSystem> files = systemFileSystem();
    std::unique_ptr<Sender> sender;

    explicit Fixture(QStringList users = {QStringLiteral("ann"), QStringLiteral("Bob"),
                                          QStringLiteral("carl")})
    {
        QDir().mkpath(share);
        put(sound, soundBytes);
        state.NetPath = share;
        state.UserCount = int(users.size());
        for (int i = 0; i < users.size(); ++i)
            state.Users[i + 1] = users.at(i);
    }

    frmUsers *open(const QString &file)
    {
        if (!sender)
            sender = std::make_unique<Sender>(dialogs, nullptr, files);
        auto *dialog = new frmUsers(state, *sender);
        dialog->setFile(file);
        dialog->show();
        return dialog;
    }

    static void send(frmUsers *dialog, const QList<int> &rows, const QString &text)
    {
        auto *list = dialog->findChild<QListWidget *>(QStringLiteral("lstUsers"));
        for (int row : rows)
            list->item(row)->setSelected(true);
        dialog->findChild<QPlainTextEdit *>(QStringLiteral("txtMessage"))->setPlainText(text);
        dialog->cmdSend_Click();
    }

    QStringList shareFiles() const { return filesIn(share); }
    QString inShare(const char *name) const { return share + QLatin1Char('/') + QLatin1String(name); }
};

} // namespace

class TestSending : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void sendingWritesWhatItCanAndReportsTheRest_data()
    {
        QTest::addColumn<QStringList>("users");
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<bool>("noSound");
        QTest::addColumn<bool>("noShare");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("written");
        const QString missing = QStringLiteral("Error Sending: No such file or directory");
        const QString badName =
            QStringLiteral("Error Sending: \"%1\" cannot be used as a computer name. A name may "
                           "not contain \"..\", any of / \\ : * ? \" < > | or control characters.");
        QTest::newRow("two of three recipients")
            << strings({"ann", "Bob", "carl"}) << QList<int>{0, 1} << false << false << QStringList()
            << strings({"Bob.txt", "Bob.wav", "ann.txt", "ann.wav"});
        QTest::newRow("no sound highlighted: texts still go")
            << strings({"ann", "bob"}) << QList<int>{0, 1} << true << false << QStringList{missing, missing}
            << strings({"ann.txt", "bob.txt"});
        QTest::newRow("name that leaves the folder writes nothing")
            << strings({"../escape", "bob"}) << QList<int>{0, 1} << false << false
            << QStringList{badName.arg(QStringLiteral("../escape"))} << strings({"bob.txt", "bob.wav"});
        // 200 characters are allowed, but not 400 bytes in one file name.
        QTest::newRow("name too long for the file system")
            << QStringList{QString(200, QChar(0xE9))} << QList<int>{0} << false << false
            << strings({"File write error: File name too long", "Error Sending: File name too long"})
            << QStringList();
        QTest::newRow("no shared folder")
            << strings({"ann"}) << QList<int>{0} << false << true
            << strings({"Error Sending: No shared network path is set."}) << QStringList();
    }

    void sendingWritesWhatItCanAndReportsTheRest()
    {
        QFETCH(QStringList, users);
        QFETCH(QList<int>, selected);
        QFETCH(bool, noSound);
        QFETCH(bool, noShare);
        Fixture f(users);
        if (noShare)
            f.state.NetPath.clear();
        const QString text = QStringLiteral("hi, there\nsecond line");
        QPointer<frmUsers> dialog = f.open(noSound ? QString() : f.sound);
        Fixture::send(dialog, selected, text);
        QTRY_VERIFY(!f.sender->busy());
        QCOMPARE(!dialog.isNull() && dialog->isVisible(), selected.isEmpty());
        QTEST(f.dialogs.messages, "messages");
        QTEST(f.shareFiles(), "written");
        for (const QString &name : f.shareFiles()) {
            const QByteArray expected =
                name.endsWith(QLatin1String(".wav")) ? f.soundBytes : messageRecord(text);
            QCOMPARE(contents(f.share + QLatin1Char('/') + name), expected);
        }
        QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("boing.WAV")});
        delete dialog;
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
        const SendRequest request{f.sound, QStringLiteral("hi"), f.share, {QStringLiteral("ann")}};
        for (int at = 1;; ++at) {
            QDir().mkpath(f.share);
            FaultyFileSystem files(f.share, FaultyFileSystem::Fault(fault), at);
            const QStringList failures = sendMessage(files, request);
            // Each file is there whole or not at all, and nothing else is.
            const QStringList left = f.shareFiles();
            for (const QString &name : left)
                QVERIFY2(name == QLatin1String("ann.txt") || name == QLatin1String("ann.wav"),
                         qPrintable(name));
            if (left.contains(QLatin1String("ann.wav")))
                QCOMPARE(contents(f.inShare("ann.wav")), f.soundBytes);
            if (left.contains(QLatin1String("ann.txt")))
                QCOMPARE(contents(f.inShare("ann.txt")), messageRecord(request.message));
            if (!files.struck()) {
                // Once the folder stays, the message goes whole.
                QVERIFY(failures.isEmpty());
                QCOMPARE(left, (QStringList{QStringLiteral("ann.txt"), QStringLiteral("ann.wav")}));
                break;
            }
            QVERIFY2(failures.size() == 1, qPrintable(failures.join(QLatin1Char('|'))));
            QDir(f.share).removeRecursively();
        }
    }

    void listNeverReadsPastFiftyUsers()
    {
        QStringList many;
        for (int i = 1; i <= 50; ++i)
            many.append(QStringLiteral("u%1").arg(i));
        Fixture f(many);
        f.state.UserCount = 400;
        std::unique_ptr<frmUsers> dialog(f.open(f.sound));
        QCOMPARE(dialog->findChild<QListWidget *>(QStringLiteral("lstUsers"))->count(), 50);
    }

    // A hanging share delays only the message. Names are read when sending, and
    // an empty text keeps an older one.
    void emptyTextToARenamedUserOverAHangingShare()
    {
        Fixture f;
        auto files = std::make_shared<BlockingFileSystem>();
        f.files = files;
        files->hold();
        frmUsers *dialog = f.open(f.sound);
        f.state.Users[1] = QStringLiteral("annette");
        put(f.inShare("annette.txt"), "\"earlier\"\r\n");
        Fixture::send(dialog, {0}, QString());
        QVERIFY(f.sender->busy());
        QCOMPARE(f.shareFiles(), strings({"annette.txt"}));
        files->release();
        QTRY_VERIFY(!f.sender->busy());
        QCOMPARE(f.shareFiles(), strings({"annette.txt", "annette.wav"}));
        QCOMPARE(contents(f.inShare("annette.txt")), QByteArray("\"earlier\"\r\n"));
    }

    void sendToOpensOneDialogForTheHighlightedSound_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("opens");
        QTest::newRow("wav") << QStringLiteral("/s/a.wav") << true;
        QTest::newRow("avi") << QStringLiteral("/s/clip.avi") << false;
        QTest::newRow("avi inside the name") << QStringLiteral("/s/x.avi.wav") << true;
    }

    void sendToOpensOneDialogForTheHighlightedSound()
    {
        QFETCH(QString, entry);
        QFETCH(bool, opens);
        TestRig rig;
        rig.writeSettings("[Settings]\nNetActive=True\nUsers=2\nUser1=ann\nUser2=bob\n");
        frmMain w(rig.services());
        w.Form_Load();
        const int row = w.soundList().addEntry(entry, true);
        w.soundList().List1()->setCurrentRow(row);
        w.network().cmdSend_Click();
        QCOMPARE(w.network().sendDialog() != nullptr, opens);
        if (!opens)
            return;
        frmUsers *dialog = w.network().sendDialog();
        QCOMPARE(dialog->file(), entry);
        auto *list = dialog->findChild<QListWidget *>(QStringLiteral("lstUsers"));
        list->item(1)->setSelected(true);
        // Another "Send To..." only changes the file: same window, same choice.
        const int other = w.soundList().addEntry(QStringLiteral("/s/b.wav"), true);
        w.soundList().List1()->setCurrentRow(other);
        w.network().cmdSend_Click();
        QCOMPARE(w.network().sendDialog(), dialog);
        QCOMPARE(dialog->file(), QStringLiteral("/s/b.wav"));
        QVERIFY(list->item(1)->isSelected());
    }
};

QTEST_MAIN(TestSending)
#include "tst_sending.moc"
