#include "app/appstate.h"
#include "app/frmmain.h"
#include "fakes.h"
#include "list/soundlist.h"
#include "net/frmusers.h"
#include "net/network.h"
#include "net/sender.h"
#include "netfakes.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTest>

using namespace calmora;
using namespace calmora::test;

namespace {

QByteArray contents(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void put(const QString &file, const QByteArray &bytes)
{
    QFile f(file);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

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

    static void send(frmUsers *dialog, std::initializer_list<int> rows, const QString &text)
    {
        auto *list = dialog->findChild<QListWidget *>(QStringLiteral("lstUsers"));
        for (int row : rows) {
            if (row < list->count())
                list->item(row)->setSelected(true);
        }
        dialog->findChild<QPlainTextEdit *>(QStringLiteral("txtMessage"))->setPlainText(text);
        dialog->cmdSend_Click();
    }

    QStringList shareFiles() const { return QDir(share).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
    QString inShare(const char *name) const { return share + QLatin1Char('/') + QLatin1String(name); }
};

} // namespace

class TestSending : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void sendDropsSoundAndTextForEachSelectedUser()
    {
        Fixture f;
        QPointer<frmUsers> dialog = f.open(f.sound);
        Fixture::send(dialog, {0, 1}, QStringLiteral("hi, there\nsecond line"));
        QTRY_VERIFY(!f.sender->busy());
        QVERIFY(dialog.isNull() || !dialog->isVisible());
        QCOMPARE(f.shareFiles(), (QStringList{QStringLiteral("Bob.txt"), QStringLiteral("Bob.wav"),
                                              QStringLiteral("ann.txt"), QStringLiteral("ann.wav")}));
        QCOMPARE(contents(f.inShare("ann.wav")), f.soundBytes);
        QCOMPARE(contents(f.inShare("Bob.txt")), QByteArray("\"hi, there\r\nsecond line\"\r\n"));
        QVERIFY(f.dialogs.messages.isEmpty());
    }

    void emptyTextKeepsAnOlderText()
    {
        Fixture f;
        put(f.inShare("carl.txt"), "\"earlier\"\r\n");
        Fixture::send(f.open(f.sound), {2}, QString());
        QTRY_VERIFY(!f.sender->busy());
        QCOMPARE(f.shareFiles(), (QStringList{QStringLiteral("carl.txt"), QStringLiteral("carl.wav")}));
        QCOMPARE(contents(f.inShare("carl.txt")), QByteArray("\"earlier\"\r\n"));
    }

    void sendWithoutRecipientKeepsTheDialogOpen()
    {
        Fixture f;
        std::unique_ptr<frmUsers> dialog(f.open(f.sound));
        Fixture::send(dialog.get(), {}, QStringLiteral("lost?"));
        QVERIFY(dialog->isVisible());
        QVERIFY(f.shareFiles().isEmpty());
    }

    void eachFailedStepIsReportedAndSendingGoesOn_data()
    {
        QTest::addColumn<QStringList>("users");
        QTest::addColumn<bool>("noSound");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("written");
        const QString missing = QStringLiteral("Error Sending: No such file or directory");
        QTest::newRow("no sound highlighted: texts still go")
            << QStringList{QStringLiteral("ann"), QStringLiteral("bob")} << true
            << QStringList{missing, missing}
            << QStringList{QStringLiteral("ann.txt"), QStringLiteral("bob.txt")};
        QTest::newRow("name that leaves the folder writes nothing")
            << QStringList{QStringLiteral("../escape"), QStringLiteral("bob")} << false
            << QStringList{QStringLiteral(
                   "Error Sending: \"../escape\" cannot be used as a computer name. A name may "
                   "not contain \"..\", any of / \\ : * ? \" < > | or control characters.")}
            << QStringList{QStringLiteral("bob.txt"), QStringLiteral("bob.wav")};
        QTest::newRow("line end in a name")
            << QStringList{QStringLiteral("bo\nb")} << false
            << QStringList{QStringLiteral(
                   "Error Sending: \"bo\nb\" cannot be used as a computer name. A name may "
                   "not contain \"..\", any of / \\ : * ? \" < > | or control characters.")}
            << QStringList();
        // 200 characters are allowed, but not 400 bytes in one file name.
        QTest::newRow("name too long for the file system")
            << QStringList{QString(200, QChar(0xE9))} << false
            << QStringList{QStringLiteral("File write error: File name too long"),
                           QStringLiteral("Error Sending: File name too long")}
            << QStringList();
        QTest::newRow("empty name is a name") << QStringList{QString()} << false << QStringList()
                                              << QStringList{QStringLiteral(".txt"), QStringLiteral(".wav")};
    }

    void eachFailedStepIsReportedAndSendingGoesOn()
    {
        QFETCH(QStringList, users);
        QFETCH(bool, noSound);
        Fixture f(users);
        Fixture::send(f.open(noSound ? QString() : f.sound), {0, 1}, QStringLiteral("text"));
        QTRY_VERIFY(!f.sender->busy());
        QTEST(f.dialogs.messages, "messages");
        QTEST(f.shareFiles(), "written");
        QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("boing.WAV")});
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
                QCOMPARE(contents(f.inShare("ann.txt")), QByteArray("\"hi\"\r\n"));
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

    void noSharedFolderIsReported()
    {
        Fixture f;
        f.state.NetPath.clear();
        Fixture::send(f.open(f.sound), {0}, QStringLiteral("x"));
        QTRY_VERIFY(!f.sender->busy());
        QCOMPARE(f.dialogs.messages,
                 QStringList{QStringLiteral("Error Sending: No shared network path is set.")});
    }

    void namesAreReadFromTheSettingsWhenSending()
    {
        Fixture f;
        frmUsers *dialog = f.open(f.sound);
        f.state.Users[1] = QStringLiteral("annette");
        Fixture::send(dialog, {0}, QString());
        QTRY_VERIFY(!f.sender->busy());
        QCOMPARE(f.shareFiles(), QStringList{QStringLiteral("annette.wav")});
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

    void hangingShareDelaysOnlyTheMessage()
    {
        Fixture f;
        auto files = std::make_shared<BlockingFileSystem>();
        f.files = files;
        files->hold();
        QPointer<frmUsers> dialog = f.open(f.sound);
        Fixture::send(dialog, {1}, QStringLiteral("later"));
        QVERIFY(f.sender->busy());
        QVERIFY(f.shareFiles().isEmpty());
        files->release();
        QTRY_VERIFY(!f.sender->busy());
        QCOMPARE(f.shareFiles(), (QStringList{QStringLiteral("Bob.txt"), QStringLiteral("Bob.wav")}));
    }

    void sendToOpensOneDialogForTheHighlightedSound_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("opens");
        QTest::newRow("wav") << QStringLiteral("/s/a.wav") << true;
        QTest::newRow("avi") << QStringLiteral("/s/clip.avi") << false;
        QTest::newRow("AVI in capitals") << QStringLiteral("/s/CLIP.AVI") << false;
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
        // With nothing highlighted the dialog still opens, with no file.
        w.soundList().List1()->setCurrentRow(-1);
        w.network().cmdSend_Click();
        QCOMPARE(dialog->file(), QString());
    }
};

QTEST_MAIN(TestSending)
#include "tst_sending.moc"
