#include "app/frmmain.h"
#include "fakes.h"
#include "list/soundlist.h"
#include "sound/frmfkeys.h"
#include "sound/functionkeys.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabBar>
#include <QTest>

using namespace calmora;
using namespace calmora::test;

class TestFunctionKeys : public QObject
{
    Q_OBJECT

    struct Fixture
    {
        Fixture()
        {
            rig.writeSettings("[Function%20Keys]\nF1=/s/one.wav\nF2=Random\nF3=random\n"
                              "[WAV%20Files]\nNumWavs=2\nwav0=\"/s/a.wav,True\"\nwav1=\"/s/b.wav,False\"\n");
            w.Form_Load();
            rig.player.log.clear();
        }
        frmFKeys *open()
        {
            w.functionKeys().mnuFunctionKeys_Click();
            return w.functionKeys().dialog();
        }
        QString stored(int n) const
        {
            return rig.reopenStore()->get(QStringLiteral("Function Keys"), QStringLiteral("F%1").arg(n), QString());
        }
        TestRig rig;
        frmMain w{rig.services()};
    };

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void keysPlayTheirAssignment()
    {
        Fixture f;
        auto *list = f.w.findChild<QListWidget *>(QStringLiteral("List1"));
        // Whichever control has the focus, the window sees the key once.
        QTest::keyClick(list, Qt::Key_F1);
        QCOMPARE(f.rig.player.log, (QStringList{QStringLiteral("file /s/one.wav"), QStringLiteral("wait off"),
                                                QStringLiteral("command sound")}));
        f.rig.player.log.clear();
        QTest::keyClick(list, Qt::Key_F5); // nothing assigned
        QVERIFY(f.rig.player.log.isEmpty());
        QTest::keyClick(list, Qt::Key_F2); // "Random": a ticked sound, to its end
        QCOMPARE(f.rig.player.soundsPlayed(), QStringList{QStringLiteral("/s/a.wav")});
        QVERIFY(f.rig.player.wait);
        f.rig.player.log.clear();
        QTest::keyClick(list, Qt::Key_F3); // "random" is just a file name
        QCOMPARE(f.rig.player.soundsPlayed(), QStringList{QStringLiteral("random")});
        QVERIFY(!f.rig.player.wait);
        f.rig.player.log.clear();
        QTest::keyClick(list, Qt::Key_A);
        QVERIFY(f.rig.player.log.isEmpty());
    }

    void dialogOffersEveryEntryAndShowsTheStoredTable()
    {
        Fixture f;
        frmFKeys *d = f.open();
        QVERIFY(d);
        QCOMPARE(d->windowTitle(), QStringLiteral("Function Key Assignments"));
        QCOMPARE(d->tbsOptions()->count(), 12);
        QCOMPARE(d->tbsOptions()->tabToolTip(11), QStringLiteral("Assign WAV file to F12 Key"));
        QComboBox *combo = d->cmbWaves();
        QCOMPARE(combo->count(), 4);
        QCOMPARE(combo->itemText(0), QStringLiteral("None Selected"));
        QCOMPARE(combo->itemText(3), QStringLiteral("/s/b.wav"));
        QCOMPARE(combo->currentText(), QStringLiteral("/s/one.wav"));
        d->tbsOptions()->setCurrentIndex(4);
        QCOMPARE(combo->currentText(), QStringLiteral("None Selected"));
        QVERIFY(!f.w.state().SettingsChanged); // showing is not editing
        // One dialog however often it is asked for.
        QCOMPARE(f.open(), d);
    }

    void editsAreInForceAtOnce()
    {
        Fixture f;
        frmFKeys *d = f.open();
        d->tbsOptions()->setCurrentIndex(0);
        QComboBox *combo = d->cmbWaves();
        combo->setCurrentIndex(0);
        Q_EMIT combo->activated(0); // picking "None Selected" clears the key
        QVERIFY(f.w.state().FunctionKeyTable[1].isEmpty());
        QVERIFY(f.w.state().SettingsChanged);

        d->tbsOptions()->setCurrentIndex(1);
        combo->lineEdit()->selectAll();
        QTest::keyClicks(combo->lineEdit(), QStringLiteral("None Selected"));
        QCOMPARE(f.w.state().FunctionKeyTable[2], QStringLiteral("None Selected"));

        QTest::keyClick(f.w.findChild<QListWidget *>(QStringLiteral("List1")), Qt::Key_F2);
        QCOMPARE(f.rig.player.soundsPlayed(), QStringList{QStringLiteral("None Selected")});
    }

    void cancelForgetsAndApplyKeeps()
    {
        Fixture f;
        frmFKeys *d = f.open();
        d->tbsOptions()->setCurrentIndex(6);
        d->cmbWaves()->setCurrentIndex(3);
        Q_EMIT d->cmbWaves()->activated(3);
        d->findChild<QPushButton *>(QStringLiteral("cmdApply"))->click();
        QCOMPARE(f.stored(7), QStringLiteral("/s/b.wav"));
        QCOMPARE(f.stored(12), QString());
        d->cmbWaves()->setCurrentIndex(2);
        Q_EMIT d->cmbWaves()->activated(2);
        d->findChild<QPushButton *>(QStringLiteral("cmdCancel"))->click();
        QTRY_VERIFY(!f.w.functionKeys().dialog());
        QCOMPARE(f.w.state().FunctionKeyTable[7], QStringLiteral("/s/a.wav")); // still in force
        QCOMPARE(f.stored(7), QStringLiteral("/s/b.wav"));

        d = f.open(); // reopening reads the stored table back
        QCOMPARE(f.w.state().FunctionKeyTable[7], QStringLiteral("/s/b.wav"));
        d->tbsOptions()->setCurrentIndex(6);
        QCOMPARE(d->cmbWaves()->currentText(), QStringLiteral("/s/b.wav"));
        d->findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
        QTRY_VERIFY(!f.w.functionKeys().dialog());
    }

    void ctrlTabWrapsFromF12ToF1()
    {
        Fixture f;
        frmFKeys *d = f.open();
        d->tbsOptions()->setCurrentIndex(11);
        QTest::keyClick(d->cmbWaves()->lineEdit(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(d->tbsOptions()->currentIndex(), 0);
        QTest::keyClick(d->cmbWaves()->lineEdit(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(d->tbsOptions()->currentIndex(), 1);
        QTest::keyClick(d->cmbWaves()->lineEdit(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(d->tbsOptions()->currentIndex(), 1);
    }
};

QTEST_MAIN(TestFunctionKeys)
#include "tst_functionkeys.moc"
