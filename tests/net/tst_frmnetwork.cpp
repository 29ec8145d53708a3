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
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

using namespace calmora;
using namespace calmora::test;

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
        return rig.reopenStore()->get(QStringLiteral("Settings"), QLatin1String(key),
                                      QStringLiteral("<none>"));
    }
};

template <typename T>
T *child(QWidget &w, const char *name)
{
    return w.findChild<T *>(QLatin1String(name));
}

QStringList entries(QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
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

    void showsNameInLowerCaseAndStoresWhatTheFieldShows_data()
    {
        QTest::addColumn<QString>("netName");
        QTest::addColumn<QString>("stateAfterOpen");
        QTest::addColumn<QString>("field");
        QTest::newRow("no name yet: the computer's")
            << QString() << QStringLiteral("OFFICE-PC") << QStringLiteral("office-pc");
        QTest::newRow("stored with capitals")
            << QStringLiteral("Bob") << QStringLiteral("Bob") << QStringLiteral("bob");
    }

    void showsNameInLowerCaseAndStoresWhatTheFieldShows()
    {
        QFETCH(QString, netName);
        Fixture f;
        f.state.NetName = netName;
        auto dialog = f.open();
        QTEST(f.state.NetName, "stateAfterOpen");
        QTEST(child<QLineEdit>(*dialog, "txtNetName")->text(), "field");
        dialog->cmdOK_Click();
        QTEST(f.state.NetName, "field");
        QTEST(f.stored("NetName"), "field");
    }

    void controlsCarryTheirTextsAndOrder()
    {
        Fixture f;
        auto dialog = f.open();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Network Settings"));
        QCOMPARE(dialog->size(), QSize(357, 218));
        QCOMPARE(child<QCheckBox>(*dialog, "chkActive")->text(), QStringLiteral("Activate Network Stress"));
        QCOMPARE(child<QLineEdit>(*dialog, "txtNetPath")->toolTip(),
                 QStringLiteral("Network path where all users have access"));
        QCOMPARE(child<QPushButton>(*dialog, "cmdDelete")->text(), QStringLiteral("Del"));
        QStringList order;
        QWidget *w = child<QLineEdit>(*dialog, "txtNetName");
        for (int i = 0; i < 9; ++i, w = w->nextInFocusChain()) {
            while (w->focusPolicy() == Qt::NoFocus)
                w = w->nextInFocusChain();
            order.append(w->objectName());
        }
        QCOMPARE(order, strings({"txtNetName", "txtNetPath", "cmdBrowse", "cmdOK", "cmdCancel", "chkActive",
                                 "lstUsers", "cmdAdd", "cmdDelete"}));
    }

    void okStoresSettingsAndLeavesLongerUserKeys()
    {
        Fixture f;
        f.rig.writeSettings("[Settings]\nUser4=old\n");
        f.state.UserCount = 1;
        f.state.Users[1] = QStringLiteral("ann");
        auto dialog = f.open();
        child<QLineEdit>(*dialog, "txtNetPath")->setText(f.rig.dir.path());
        child<QCheckBox>(*dialog, "chkActive")->setChecked(true);
        f.rig.dialogs.inputs = {QStringLiteral("Bob"), QStringLiteral("carl")};
        dialog->cmdAdd_Click();
        dialog->cmdAdd_Click();
        dialog->cmdOK_Click();
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QVERIFY(f.rig.dialogs.messages.isEmpty());
        QVERIFY(f.state.NetActive);
        QVERIFY(f.mnuEnableNetwork.isChecked());
        QVERIFY(f.state.SettingsChanged);
        QCOMPARE(f.state.UserCount, 3);
        QCOMPARE(f.state.Users[2], QStringLiteral("Bob"));
        QCOMPARE(f.file1.path(), f.rig.dir.path());
        QCOMPARE(f.stored("NetActive"), QStringLiteral("True"));
        QCOMPARE(f.stored("Users"), QStringLiteral("3"));
        QCOMPARE(f.stored("User3"), QStringLiteral("carl"));
        QCOMPARE(f.stored("User4"), QStringLiteral("old"));
    }

    void addRefusesWhatCannotBeAName_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("added");
        QTest::addColumn<bool>("told");
        QTest::newRow("cancel adds nobody") << QString() << false << false;
        QTest::newRow("ordinary name") << QStringLiteral("carl-pc") << true << false;
        QTest::newRow("name with spaces and accents") << QStringLiteral("Zoë 2") << true << false;
        QTest::newRow("parent folder") << QStringLiteral("..") << false << true;
        QTest::newRow("path") << QStringLiteral("../../etc/x") << false << true;
        QTest::newRow("backslash") << QStringLiteral("a\\b") << false << true;
        QTest::newRow("refused by Windows shares") << QStringLiteral("what?") << false << true;
        QTest::newRow("control character") << QStringLiteral("a\tb") << false << true;
        QTest::newRow("too long") << QString(300, QLatin1Char('n')) << false << true;
    }

    void addRefusesWhatCannotBeAName()
    {
        QFETCH(QString, typed);
        Fixture f;
        auto dialog = f.open();
        f.rig.dialogs.inputs = {typed};
        dialog->cmdAdd_Click();
        QCOMPARE(f.rig.dialogs.questions,
                 QStringList{QStringLiteral("Enter the computer name of the user.")});
        QTEST(child<QListWidget>(*dialog, "lstUsers")->count() == 1, "added");
        QTEST(f.rig.dialogs.messages.size() == 1, "told");
    }

    void fiftyUsersIsTheLimit()
    {
        Fixture f;
        f.state.UserCount = 50;
        for (int i = 1; i <= 50; ++i)
            f.state.Users[i] = QStringLiteral("user%1").arg(i);
        auto dialog = f.open();
        dialog->cmdAdd_Click();
        QVERIFY(f.rig.dialogs.questions.isEmpty());
        QCOMPARE(f.rig.dialogs.messages, QStringList{QStringLiteral("No more than 50 users can be added.")});
        QCOMPARE(child<QListWidget>(*dialog, "lstUsers")->count(), 50);
    }

    void delRemovesOnlyTheSelectedEntry()
    {
        Fixture f;
        f.state.UserCount = 2;
        f.state.Users[1] = QStringLiteral("ann");
        f.state.Users[2] = QStringLiteral("bob");
        auto dialog = f.open();
        auto *list = child<QListWidget>(*dialog, "lstUsers");
        dialog->cmdDelete_Click();
        QCOMPARE(entries(list), strings({"ann", "bob"}));
        list->item(0)->setSelected(true);
        dialog->cmdDelete_Click();
        QCOMPARE(entries(list), strings({"bob"}));
    }

    void okRefusesAComputerNameThatLeavesTheFolder()
    {
        Fixture f;
        f.state.NetName = QStringLiteral("ann");
        auto dialog = f.open();
        child<QLineEdit>(*dialog, "txtNetName")->setText(QStringLiteral("../ann"));
        dialog->cmdOK_Click();
        QCOMPARE(f.rig.dialogs.messages.size(), 1);
        QCOMPARE(f.state.NetName, QStringLiteral("ann"));
        QVERIFY(!f.state.SettingsChanged);
        QCOMPARE(f.stored("NetName"), QStringLiteral("<none>"));
    }

    void okReportsAFolderThatCannotBeUsed_data()
    {
        QTest::addColumn<bool>("hangs");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("active");
        QTest::newRow("share not answering")
            << true << QStringLiteral("Network Device is not available...") << false;
        QTest::newRow("folder missing") << false << QStringLiteral("No such file or directory") << true;
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
        child<QLineEdit>(*dialog, "txtNetPath")->setText(f.rig.dir.filePath(QStringLiteral("gone")));
        child<QCheckBox>(*dialog, "chkActive")->setChecked(true);
        dialog->cmdOK_Click();
        files->release();
        QTEST(f.rig.dialogs.messages.value(0), "message");
        QTEST(f.state.NetActive, "active");
        // What was saved before the check stays; the next save stores the change.
        QCOMPARE(f.stored("NetActive"), QStringLiteral("True"));
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
        path->setText(QStringLiteral("/typed/meanwhile"));

        QString openedAt;
        onNextModal([&](QWidget *modal) {
            openedAt = f.state.BrowsePath;
            qobject_cast<frmPath *>(modal)->cmdCancel_Click();
        });
        dialog->cmdBrowse_Click();
        QCOMPARE(openedAt, chosen.path());
        QCOMPARE(path->text(), QStringLiteral("/typed/meanwhile"));

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
        w.findChild<QAction *>(QStringLiteral("mnuNetwork"))->trigger();
        QVERIFY(!timerRan);
        QVERIFY(w.tmrMinute()->isActive());
        // Opening filled in the computer's name; Cancel changed nothing else.
        QCOMPARE(w.state().NetName, QStringLiteral("OFFICE-PC"));
        QVERIFY(!w.state().SettingsChanged);
    }

    void enableNetworkFlipsWithoutLookingAtTheFolder()
    {
        TestRig rig;
        rig.writeSettings("[Settings]\nNetPath=/no/such/share\n");
        frmMain w(rig.services());
        w.Form_Load();
        rig.dialogs.messages.clear();
        auto *entry = w.findChild<QAction *>(QStringLiteral("mnuEnableNetwork"));
        entry->trigger();
        QVERIFY(entry->isChecked());
        QVERIFY(w.state().NetActive);
        QVERIFY(w.state().SettingsChanged);
        entry->trigger();
        QVERIFY(!w.state().NetActive);
        QVERIFY(rig.dialogs.messages.isEmpty());
    }
};

QTEST_MAIN(TestFrmNetwork)
#include "tst_frmnetwork.moc"
