#include "app/appstate.h"
#include "app/frmmain.h"
#include "app/updatecheck.h"
#include "fakes.h"
#include "net/folderlisting.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

using namespace calmora;
using namespace calmora::test;
using namespace Qt::StringLiterals;

namespace {

const QString kQuestion =
    u"A newer version of Calmora exists on the network.  Do you want to update your version?"_s;
// A whole second, so offsets below a second stay within it.
const QDateTime kLocalTime = QDateTime::fromSecsSinceEpoch(1700000000);

void writeProgram(const QString &path, const QByteArray &content, const QDateTime &modified)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
    QVERIFY(file.flush()); // a later flush would set the time again
    QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
}

} // namespace

Q_DECLARE_METATYPE(calmora::UpdateOutcome)

class TestUpdateCheck : public QObject
{
    Q_OBJECT

    // A program folder and a shared folder, both with spaces in their paths.
    struct Fixture
    {
        Fixture()
        {
            QDir(rig.dir.path()).mkpath(u"my programs"_s);
            QDir(rig.dir.path()).mkpath(u"shared folder"_s);
            rig.program.folder = rig.dir.filePath(u"my programs"_s);
            share = rig.dir.filePath(u"shared folder"_s);
            localCopy = rig.program.folder + u"/calmora"_s;
            writeProgram(localCopy, "old", kLocalTime);
            state.NetPath = share;
            File1.setPath(share);
        }
        UpdateOutcome check()
        {
            const Services services = rig.services();
            return Check_Update({state, File1, services, nullptr});
        }
        TestRig rig;
        AppState state;
        FolderListing File1;
        QString share;
        QString localCopy;
    };

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void asksOnlyForTheSameNameModifiedLater_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("laterMs");
        QTest::addColumn<UpdateOutcome>("outcome");
        QTest::newRow("same time") << "calmora" << 0 << UpdateOutcome::NotNewer;
        QTest::newRow("later within the same second") << "calmora" << 900 << UpdateOutcome::NotNewer;
        QTest::newRow("one second later") << "calmora" << 1000 << UpdateOutcome::UpdaterStarted;
        QTest::newRow("name differs in case") << "Calmora" << 60000 << UpdateOutcome::NoNetworkCopy;
        QTest::newRow("name with extension") << "calmora.exe" << 60000 << UpdateOutcome::NoNetworkCopy;
    }

    void asksOnlyForTheSameNameModifiedLater()
    {
        QFETCH(QString, name);
        QFETCH(int, laterMs);
        QFETCH(UpdateOutcome, outcome);
        Fixture f;
        writeProgram(f.share + QLatin1Char('/') + name, "new", kLocalTime.addMSecs(laterMs));

        QCOMPARE(f.check(), outcome);
        const bool asked = outcome == UpdateOutcome::UpdaterStarted;
        QCOMPARE(f.rig.dialogs.questions, asked ? QStringList{kQuestion} : QStringList{});
        QVERIFY(f.rig.dialogs.messages.isEmpty());
        QCOMPARE(f.rig.launcher.starts.size(), asked ? 1 : 0);
        if (asked) { // both paths, as two arguments
            QCOMPARE(f.rig.launcher.starts[0].program, f.rig.program.folder + u"/update"_s);
            QCOMPARE(f.rig.launcher.starts[0].arguments, (QStringList{f.share + u"/calmora"_s, f.localCopy}));
        }
    }

    void noLeavesEverythingAndAsksAgainNextTime()
    {
        Fixture f;
        writeProgram(f.share + u"/calmora"_s, "new", kLocalTime.addSecs(1));
        f.rig.dialogs.answers = {false, false};
        QCOMPARE(f.check(), UpdateOutcome::Declined);
        QVERIFY(f.rig.launcher.starts.isEmpty());
        QFile local(f.localCopy);
        QVERIFY(local.open(QIODevice::ReadOnly));
        QCOMPARE(local.readAll(), QByteArray("old"));
        QCOMPARE(QFileInfo(f.localCopy).lastModified(), kLocalTime);

        QCOMPARE(f.check(), UpdateOutcome::Declined);
        QCOMPARE(f.rig.dialogs.questions.size(), 2);
    }

    void noSharedFolderLooksNowhere()
    {
        // The listing still shows a folder it was bound to earlier.
        Fixture f;
        writeProgram(f.share + u"/calmora"_s, "new", kLocalTime.addSecs(60));
        f.state.NetPath.clear();
        QCOMPARE(f.check(), UpdateOutcome::NoNetworkCopy);
        QVERIFY(f.rig.dialogs.questions.isEmpty());
    }

    void failuresAreSilent()
    {
        Fixture f;
        writeProgram(f.share + u"/calmora"_s, "new", kLocalTime.addSecs(60));
        f.rig.launcher.failStarts = true;
        QCOMPARE(f.check(), UpdateOutcome::Failed);
        QCOMPARE(f.rig.launcher.starts.size(), 1);

        QVERIFY(QFile::remove(f.localCopy));
        QCOMPARE(f.check(), UpdateOutcome::Failed);
        QCOMPARE(f.rig.dialogs.questions.size(), 1); // only the first check asked
        QVERIFY(f.rig.dialogs.messages.isEmpty());
    }

    void startUpAsksThenGoesOn()
    {
        Fixture f;
        writeProgram(f.share + u"/calmora"_s, "new", kLocalTime.addSecs(60));
        f.rig.writeSettings("[Settings]\nNetPath=" + f.share.toUtf8() + "\n");
        f.rig.dialogs.answers = {false};
        frmMain w(f.rig.services());
        w.Form_Load();
        QCOMPARE(f.rig.dialogs.questions, QStringList{kQuestion});
        QVERIFY(w.tmrMinute()->isActive());
        QVERIFY(!w.state().SettingsChanged);
    }
};

QTEST_MAIN(TestUpdateCheck)
#include "tst_updatecheck.moc"
