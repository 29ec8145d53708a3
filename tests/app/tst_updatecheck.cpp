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

    // A build that trusts a key offers only copies signed with it, by either
    // kind of minisign signature; the user never hears of the others.
    void aBuildWithAKeyOffersOnlySignedCopies_data()
    {
        QTest::addColumn<QString>("signature"); // a fixture, or "" for none
        QTest::addColumn<bool>("changeBytes");
        QTest::addColumn<bool>("withKey");
        QTest::addColumn<UpdateOutcome>("outcome");
        QTest::newRow("signed") << u"payload.minisig"_s << false << true << UpdateOutcome::Offered;
        QTest::newRow("signed, legacy kind") << u"payload-legacy.minisig"_s << false << true << UpdateOutcome::Offered;
        QTest::newRow("no signature") << QString() << false << true << UpdateOutcome::NotSigned;
        QTest::newRow("another key") << u"payload-other-key.minisig"_s << false << true << UpdateOutcome::NotSigned;
        QTest::newRow("other bytes") << u"payload.minisig"_s << true << true << UpdateOutcome::NotSigned;
        QTest::newRow("edited comment") << u"payload-edited-comment.minisig"_s << false << true
                                        << UpdateOutcome::NotSigned;
        QTest::newRow("damaged") << u"payload-damaged.minisig"_s << false << true << UpdateOutcome::NotSigned;
        QTest::newRow("no key: unsigned is fine") << QString() << false << false << UpdateOutcome::Offered;
    }

    void aBuildWithAKeyOffersOnlySignedCopies()
    {
        QFETCH(QString, signature);
        QFETCH(bool, changeBytes);
        QFETCH(bool, withKey);
        const QString fixtures = QStringLiteral(CALMORA_MINISIGN_FIXTURES) + u'/';
        Fixture f;
        QByteArray bytes = contents(fixtures + u"payload"_s);
        if (changeBytes)
            bytes[3] = '!';
        writeProgram(f.share + u"/calmora"_s, bytes, kLocalTime.addSecs(60));
        if (!signature.isEmpty())
            QVERIFY(QFile::copy(fixtures + signature, f.share + u"/calmora.minisig"_s));
        if (withKey)
            f.rig.program.updateKey = contents(fixtures + u"test-key.pub"_s);
        QTEST(f.check(), "outcome");
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
