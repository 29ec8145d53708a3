#include "app/updatecheck.h"
#include "core/appstate.h"
#include "fakes.h"
#include "net/folderlisting.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTest>

using namespace calmora;
using namespace calmora::test;
using namespace Qt::StringLiterals;

namespace {

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
            rig.program.folder = rig.path(u"my programs"_s);
            share = rig.path(u"shared folder"_s);
            localCopy = rig.program.folder + u"/calmora"_s;
            writeProgram(localCopy, "old", kLocalTime);
            state.NetPath = share;
            File1.setPath(share);
        }
        UpdateOutcome check()
        {
            UpdateOutcome outcome{};
            offer = findUpdate(state, File1, rig.program, &outcome);
            return offer ? UpdateOutcome::Offered : outcome;
        }
        TestRig rig;
        AppState state;
        FolderListing File1{rig.files};
        QString share;
        QString localCopy;
        std::optional<UpdateOffer> offer;
    };

private Q_SLOTS:
    void offersOnlyTheSameNameModifiedLater_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("laterMs");
        QTest::addColumn<bool>("clearPath");
        QTest::addColumn<UpdateOutcome>("outcome");
        QTest::newRow("same time") << "calmora" << 0 << false << UpdateOutcome::NotNewer;
        QTest::newRow("later within the same second") << "calmora" << 900 << false << UpdateOutcome::NotNewer;
        QTest::newRow("one second later") << "calmora" << 1000 << false << UpdateOutcome::Offered;
        QTest::newRow("name differs in case") << "Calmora" << 60000 << false << UpdateOutcome::NoNetworkCopy;
        QTest::newRow("name with extension") << "calmora.exe" << 60000 << false << UpdateOutcome::NoNetworkCopy;
        // The listing still shows the folder it was bound to earlier.
        QTest::newRow("no shared folder") << "calmora" << 60000 << true << UpdateOutcome::NoNetworkCopy;
    }

    void offersOnlyTheSameNameModifiedLater()
    {
        QFETCH(QString, name);
        QFETCH(int, laterMs);
        QFETCH(bool, clearPath);
        Fixture f;
        writeProgram(f.share + QLatin1Char('/') + name, "new", kLocalTime.addMSecs(laterMs));
        if (clearPath)
            f.state.NetPath.clear();
        QTEST(f.check(), "outcome");
        if (!f.offer)
            return;
        // Both paths, as two arguments, to the updater beside the program.
        QVERIFY(startUpdater(f.rig.launcher, f.rig.program, *f.offer));
        QCOMPARE(f.rig.launcher.starts[0].program, f.rig.program.folder + u"/update"_s);
        QCOMPARE(f.rig.launcher.starts[0].arguments, (QStringList{f.share + u"/calmora"_s, f.localCopy}));
        QCOMPARE(contents(f.localCopy), QByteArray("old"));
    }

    void failuresAreSilent()
    {
        Fixture f;
        writeProgram(f.share + u"/calmora"_s, "new", kLocalTime.addSecs(60));
        QCOMPARE(f.check(), UpdateOutcome::Offered);
        f.rig.launcher.failStarts = true;
        QVERIFY(!startUpdater(f.rig.launcher, f.rig.program, *f.offer));
        QVERIFY(QFile::remove(f.localCopy));
        QCOMPARE(f.check(), UpdateOutcome::Failed);
    }
};

QTEST_GUILESS_MAIN(TestUpdateCheck)
#include "tst_updatecheck.moc"
