#include "core/appstate.h"
#include "core/settings.h"
#include "fakes.h"
#include "list/soundlist.h"
#include "net/folderlisting.h"
#include "net/frmnetwork.h"
#include "net/frmpath.h"
#include "net/frmreceive.h"
#include "net/frmusers.h"
#include "net/sender.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

using namespace calmora;
using namespace calmora::test;
using namespace Qt::StringLiterals;

namespace {

struct Fixture
{
    TestRig rig;
    AppState state;
    FolderListing file1{rig.files};
    Services services = rig.services();
    bool chosenActive = false;

    std::unique_ptr<frmNetwork> open()
    {
        auto dialog = std::make_unique<frmNetwork>(state, services, file1);
        QObject::connect(dialog.get(), &frmNetwork::activeChosen, [this](bool active) { chosenActive = active; });
        return dialog;
    }
    QString stored(const char *key) const { return rig.stored(u"Settings"_s, QLatin1String(key)); }
};

template <typename T>
T *child(QWidget &w, const char *name)
{
    return w.findChild<T *>(QLatin1String(name));
}

// Runs action on the next modal dialog to open.
void onNextModal(std::function<void(QWidget *)> action)
{
    QTimer::singleShot(0, [action] {
        QWidget *modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        action(modal);
    });
}

} // namespace

class TestFrmNetwork : public QObject
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
        Fixture f;
        f.state.NetName = netName;
        auto dialog = f.open();
        auto *field = child<QLineEdit>(*dialog, "txtNetName");
        QCOMPARE(field->text(), (netName.isEmpty() ? u"OFFICE-PC"_s : netName).toLower());
        if (!typed.isEmpty())
            field->setText(typed);
        dialog->cmdOK_Click();
        QCOMPARE(f.stored("NetName"), stored);
        const bool refused = stored == u"<none>"_s;
        QCOMPARE(f.state.NetName, refused ? netName : stored);
        QCOMPARE(f.state.SettingsChanged, !refused);
        QCOMPARE(f.rig.dialogs.messages.size(), refused ? 1 : 0);
    }

    void okStoresSettingsAndLeavesLongerUserKeys()
    {
        Fixture f;
        f.rig.writeSettings("[Settings]\nUser4=old\n");
        f.state.UserCount = 1;
        f.state.Users[1] = u"ann"_s;
        auto dialog = f.open();
        child<QLineEdit>(*dialog, "txtNetPath")->setText(f.rig.dir.path());
        child<QCheckBox>(*dialog, "chkActive")->setChecked(true);
        f.rig.dialogs.inputs = {u"Bob"_s, u"carl"_s};
        dialog->cmdAdd_Click();
        dialog->cmdAdd_Click();
        dialog->cmdOK_Click();
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QVERIFY(f.rig.dialogs.messages.isEmpty());
        QVERIFY(f.state.NetActive);
        QVERIFY(f.chosenActive);
        QVERIFY(f.state.SettingsChanged);
        QCOMPARE(f.state.UserCount, 3);
        QCOMPARE(f.state.Users[2], u"Bob"_s);
        QCOMPARE(f.file1.path(), f.rig.dir.path());
        QCOMPARE(f.stored("NetActive"), u"True"_s);
        QCOMPARE(f.stored("Users"), u"3"_s);
        QCOMPARE(f.stored("User3"), u"carl"_s);
        QCOMPARE(f.stored("User4"), u"old"_s);
    }

    void addRefusesWhatCannotBeAName_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("added");
        QTest::addColumn<bool>("told");
        QTest::newRow("cancel adds nobody") << QString() << false << false;
        QTest::newRow("name with spaces and accents") << u"Zoë 2"_s << true << false;
        QTest::newRow("path") << u"../../etc/x"_s << false << true;
        QTest::newRow("refused by Windows shares") << u"what?"_s << false << true;
        QTest::newRow("too long") << QString(300, QLatin1Char('n')) << false << true;
    }

    void addRefusesWhatCannotBeAName()
    {
        QFETCH(QString, typed);
        Fixture f;
        auto dialog = f.open();
        f.rig.dialogs.inputs = {typed};
        dialog->cmdAdd_Click();
        QCOMPARE(f.rig.dialogs.questions, QStringList{u"Enter the computer name of the user."_s});
        QTEST(child<QListWidget>(*dialog, "lstUsers")->count() == 1, "added");
        QTEST(f.rig.dialogs.messages.size() == 1, "told");
    }

    void fiftyUsersIsTheLimit()
    {
        Fixture f;
        f.state.UserCount = 50;
        for (int i = 1; i <= 50; ++i)
            f.state.Users[i] = u"user%1"_s.arg(i);
        auto dialog = f.open();
        dialog->cmdAdd_Click();
        QVERIFY(f.rig.dialogs.questions.isEmpty());
        QCOMPARE(f.rig.dialogs.messages, QStringList{u"No more than 50 users can be added."_s});
        QCOMPARE(child<QListWidget>(*dialog, "lstUsers")->count(), 50);
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
        Fixture f;
        auto files = std::make_shared<BlockingFileSystem>();
        FolderListing file1(files);
        file1.setWaitLimit(50);
        frmNetwork dialog(f.state, f.services, file1);
        if (hangs)
            files->hold();
        child<QLineEdit>(dialog, "txtNetPath")->setText(f.rig.dir.filePath(u"gone"_s));
        child<QCheckBox>(dialog, "chkActive")->setChecked(true);
        dialog.cmdOK_Click();
        files->release();
        QTEST(f.rig.dialogs.messages.value(0), "message");
        QTEST(f.state.NetActive, "active");
        // What was saved before the check stays; the next save stores the change.
        QCOMPARE(f.stored("NetActive"), u"True"_s);
        QVERIFY(f.state.SettingsChanged);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void browseStartsAtTheFolderInForce()
    {
        Fixture f;
        QTemporaryDir chosen;
        f.state.NetPath = chosen.path();
        auto dialog = f.open();
        auto *path = child<QLineEdit>(*dialog, "txtNetPath");
        path->setText(u"/typed/meanwhile"_s);

        QString openedAt;
        onNextModal([&](QWidget *modal) {
            openedAt = f.state.BrowsePath;
            qobject_cast<frmPath *>(modal)->cmdCancel_Click();
        });
        dialog->cmdBrowse_Click();
        QCOMPARE(openedAt, chosen.path());
        QCOMPARE(path->text(), u"/typed/meanwhile"_s);

        onNextModal([](QWidget *modal) { qobject_cast<frmPath *>(modal)->cmdOK_Click(); });
        dialog->cmdBrowse_Click();
        QCOMPARE(QDir(path->text()), QDir(chosen.path()));
    }

    void deadShareAtStartNeitherFreezesNorComplains()
    {
        TestRig rig;
        AppState state;
        SoundList list{state, nullptr};
        auto files = std::make_shared<BlockingFileSystem>();
        FolderListing file1(files);
        file1.setWaitLimit(50);
        files->hold();
        rig.writeSettings("[Settings]\nNetPath=" + rig.dir.path().toUtf8() + "\n");
        QVERIFY(!readSettings(*rig.store, state, list, file1));
        files->release();
        QCOMPARE(state.NetPath, rig.dir.path());
        QVERIFY(file1.path().isEmpty());
    }

    void sendWithoutARecipientKeepsTheDialogAndListsFiftyAtMost()
    {
        AppState state;
        state.UserCount = 400;
        for (int i = 1; i <= AppState::kMaxUsers; ++i)
            state.Users[i] = u"u%1"_s.arg(i);
        Sender sender(nullptr);
        FakeDialogs dialogs;
        QPointer<frmUsers> dialog = new frmUsers(state, sender, dialogs);
        dialog->show();
        QCOMPARE(child<QListWidget>(*dialog, "lstUsers")->count(), 50);
        dialog->cmdSend_Click();
        QVERIFY(!sender.busy());
        QVERIFY(dialog && dialog->isVisible());
        delete dialog;
    }

    // A window opens for every received text; a logo rendered anew for each one
    // stayed behind in the pixmap cache and memory grew with every message.
    void messageWindowsShareOneLogoAndSayWhatFailed()
    {
        FakeDialogs dialogs;
        qint64 first = 0;
        for (int i = 0; i < 3; ++i) {
            frmReceive window(dialogs);
            const QPixmap shown = child<QLabel>(window, "imgLogo")->pixmap();
            QVERIFY(!shown.isNull());
            if (i == 0)
                first = shown.cacheKey();
            QCOMPARE(shown.cacheKey(), first);
        }
        frmReceive window(dialogs);
        window.Form_Load(QString(), u"File Read Error: Permission denied"_s);
        QCOMPARE(dialogs.messages, QStringList{u"File Read Error: Permission denied"_s});
        QVERIFY(window.text().isEmpty());
    }
};

QTEST_MAIN(TestFrmNetwork)
#include "tst_frmnetwork.moc"
