#include "app/frmmain.h"
#include "fakes.h"

#include <QApplication>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

using namespace calmora;
using namespace calmora::test;
using namespace Qt::StringLiterals;

// The window keeps its proportions at twice the pixel density, and its icon
// has a sharp image for it.
class TestHiDpi : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void geometryScalesAndIconsStaySharp()
    {
        TestRig rig;
        frmMain w(rig.services());
        w.Form_Load();
        QCOMPARE(w.devicePixelRatio(), 2.0);
        QCOMPARE(w.centralWidget()->size(), QSize(461, 253));
        QCOMPARE(w.findChild<QPushButton *>(u"cmdClear"_s)->geometry(), QRect(416, 224, 37, 21));
        const QPixmap icon = w.windowIcon().pixmap(QSize(32, 32), 2.0);
        QCOMPARE(icon.size(), QSize(64, 64));
        QCOMPARE(icon.devicePixelRatio(), 2.0);
    }
};

int main(int argc, char *argv[])
{
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestHiDpi test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hidpi.moc"
