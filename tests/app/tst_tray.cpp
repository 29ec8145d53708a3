#include "app/frmmain.h"
#include "fakes.h"

#include <QAction>
#include <QMenu>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

using namespace calmora;
using namespace calmora::test;
using namespace Qt::StringLiterals;

class TestTray : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void trayIconBringsTheWindowBackAndOffersItsMenuWhileHidden()
    {
        TestRig rig;
        frmMain w(rig.services());
        w.Form_Load();
        QVERIFY(!rig.tray.present);
        w.showMinimized();
        QTRY_VERIFY(w.isHidden());
        QVERIFY(rig.tray.present);

        Q_EMIT rig.tray.doubleClicked();
        QVERIFY(w.isVisible());
        QVERIFY(!w.isMinimized());
        QVERIFY(rig.tray.present); // the icon stays

        w.showMinimized();
        QTRY_VERIFY(w.isHidden());
        QVERIFY(rig.tray.present);
        // A right click opens the tray menu.
        QStringList entries;
        QTimer::singleShot(50, [&entries] {
            if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
                for (QAction *a : menu->actions()) {
                    if (a->isVisible())
                        entries.append(a->text());
                }
                menu->close();
            }
        });
        Q_EMIT rig.tray.rightReleased(QPoint(10, 10));
        QCOMPARE(entries, (QStringList{u"Enable Network"_s, u"Enable Sounds"_s, u"Quit"_s}));

        QVERIFY(w.close());
        QVERIFY(!rig.tray.present);
    }

    void withoutATrayTheWindowStaysOnTheTaskBar()
    {
        TestRig rig;
        rig.tray.available = false;
        frmMain w(rig.services());
        w.Form_Load();
        w.showMinimized();
        QTest::qWait(20);
        QVERIFY(w.isVisible());
        QVERIFY(w.isMinimized());
        QVERIFY(!rig.tray.present);
    }
};

QTEST_MAIN(TestTray)
#include "tst_tray.moc"
