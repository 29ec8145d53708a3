// Updates: which newer copy in the shared folder is offered, the minisign
// signatures a build that trusts a key asks of it, and the updater replacing
// the program with it.

#include "app/minisign.h"
#include "app/updatecheck.h"
#include "core/appstate.h"
#include "fakes.h"
#include "net/folderlisting.h"
#include "programreplacer.h"

#include <QDateTime>

using namespace calmora;
using namespace calmora::update;
using namespace calmora::test;
using namespace Qt::StringLiterals;

namespace {

// A whole second, so offsets below a second stay within it.
const QDateTime kLocalTime = QDateTime::fromSecsSinceEpoch(1700000000);

// Made by the real minisign tool; see the README beside them.
QByteArray fixture(const QString &name)
{
    return contents(QStringLiteral(CALMORA_MINISIGN_FIXTURES "/") + name);
}

void writeProgram(const QString &path, const QByteArray &content, const QDateTime &modified)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
    QVERIFY(file.flush()); // a later flush would set the time again
    QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
}

QByteArray withLine(const QByteArray &file, int index, const QByteArray &line)
{
    QList<QByteArray> lines = file.split('\n');
    lines[index] = line;
    return lines.join('\n');
}

// Larger than one block of the copy; a block copied twice or skipped shows.
QByteArray bigProgram()
{
    return fixture(u"payload"_s).repeated(7000);
}

} // namespace

Q_DECLARE_METATYPE(calmora::UpdateOutcome)

class TestUpdates : public QObject
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
            writeProgram(localCopy, "old", kLocalTime);
            QFile::setPermissions(localCopy, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                 | QFileDevice::ExeOwner | QFileDevice::ReadGroup
                                                 | QFileDevice::ExeGroup);
            state.NetPath = share;
            File1.setPath(share);
        }
        // For the updater: a newer copy, larger than one block of the copy so
        // it can be interrupted halfway, and not runnable, as shares often report.
        void shareNewer()
        {
            writeProgram(networkCopy, bigProgram(), kLocalTime.addSecs(60));
            QFile::setPermissions(networkCopy, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        }
        QStringList programFolder() const
        {
            return QDir(rig.program.folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
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
        QString share = rig.path(u"shared folder"_s);
        QString localCopy = rig.path(u"my programs/calmora"_s);
        QString networkCopy = share + u"/calmora"_s;
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
        // Failures are silent.
        f.rig.launcher.failStarts = true;
        QVERIFY(!startUpdater(f.rig.launcher, f.rig.program, *f.offer));
        QVERIFY(QFile::remove(f.localCopy));
        QCOMPARE(f.check(), UpdateOutcome::Failed);
    }

    // A build that trusts a key offers only copies signed with it; the user
    // never hears of the others.
    void aBuildWithAKeyOffersOnlySignedCopies_data()
    {
        QTest::addColumn<QString>("signature"); // a fixture, or "" for none
        QTest::addColumn<bool>("changeBytes");
        QTest::addColumn<bool>("withKey");
        QTest::addColumn<UpdateOutcome>("outcome");
        QTest::newRow("signed") << u"payload.minisig"_s << false << true << UpdateOutcome::Offered;
        QTest::newRow("no signature") << QString() << false << true << UpdateOutcome::NotSigned;
        // The signature check below meets every kind of bad signature; one stands for them here.
        QTest::newRow("other bytes") << u"payload.minisig"_s << true << true << UpdateOutcome::NotSigned;
        QTest::newRow("no key: unsigned is fine") << QString() << false << false << UpdateOutcome::Offered;
    }

    void aBuildWithAKeyOffersOnlySignedCopies()
    {
        QFETCH(QString, signature);
        QFETCH(bool, changeBytes);
        QFETCH(bool, withKey);
        Fixture f;
        QByteArray bytes = fixture(u"payload"_s);
        if (changeBytes)
            bytes[3] = '!';
        writeProgram(f.share + u"/calmora"_s, bytes, kLocalTime.addSecs(60));
        if (!signature.isEmpty())
            put(f.share + u"/calmora.minisig"_s, fixture(signature));
        if (withKey)
            f.rig.program.updateKey = fixture(u"test-key.pub"_s);
        QTEST(f.check(), "outcome");
    }

    void minisignAcceptsOnlyAnUntouchedSignatureByTheKey_data()
    {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("signature");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QString>("why"); // empty when the signature is good
        const QByteArray pub = fixture(u"test-key.pub"_s);
        const QByteArray good = fixture(u"payload.minisig"_s);
        const QByteArray legacy = fixture(u"payload-legacy.minisig"_s);
        const QByteArray payload = fixture(u"payload"_s);
        QByteArray changed = payload;
        changed[7] = char(changed[7] ^ 0x01);
        QByteArray otherAlgorithm = QByteArray::fromBase64(good.split('\n').at(1));
        otherAlgorithm[1] = 'X';

        QTest::newRow("prehashed, whole .pub file") << pub << good << payload << QString();
        QTest::newRow("legacy, key line alone") << pub.split('\n').at(1) << legacy << payload << QString();
        QTest::newRow("CRLF line ends")
            << pub << QByteArray(good).replace("\n", "\r\n") << payload << QString();
        QTest::newRow("another key") << pub << fixture(u"payload-other-key.minisig"_s) << payload
                                     << u"another key"_s;
        QTest::newRow("changed bytes") << pub << good << changed << u"does not match the file's bytes"_s;
        QTest::newRow("changed bytes, legacy")
            << pub << legacy << changed << u"does not match the file's bytes"_s;
        QTest::newRow("edited trusted comment") << pub << fixture(u"payload-edited-comment.minisig"_s)
                                                << payload << u"trusted comment's signature does not match"_s;
        QTest::newRow("damaged") << pub << fixture(u"payload-damaged.minisig"_s) << payload << u"damaged"_s;
        QTest::newRow("unknown algorithm")
            << pub << withLine(good, 1, otherAlgorithm.toBase64()) << payload << u"unknown algorithm"_s;
        QTest::newRow("three lines") << pub << good.first(good.lastIndexOf('\n', -2)) << payload
                                     << u"3 lines"_s;
        QTest::newRow("empty file") << pub << QByteArray() << payload << u"empty"_s;
        QTest::newRow("huge comment")
            << pub << withLine(good, 0, "untrusted comment: " + QByteArray(8000, 'x')) << payload
            << u"too large"_s;
        QTest::newRow("key line malformed")
            << pub.left(pub.size() - 5) << good << payload << u"not a minisign key line"_s;
    }

    void minisignAcceptsOnlyAnUntouchedSignatureByTheKey()
    {
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, signature);
        QFETCH(QByteArray, payload);
        QFETCH(QString, why);
        QVERIFY2(!payload.isEmpty(), CALMORA_MINISIGN_FIXTURES);
        QString keyProblem;
        const std::optional<MinisignKey> parsed = parseMinisignKey(key, &keyProblem);
        const SignatureCheck check =
            parsed ? verifyMinisign(*parsed, signature, payload) : SignatureCheck{false, keyProblem};
        QVERIFY2(why.isEmpty() ? check.why.isEmpty() : check.why.contains(why), qPrintable(check.why));
        QCOMPARE(check.valid, why.isEmpty());
    }

    void replacesTheProgramInOneStep()
    {
        Fixture f;
        f.shareNewer();
        const ReplaceResult result = replaceProgram(f.networkCopy, f.localCopy);
        QVERIFY2(result.ok, qPrintable(result.message));
        QVERIFY(result.message.startsWith(QLatin1String("Calmora has been updated")));
        QCOMPARE(contents(f.localCopy), bigProgram());
        QVERIFY(
            QFileInfo(f.localCopy).permissions().testFlags(QFileDevice::ExeOwner | QFileDevice::ExeGroup));
        // The time comes along, so the update check finds nothing newer next time.
        QCOMPARE(QFileInfo(f.localCopy).lastModified().toSecsSinceEpoch(),
                 kLocalTime.addSecs(60).toSecsSinceEpoch());
        QCOMPARE(f.programFolder(), QStringList{u"calmora"_s});
    }

    void failureLeavesTheOldProgram_data()
    {
        QTest::addColumn<QString>("source"); // in the test folder; "" for the newer copy
        QTest::addColumn<QString>("target"); // "" for the installed program
        QTest::addColumn<QString>("how");
        QTest::newRow("missing new version") << u"shared folder/nothing"_s << QString() << QString();
        QTest::newRow("new version is a folder") << u"shared folder"_s << QString() << QString();
        QTest::newRow("program's folder is missing") << QString() << u"gone/calmora"_s << QString();
        QTest::newRow("copy interrupted") << QString() << QString() << u"interrupted"_s;
        QTest::newRow("copied bytes refused") << QString() << QString() << u"refused"_s;
        QTest::newRow("new version still being written") << QString() << QString() << u"growing"_s;
    }

    void failureLeavesTheOldProgram()
    {
        QFETCH(QString, source);
        QFETCH(QString, target);
        QFETCH(QString, how);
        Fixture f;
        f.shareNewer();
        ReplaceOptions options;
        int retries = 0;
        options.retry = [&retries](int) { return ++retries < 5; };
        if (how == u"interrupted"_s)
            options.progress = [](qint64 copied) { return copied < 100000; };
        if (how == u"growing"_s) // an upload still going on as the copy starts
            options.progress = [&f](qint64 copied) {
                QFile grow(f.networkCopy);
                return copied > 65536 || (grow.open(QIODevice::Append) && grow.write("more") == 4);
            };
        if (how == u"refused"_s)
            options.verify = [](const QByteArray &copied) {
                return copied == bigProgram() ? u"its signature is not valid"_s : u"copied wrong"_s;
            };
        const ReplaceResult result =
            replaceProgram(source.isEmpty() ? f.networkCopy : f.rig.path(source),
                           target.isEmpty() ? f.localCopy : f.rig.path(target), options);
        QVERIFY(!result.ok);
        QVERIFY2(result.message.startsWith(QLatin1String("Calmora could not be updated: "))
                     && result.message.contains(QLatin1String("is unchanged")),
                 qPrintable(result.message));
        if (how == u"refused"_s)
            QVERIFY(result.message.contains(u"its signature is not valid"_s));
        QCOMPARE(contents(f.localCopy), QByteArray("old"));
        QCOMPARE(f.programFolder(), QStringList{u"calmora"_s});
        QVERIFY(!QFile::exists(f.rig.path(u"gone"_s)));
        // Only a refused rename is worth waiting for.
        QCOMPARE(retries, 0);
    }
};

QTEST_GUILESS_MAIN(TestUpdates)
#include "tst_updates.moc"
