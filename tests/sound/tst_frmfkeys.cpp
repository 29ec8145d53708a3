#include "app/frmmain.h"
#include "fakes.h"
#include "sound/frmfkeys.h"

#include <QAction>
#include <QComboBox>
#include <QListView>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabBar>
#include <QTest>

using namespace calmora;
using namespace calmora::test;
using namespace Qt::StringLiterals;

class TestFrmFKeys : public QObject
{
    Q_OBJECT

    struct Fixture
    {
        Fixture()
        {
            rig.writeSettings("[Function%20Keys]\nF1=/s/one.wav\n"
                              "[WAV%20Files]\nNumWavs=2\nwav0=\"/s/a.wav,True\"\nwav1=\"/s/b.wav,False\"\n");
            w.Form_Load();
            rig.player.log.clear();
        }
        frmFKeys *open()
        {
            w.findChild<QAction *>(u"mnuFunctionKeys"_s)->trigger();
            return w.findChild<frmFKeys *>();
        }
        void pick(frmFKeys *d, int item)
        {
            d->cmbWaves()->setCurrentIndex(item);
            Q_EMIT d->cmbWaves()->activated(item);
        }
        void press(frmFKeys *d, const char *button) { d->findChild<QPushButton *>(QLatin1String(button))->click(); }
        TestRig rig;
        frmMain w{rig.services()};
    };

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void editsAreInForceAtOnce()
    {
        Fixture f;
        frmFKeys *d = f.open();
        QCOMPARE(d->cmbWaves()->currentText(), u"/s/one.wav"_s);
        QVERIFY(!f.w.state().SettingsChanged); // showing is not editing
        QCOMPARE(f.open(), d);                 // one dialog however often it is asked for
        f.pick(d, 0);                          // "None Selected" clears the key
        QVERIFY(f.w.state().FunctionKeyTable[1].isEmpty());
        QTest::keyClick(f.w.findChild<QListView *>(u"List1"_s), Qt::Key_F1);
        QVERIFY(f.rig.player.soundsPlayed().isEmpty());
        // The dialog stores its own edits: none of them waits to be saved at exit.
        QVERIFY(!f.w.state().SettingsChanged);
    }

    // Cancel and the close box take back what Apply or OK did not store.
    void cancelTakesBackWhatWasNotApplied_data()
    {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("Cancel") << false;
        QTest::newRow("close box") << true;
    }

    void cancelTakesBackWhatWasNotApplied()
    {
        QFETCH(bool, closeBox);
        Fixture f;
        frmFKeys *d = f.open();
        d->tbsOptions()->setCurrentIndex(6);
        f.pick(d, 3);
        f.press(d, "cmdApply");
        QCOMPARE(f.rig.stored(u"Function Keys"_s, u"F7"_s), u"/s/b.wav"_s);
        QCOMPARE(f.rig.stored(u"Function Keys"_s, u"F12"_s), QString());
        f.pick(d, 2);
        QCOMPARE(f.w.state().FunctionKeyTable[7], u"/s/a.wav"_s); // in force while open
        if (closeBox)
            d->close();
        else
            f.press(d, "cmdCancel");
        QTRY_VERIFY(!f.w.findChild<frmFKeys *>());
        QCOMPARE(f.w.state().FunctionKeyTable[7], u"/s/b.wav"_s);
        QVERIFY(!f.w.state().SettingsChanged);

        d = f.open();
        d->tbsOptions()->setCurrentIndex(6);
        QCOMPARE(d->cmbWaves()->currentText(), u"/s/b.wav"_s);
        f.pick(d, 2);
        f.press(d, "cmdOK");
        QTRY_VERIFY(!f.w.findChild<frmFKeys *>());
        QCOMPARE(f.w.state().FunctionKeyTable[7], u"/s/a.wav"_s);
        QCOMPARE(f.rig.stored(u"Function Keys"_s, u"F7"_s), u"/s/a.wav"_s);
    }
};

QTEST_MAIN(TestFrmFKeys)
#include "tst_frmfkeys.moc"
