#include "fakes.h"
#include "programreplacer.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace calmora::update;
using calmora::test::contents;
using namespace Qt::StringLiterals;

namespace {

const QDateTime kNewTime = QDateTime::fromSecsSinceEpoch(1700000000);

// Larger than one block of the copy, so it can be interrupted halfway.
QByteArray bigProgram()
{
    QByteArray bytes;
    for (int i = 0; i < 300000; ++i)
        bytes.append(char(i * 7));
    return bytes;
}

} // namespace

class TestUpdater : public QObject
{
    Q_OBJECT

    // An installed program and a newer copy on a "share", with spaces in both paths.
    struct Fixture
    {
        Fixture()
        {
            QDir(dir.path()).mkpath(u"my programs"_s);
            QDir(dir.path()).mkpath(u"shared folder"_s);
            local = dir.filePath(u"my programs/calmora"_s);
            network = dir.filePath(u"shared folder/calmora"_s);
            calmora::test::put(local, "old program");
            QFile::setPermissions(local, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                             | QFileDevice::ExeOwner | QFileDevice::ReadGroup
                                             | QFileDevice::ExeGroup);
            calmora::test::put(network, bigProgram());
            // Shares often report no permission to run anything.
            QFile::setPermissions(network, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
            QFile file(network);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(kNewTime, QFileDevice::FileModificationTime));
        }
        QStringList programFolder() const
        {
            return QDir(QFileInfo(local).path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
        }
        QTemporaryDir dir;
        QString local;
        QString network;
    };

private Q_SLOTS:
    void replacesTheProgramInOneStep()
    {
        Fixture f;
        const ReplaceResult result = replaceProgram(f.network, f.local);
        QVERIFY2(result.ok, qPrintable(result.message));
        QVERIFY(result.message.startsWith(QLatin1String("Calmora has been updated")));
        QCOMPARE(contents(f.local), bigProgram());
        QVERIFY(QFileInfo(f.local).permissions().testFlag(QFileDevice::ExeOwner));
        QVERIFY(QFileInfo(f.local).permissions().testFlag(QFileDevice::ExeGroup));
        // The time comes along, so the update check finds nothing newer next time.
        QCOMPARE(QFileInfo(f.local).lastModified().toSecsSinceEpoch(), kNewTime.toSecsSinceEpoch());
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
        source = source.isEmpty() ? f.network : f.dir.filePath(source);
        target = target.isEmpty() ? f.local : f.dir.filePath(target);
        ReplaceOptions options;
        int retries = 0;
        options.retry = [&retries](int) { return ++retries < 5; };
        if (how == u"interrupted"_s)
            options.progress = [](qint64 copied) { return copied < 100000; };
        if (how == u"growing"_s) // an upload still going on as the copy starts
            options.progress = [&f](qint64 copied) {
                QFile grow(f.network);
                return copied > 65536 || (grow.open(QIODevice::Append) && grow.write("more") == 4);
            };
        if (how == u"refused"_s)
            options.verify = [](const QByteArray &copied) {
                return copied == bigProgram() ? u"its signature is not valid"_s : u"copied wrong"_s;
            };
        const ReplaceResult result = replaceProgram(source, target, options);
        QVERIFY(!result.ok);
        QVERIFY2(result.message.startsWith(QLatin1String("Calmora could not be updated: ")),
                 qPrintable(result.message));
        QVERIFY(result.message.contains(QLatin1String("is unchanged")));
        if (how == u"refused"_s)
            QVERIFY(result.message.contains(u"its signature is not valid"_s));
        QCOMPARE(contents(f.local), QByteArray("old program"));
        QCOMPARE(f.programFolder(), QStringList{u"calmora"_s});
        QVERIFY(!QFile::exists(f.dir.filePath(u"gone"_s)));
        // Only a refused rename is worth waiting for.
        QCOMPARE(retries, 0);
    }
};

QTEST_GUILESS_MAIN(TestUpdater)
#include "tst_updater.moc"
