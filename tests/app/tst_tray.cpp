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
        QCOMPARE(rig.tray.tip, u"Calmora"_s);

        Q_EMIT rig.tray.doubleClicked();
        QVERIFY(w.isVisible());
        QVERIFY(!w.isMinimized());
        QVERIFY(rig.tray.present); // the icon stays

        // A right click while the window is shown opens nothing.
        bool opened = false;
        QTimer::singleShot(0, [&opened] {
            if (QWidget *menu = QApplication::activePopupWidget()) {
                opened = true;
                menu->close();
            }
        });
        Q_EMIT rig.tray.rightReleased(QPoint(10, 10));
        QTest::qWait(10);
        QVERIFY(!opened);

        w.showMinimized();
        QTRY_VERIFY(w.isHidden());
        QVERIFY(rig.tray.present);
        // Now a right click opens the tray menu.
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
