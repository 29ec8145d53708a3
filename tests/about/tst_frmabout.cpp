#include "about/frmabout.h"
#include "app/frmmain.h"
#include "fakes.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

using namespace calmora;
using namespace calmora::test;

namespace {

const QString kUnavailable = QStringLiteral("System Information Is Unavailable At This Time");

} // namespace

class TestFrmAbout : public QObject
{
    Q_OBJECT

    struct Fixture
    {
        frmAbout *open()
        {
            w.findChild<QAction *>(QStringLiteral("mnuAbout"))->trigger();
            return w.findChild<frmAbout *>(QStringLiteral("frmAbout"));
        }
        TestRig rig;
        frmMain w{rig.services()};
    };

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void showsTitleAndTheBuildsVersion()
    {
        Fixture f;
        frmAbout *about = f.open();
        QVERIFY(about);
        QCOMPARE(about->windowTitle(), QStringLiteral("About Calmora"));
        QCOMPARE(about->findChild<QLabel *>(QStringLiteral("lblTitle"))->text(), QStringLiteral("Calmora"));
        // The one version number, from the build.
        QCOMPARE(about->findChild<QLabel *>(QStringLiteral("lblVersion"))->text(),
                 QLatin1String("Version " CALMORA_PROJECT_VERSION));
        QVERIFY(about->isVisible());
        QVERIFY(!about->isModal());
        QVERIFY(about->findChild<QPushButton *>(QStringLiteral("cmdOK"))->isDefault());
        QCOMPARE(about->findChild<QPushButton *>(QStringLiteral("cmdSysInfo"))->text(),
                 QStringLiteral("&System Info..."));
    }

    void oneBoxAtATime()
    {
        Fixture f;
        QPointer<frmAbout> first = f.open();
        QCOMPARE(f.open(), first.data());
        QCOMPARE(f.w.findChildren<frmAbout *>().size(), 1);

        QTest::mouseClick(first->findChild<QPushButton *>(QStringLiteral("cmdOK")), Qt::LeftButton);
        QTRY_VERIFY(!first);
        QPointer<frmAbout> second = f.open();
        QVERIFY(second);
        QTest::keyClick(second, Qt::Key_Escape);
        QTRY_VERIFY(!second);
        QVERIFY(f.w.findChildren<frmAbout *>().isEmpty());
    }

    void startsTheToolTheLookupsFind_data()
    {
        QTest::addColumn<bool>("named");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("folder"); // "with", "without" the tool, or "" for none
        QTest::addColumn<bool>("startFails");
        QTest::addColumn<QString>("started"); // "FOLDER" stands for the tool in the folder
        QTest::newRow("named program, even one that is missing") << true << "/nowhere/sysinfo"
                                                                 << "with" << false << "/nowhere/sysinfo";
        QTest::newRow("named program fails to start") << true << "/nowhere/sysinfo"
                                                      << "" << true << "/nowhere/sysinfo";
        QTest::newRow("named, but empty") << true << ""
                                          << "with" << false << "";
        QTest::newRow("folder holding the tool") << false << ""
                                                 << "with" << false << "FOLDER";
        QTest::newRow("tool in the folder fails to start") << false << ""
                                                           << "with" << true << "FOLDER";
        QTest::newRow("folder without the tool") << false << ""
                                                 << "without" << false << "";
        QTest::newRow("nothing found") << false << ""
                                       << "" << false << "";
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
        QTest::mouseClick(about.findChild<QPushButton *>(QStringLiteral("cmdSysInfo")), Qt::LeftButton);

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
