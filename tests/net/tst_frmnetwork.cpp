#include "app/appstate.h"
#include "app/frmmain.h"
#include "app/settings.h"
#include "fakes.h"
#include "list/soundlist.h"
#include "net/folderlisting.h"
#include "net/frmnetwork.h"
#include "net/frmpath.h"
#include "netfakes.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
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
    FolderListing file1;
    QAction mnuEnableNetwork{nullptr};
    Services services = rig.services();

    Fixture() { mnuEnableNetwork.setCheckable(true); }
    std::unique_ptr<frmNetwork> open()
    {
        return std::make_unique<frmNetwork>(state, services, file1, &mnuEnableNetwork);
    }
    QString stored(const char *key) const
    {
        return rig.reopenStore()->get(u"Settings"_s, QLatin1String(key), u"<none>"_s);
    }
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
        QVERIFY(f.mnuEnableNetwork.isChecked());
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
        f.file1.setFileSystem(files);
        f.file1.setWaitLimit(50);
        if (hangs)
            files->hold();
        auto dialog = f.open();
        child<QLineEdit>(*dialog, "txtNetPath")->setText(f.rig.dir.filePath(u"gone"_s));
        child<QCheckBox>(*dialog, "chkActive")->setChecked(true);
        dialog->cmdOK_Click();
        files->release();
        QTEST(f.rig.dialogs.messages.value(0), "message");
        QTEST(f.state.NetActive, "active");
        // What was saved before the check stays; the next save stores the change.
        QCOMPARE(f.stored("NetActive"), u"True"_s);
        QVERIFY(f.mnuEnableNetwork.isChecked());
        QVERIFY(f.state.SettingsChanged);
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
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
        QListWidget list1;
        SoundList list{&list1, state, nullptr};
        FolderListing file1;
        auto files = std::make_shared<BlockingFileSystem>();
        file1.setFileSystem(files);
        file1.setWaitLimit(50);
        files->hold();
        rig.writeSettings("[Settings]\nNetPath=" + rig.dir.path().toUtf8() + "\n");
        Read_Settings({*rig.store, state, list, file1, rig.dialogs, nullptr});
        files->release();
        QCOMPARE(state.NetPath, rig.dir.path());
        QVERIFY(file1.path().isEmpty());
        QVERIFY(rig.dialogs.messages.isEmpty());
    }

    void networkMenuStopsTheTimerWhileOpen()
    {
        TestRig rig;
        frmMain w(rig.services());
        w.Form_Load();
        bool timerRan = true;
        onNextModal([&](QWidget *modal) {
            timerRan = w.tmrMinute()->isActive();
            qobject_cast<frmNetwork *>(modal)->cmdCancel_Click();
        });
        w.findChild<QAction *>(u"mnuNetwork"_s)->trigger();
        QVERIFY(!timerRan);
        QVERIFY(w.tmrMinute()->isActive());
        // Opening filled in the computer's name; Cancel changed nothing else.
        QCOMPARE(w.state().NetName, u"OFFICE-PC"_s);
        QVERIFY(!w.state().SettingsChanged);
    }
};

QTEST_MAIN(TestFrmNetwork)
#include "tst_frmnetwork.moc"
