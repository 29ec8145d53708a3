#include "about/frmabout.h"
#include "app/frmmain.h"
#include "fakes.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

using namespace calmora;
using namespace calmora::test;
using namespace Qt::StringLiterals;

namespace {

const QString kUnavailable = u"System Information Is Unavailable At This Time"_s;

} // namespace

class TestFrmAbout : public QObject
{
    Q_OBJECT

    struct Fixture
    {
        frmAbout *open()
        {
            w.findChild<QAction *>(u"mnuAbout"_s)->trigger();
            return w.findChild<frmAbout *>(u"frmAbout"_s);
        }
        TestRig rig;
        frmMain w{rig.services()};
    };

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void oneModelessBoxWithTheBuildsVersion()
    {
        Fixture f;
        QPointer<frmAbout> first = f.open();
        QVERIFY(first);
        // The one version number, from the build.
        QCOMPARE(first->findChild<QLabel *>(u"lblVersion"_s)->text(),
                 QLatin1String("Version " CALMORA_PROJECT_VERSION));
        QVERIFY(first->isVisible());
        QVERIFY(!first->isModal());
        QCOMPARE(f.open(), first.data());
        QCOMPARE(f.w.findChildren<frmAbout *>().size(), 1);

        QTest::mouseClick(first->findChild<QPushButton *>(u"cmdOK"_s), Qt::LeftButton);
        QTRY_VERIFY(!first);
        QVERIFY(f.w.findChildren<frmAbout *>().isEmpty());
    }

    void startsTheToolTheLookupsFind_data()
    {
        QTest::addColumn<bool>("named");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("folder"); // "with", "without" the tool, or "" for none
        QTest::addColumn<bool>("startFails");
        QTest::addColumn<QString>("started"); // "FOLDER" stands for the tool in the folder
        const QString tool = u"/nowhere/sysinfo"_s;
        QTest::newRow("named program, even one that is missing")
            << true << tool << u"with"_s << false << tool;
        QTest::newRow("named program fails to start") << true << tool << QString() << true << tool;
        QTest::newRow("folder holding the tool") << false << QString() << u"with"_s << false << u"FOLDER"_s;
        QTest::newRow("folder without the tool") << false << QString() << u"without"_s << false << QString();
        QTest::newRow("nothing found") << false << QString() << QString() << false << QString();
    }

    void startsTheToolTheLookupsFind()
    {
        QFETCH(bool, named);
        QFETCH(QString, program);
        QFETCH(QString, folder);
        QFETCH(bool, startFails);
        QFETCH(QString, started);
        TestRig rig;
        FakeSystemInfo &lookup = rig.systemInfo;
        if (named)
            lookup.program = program;
        if (!folder.isEmpty()) {
            lookup.folder = rig.dir.path();
            if (folder == QLatin1String("with")) {
                QFile tool(rig.dir.filePath(lookup.fileName));
                QVERIFY(tool.open(QIODevice::WriteOnly));
            }
        }
        rig.launcher.failStarts = startFails;
        if (started == QLatin1String("FOLDER"))
            started = rig.dir.path() + QLatin1Char('/') + lookup.fileName;

        frmAbout about(rig.dialogs, rig.launcher, lookup);
        about.Form_Load();
        QTest::mouseClick(about.findChild<QPushButton *>(u"cmdSysInfo"_s), Qt::LeftButton);

        QCOMPARE(rig.launcher.starts.size(), started.isEmpty() ? 0 : 1);
        if (!started.isEmpty()) {
            QCOMPARE(rig.launcher.starts.first().program, started);
            QVERIFY(rig.launcher.starts.first().arguments.isEmpty());
        }
        const bool shown = started.isEmpty() || startFails;
        QCOMPARE(rig.dialogs.messages, shown ? QStringList{kUnavailable} : QStringList{});
        // The second lookup is asked only when the first finds nothing.
        QCOMPARE(lookup.folderLookups, named ? 0 : 1);
    }
};

QTEST_MAIN(TestFrmAbout)
#include "tst_frmabout.moc"
