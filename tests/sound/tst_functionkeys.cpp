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
using namespace Qt::StringLiterals;

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
            return rig.reopenStore()->get(u"Function Keys"_s, u"F%1"_s.arg(n), QString());
        }
        TestRig rig;
        frmMain w{rig.services()};
    };

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void keysPlayTheirAssignment()
    {
        Fixture f;
        auto *list = f.w.findChild<QListWidget *>(u"List1"_s);
        // Whichever control has the focus, the window sees the key once.
        QTest::keyClick(list, Qt::Key_F1);
        QCOMPARE(f.rig.player.log, (QStringList{u"file /s/one.wav"_s, u"wait off"_s, u"command sound"_s}));
        f.rig.player.log.clear();
        QTest::keyClick(list, Qt::Key_F5); // nothing assigned
        QVERIFY(f.rig.player.log.isEmpty());
        QTest::keyClick(list, Qt::Key_F2); // "Random": a ticked sound, to its end
        QCOMPARE(f.rig.player.soundsPlayed(), QStringList{u"/s/a.wav"_s});
        QVERIFY(f.rig.player.wait);
        f.rig.player.log.clear();
        QTest::keyClick(list, Qt::Key_F3); // "random" is just a file name
        QCOMPARE(f.rig.player.soundsPlayed(), QStringList{u"random"_s});
        QVERIFY(!f.rig.player.wait);
    }

    void editsAreInForceAtOnce()
    {
        Fixture f;
        frmFKeys *d = f.open();
        QComboBox *combo = d->cmbWaves();
        QCOMPARE(combo->currentText(), u"/s/one.wav"_s);
        QVERIFY(!f.w.state().SettingsChanged); // showing is not editing
        QCOMPARE(f.open(), d);                 // one dialog however often it is asked for
        combo->setCurrentIndex(0);
        Q_EMIT combo->activated(0); // picking "None Selected" clears the key
        QVERIFY(f.w.state().FunctionKeyTable[1].isEmpty());
        QVERIFY(f.w.state().SettingsChanged);
        QTest::keyClick(f.w.findChild<QListWidget *>(u"List1"_s), Qt::Key_F1);
        QVERIFY(f.rig.player.soundsPlayed().isEmpty());
    }

    void cancelForgetsAndApplyKeeps()
    {
        Fixture f;
        frmFKeys *d = f.open();
        d->tbsOptions()->setCurrentIndex(6);
        d->cmbWaves()->setCurrentIndex(3);
        Q_EMIT d->cmbWaves()->activated(3);
        d->findChild<QPushButton *>(u"cmdApply"_s)->click();
        QCOMPARE(f.stored(7), u"/s/b.wav"_s);
        QCOMPARE(f.stored(12), QString());
        d->cmbWaves()->setCurrentIndex(2);
        Q_EMIT d->cmbWaves()->activated(2);
        d->findChild<QPushButton *>(u"cmdCancel"_s)->click();
        QTRY_VERIFY(!f.w.functionKeys().dialog());
        QCOMPARE(f.w.state().FunctionKeyTable[7], u"/s/a.wav"_s); // still in force
        QCOMPARE(f.stored(7), u"/s/b.wav"_s);

        d = f.open(); // reopening reads the stored table back
        QCOMPARE(f.w.state().FunctionKeyTable[7], u"/s/b.wav"_s);
        d->tbsOptions()->setCurrentIndex(6);
        QCOMPARE(d->cmbWaves()->currentText(), u"/s/b.wav"_s);
        d->findChild<QPushButton *>(u"cmdOK"_s)->click();
        QTRY_VERIFY(!f.w.functionKeys().dialog());
    }
};

QTEST_MAIN(TestFunctionKeys)
#include "tst_functionkeys.moc"
