// The dialogs beside the main window: "Network Settings", "Send To", a
// received message, the two choosers over the one folder browser, "Select
// Sound Files" and "Select Path", and the desktop's own questions.

#include "core/appstate.h"
#include "fakes.h"
#include "list/frmfiles.h"
#include "list/soundlist.h"
#include "net/folderlisting.h"
#include "net/frmnetwork.h"
#include "net/frmpath.h"
#include "net/frmreceive.h"
#include "net/frmusers.h"
#include "net/sender.h"
#include "platform/qtdialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>

using namespace calmora;
using namespace calmora::test;
using namespace Qt::StringLiterals;

namespace {

// "Network Settings" over a share that can be made to hang.
struct Network
{
    ~Network() { files->release(); }
    frmNetwork &open()
    {
        dialog = std::make_unique<frmNetwork>(state, rig.services(), file1);
        QObject::connect(dialog.get(), &frmNetwork::activeChosen,
                         [this](bool active) { chosenActive = active; });
        return *dialog;
    }
    QString stored(const char *key) const { return rig.stored(u"Settings"_s, QLatin1String(key)); }
    QLineEdit *field(const char *name) const { return child<QLineEdit>(dialog.get(), name); }

    TestRig rig;
    AppState state;
    std::shared_ptr<ShareFileSystem> files = std::make_shared<ShareFileSystem>();
    FolderListing file1{files};
    bool chosenActive = false;
    std::unique_ptr<frmNetwork> dialog;
};

// A folder of sound files and others, with a subfolder.
struct Folder
{
    Folder()
    {
        QDir(dir.path()).mkdir(u"sub"_s);
        for (const char *name : {"Boom.WAV", "a.wav", "clip.avi", "notes.txt", "x.avi.txt", "sub/deep.wav"})
            put(dir.filePath(QLatin1String(name)), "RIFF");
    }
    frmFiles &files(const QString &browsePath, Qt::CaseSensitivity names = Qt::CaseSensitive)
    {
        state.BrowsePath = browsePath;
        filesDialog = std::make_unique<frmFiles>(state, list, dialogs, names, nullptr, drives);
        return *filesDialog;
    }
    QListWidget *file1() const { return child<QListWidget>(filesDialog.get(), "File1"); }

    QTemporaryDir dir;
    QStringList drives{u"/"_s, dir.path(), dir.filePath(u"no-medium"_s)};
    AppState state;
    SoundList list{state, nullptr};
    FakeDialogs dialogs;
    std::unique_ptr<frmFiles> filesDialog;
};

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void okStoresTheNameTheFieldShows_data()
    {
        QTest::addColumn<QString>("netName");
        QTest::addColumn<QString>("typed"); // "" leaves the field as it opened
        QTest::addColumn<QString>("stored");
        QTest::newRow("no name yet: the computer's, in lower case")
            << QString() << QString() << u"office-pc"_s;
        QTest::newRow("stored with capitals") << u"Bob"_s << QString() << u"bob"_s;
        QTest::newRow("a name that leaves the folder is refused") << u"ann"_s << u"../ann"_s << u"<none>"_s;
    }

    void okStoresTheNameTheFieldShows()
    {
        QFETCH(QString, netName);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        Network f;
        f.state.NetName = netName;
        f.open();
        QCOMPARE(f.field("txtNetName")->text(), (netName.isEmpty() ? u"OFFICE-PC"_s : netName).toLower());
        if (!typed.isEmpty())
            f.field("txtNetName")->setText(typed);
        f.dialog->cmdOK_Click();
        QCOMPARE(f.stored("NetName"), stored);
        const bool refused = stored == u"<none>"_s;
        QCOMPARE(f.state.NetName, refused ? netName : stored);
        QCOMPARE(f.state.SettingsChanged, !refused);
        QCOMPARE(f.rig.dialogs.messages.size(), refused ? 1 : 0);
    }

    void okStoresSettingsAndLeavesLongerUserKeys()
    {
        Network f;
        f.rig.writeSettings("[Settings]\nUser4=old\n");
        f.state.UserCount = 1;
        f.state.Users[1] = u"ann"_s;
        frmNetwork &d = f.open();
        f.field("txtNetPath")->setText(f.rig.dir.path());
        child<QCheckBox>(&d, "chkActive")->setChecked(true);
        f.rig.dialogs.inputs = {u"Bob"_s, u"carl"_s};
        d.cmdAdd_Click();
        d.cmdAdd_Click();
        d.cmdOK_Click();
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QVERIFY(f.rig.dialogs.messages.isEmpty());
        QVERIFY(f.state.NetActive && f.chosenActive && f.state.SettingsChanged);
        QCOMPARE(f.file1.path(), f.rig.dir.path());
        const QStringList stored{f.stored("NetActive"), f.stored("Users"), f.stored("User2"),
                                 f.stored("User3"), f.stored("User4")};
        QCOMPARE(stored, strings({"True", "3", "Bob", "carl", "old"}));
    }

    void addRefusesWhatCannotBeAName_data()
    {
        QTest::addColumn<int>("users");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("added");
        QTest::addColumn<QString>("told");
        const QString badName = u"cannot be used as a computer name"_s;
        QTest::newRow("cancel adds nobody") << 0 << QString() << false << QString();
        QTest::newRow("name with spaces and accents") << 0 << u"Zoë 2"_s << true << QString();
        QTest::newRow("path") << 0 << u"../../etc/x"_s << false << badName;
        QTest::newRow("refused by Windows shares") << 0 << u"what?"_s << false << badName;
        QTest::newRow("too long") << 0 << QString(300, QLatin1Char('n')) << false << u"too long"_s;
        QTest::newRow("fifty is the limit")
            << 50 << u"carl"_s << false << u"No more than 50 users can be added."_s;
    }

    void addRefusesWhatCannotBeAName()
    {
        QFETCH(int, users);
        QFETCH(QString, typed);
        QFETCH(QString, told);
        Network f;
        f.state.UserCount = users;
        for (int i = 1; i <= users; ++i)
            f.state.Users[i] = u"user%1"_s.arg(i);
        f.rig.dialogs.inputs = {typed};
        f.open().cmdAdd_Click();
        QCOMPARE(f.rig.dialogs.questions.size(), users < 50 ? 1 : 0);
        QTEST(child<QListWidget>(f.dialog.get(), "lstUsers")->count() == users + 1, "added");
        const QStringList &messages = f.rig.dialogs.messages;
        QCOMPARE(messages.size(), told.isEmpty() ? 0 : 1);
        QVERIFY2(messages.value(0).contains(told), qPrintable(messages.value(0)));
    }

    void okReportsAFolderThatCannotBeUsed_data()
    {
        QTest::addColumn<bool>("hangs");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("active");
        QTest::newRow("share not answering") << true << u"Network Device is not available..."_s << false;
        QTest::newRow("folder missing") << false << u"No such file or directory"_s << true;
    }

    void okReportsAFolderThatCannotBeUsed()
    {
        QFETCH(bool, hangs);
        Network f;
        f.file1.setWaitLimit(50);
        frmNetwork &d = f.open();
        if (hangs)
            f.files->hold();
        f.field("txtNetPath")->setText(f.rig.dir.filePath(u"gone"_s));
        child<QCheckBox>(&d, "chkActive")->setChecked(true);
        d.cmdOK_Click();
        f.files->release();
        QTEST(f.rig.dialogs.messages.value(0), "message");
        QTEST(f.state.NetActive, "active");
        // What was saved before the check stays; the next save stores the change.
        QCOMPARE(f.stored("NetActive"), u"True"_s);
        QVERIFY(f.state.SettingsChanged);
    }

    void sendWithoutARecipientKeepsTheDialogAndListsFiftyAtMost()
    {
        AppState state;
        state.UserCount = 400;
        for (int i = 1; i <= AppState::kMaxUsers; ++i)
            state.Users[i] = u"u%1"_s.arg(i);
        Sender sender(nullptr);
        FakeDialogs dialogs;
        frmUsers dialog(state, sender, dialogs);
        dialog.show();
        QCOMPARE(child<QListWidget>(&dialog, "lstUsers")->count(), 50);
        dialog.cmdSend_Click();
        QVERIFY(!sender.busy());
        QVERIFY(dialog.isVisible());
    }

    void messageWindowSaysWhatFailed()
    {
        FakeDialogs dialogs;
        frmReceive window(dialogs);
        window.Form_Load(QString(), u"File Read Error: Permission denied"_s);
        QCOMPARE(dialogs.messages, QStringList{u"File Read Error: Permission denied"_s});
        QVERIFY(window.text().isEmpty());
    }

    // Escape and the close box would answer No for the user, and a No can
    // throw away what the question is about: only Yes or No answer it.
    void questionsAnswerOnlyToYesOrNo()
    {
        for (const bool yes : {true, false}) {
            bool stayed = false;
            onNextModal([&](QWidget *modal) {
                auto *box = qobject_cast<QMessageBox *>(modal);
                QVERIFY(box);
                QTest::keyClick(box, Qt::Key_Escape);
                box->close();
                stayed = box->isVisible();
                box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
            });
            QtDialogs dialogs;
            QCOMPARE(dialogs.askYesNo(nullptr, u"Do you want to save changes?"_s), yes);
            QVERIFY(stayed);
        }
    }

    void fileListShowsTheTreesSoundFiles()
    {
        Folder f;
        frmFiles &d = f.files(f.dir.filePath(u"sub"_s));
        QCOMPARE(texts(f.file1()->model()), QStringList{u"deep.wav"_s});
        d.browser().Drive1_Change(1);
        QCOMPARE(d.browser().folder(), f.dir.path());
        QCOMPARE(texts(f.file1()->model()), strings({"a.wav", "Boom.WAV", "clip.avi"}));
        QVERIFY(f.dialogs.messages.isEmpty());
        // A drive that cannot be read is reported, and nothing moves.
        d.browser().Drive1_Change(2);
        QCOMPARE(f.dialogs.messages.size(), 1);
        QCOMPARE(texts(f.file1()->model()), strings({"a.wav", "Boom.WAV", "clip.avi"}));
    }

    // OK adds the chosen files ticked and keeps the folder; Cancel adds
    // nothing and forgets it.
    void okAddsSelectedFilesTicked_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("fileNameCase");
        QTest::addColumn<QStringList>("added");
        QTest::newRow("names tell case apart")
            << u"cmdOK"_s << int(Qt::CaseSensitive) << strings({"a.wav", "Boom.WAV", "clip.avi"});
        QTest::newRow("names ignore case")
            << u"cmdOK"_s << int(Qt::CaseInsensitive) << strings({"a.wav", "boom.wav", "clip.avi"});
        QTest::newRow("cancel") << u"cmdCancel"_s << int(Qt::CaseSensitive) << QStringList();
    }

    void okAddsSelectedFilesTicked()
    {
        QFETCH(QString, button);
        QFETCH(int, fileNameCase);
        QFETCH(QStringList, added);
        Folder f;
        frmFiles &d = f.files(f.dir.path(), Qt::CaseSensitivity(fileNameCase));
        f.list.addEntry(f.dir.filePath(u"a.wav"_s), false); // chosen again: a second entry
        f.state.SettingsChanged = false;
        for (int i = 0; i < f.file1()->count(); ++i)
            f.file1()->item(i)->setSelected(true);
        d.findChild<QPushButton *>(button)->click();
        const QString prefix = f.dir.path() + u'/';
        for (QString &name : added)
            name.prepend(fileNameCase == Qt::CaseInsensitive ? prefix.toLower() : prefix);
        QCOMPARE(f.list.List2(), added);
        QCOMPARE(f.list.count(), 1 + added.size());
        QCOMPARE(f.state.SettingsChanged, !added.isEmpty());
        QCOMPARE(f.state.BrowsePath, added.isEmpty() ? QString() : f.dir.path());
        QCOMPARE(d.result(), int(added.isEmpty() ? QDialog::Rejected : QDialog::Accepted));
    }

    // OK takes the folder shown, a drive's root with its separator; a start
    // that cannot be read is reported, and the current folder shown instead.
    // Closing by other means than the buttons leaves the path as it came.
    void pathOkReturnsTheFolderShown_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("expected");
        QTest::newRow("a folder") << u"<tmp>/sub/"_s << u"<tmp>/sub"_s;
        QTest::newRow("a drive's root keeps its separator") << u"/"_s << u"/"_s;
        QTest::newRow("unreadable") << u"<tmp>/gone"_s << QDir::toNativeSeparators(QDir::currentPath());
    }

    void pathOkReturnsTheFolderShown()
    {
        QFETCH(QString, start);
        QFETCH(QString, expected);
        Folder f;
        f.state.BrowsePath = start.replace(u"<tmp>"_s, f.dir.path());
        expected.replace(u"<tmp>"_s, f.dir.path());
        frmPath d(f.state, f.dialogs, nullptr, f.drives);
        QCOMPARE(child<QLabel>(&d, "lblPath")->text(), expected);
        QCOMPARE(child<QComboBox>(&d, "Drive1")->currentIndex(), expected.startsWith(f.dir.path()) ? 1 : 0);
        const QStringList &messages = f.dialogs.messages;
        QVERIFY2(start.endsWith(u"gone"_s) ? messages.value(0).contains(u"No such file"_s)
                                           : messages.isEmpty(),
                 qPrintable(messages.join(u'|')));
        d.close();
        QCOMPARE(f.state.BrowsePath, start);
        child<QPushButton>(&d, "cmdOK")->click();
        QCOMPARE(f.state.BrowsePath, expected);
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
