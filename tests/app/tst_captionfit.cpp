#include "app/appstate.h"
#include "app/frmmain.h"
#include "app/twips.h"
#include "fakes.h"
#include "net/folderlisting.h"
#include "net/frmnetwork.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTest>

#include <memory>

using namespace calmora;
using namespace calmora::test;
using namespace Qt::StringLiterals;

namespace {

// Every caption shown in window can be read whole: it fits its control, the
// control lies inside its parent, and no two captions overlap.
void verifyCaptionsFit(QWidget *window)
{
    QList<QWidget *> captions;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(window))
            continue;
        bool fits = true;
        if (auto *label = qobject_cast<QLabel *>(w); label && !label->text().isEmpty()) {
            fits = label->wordWrap() ? label->heightForWidth(label->width()) <= label->height()
                                     : label->sizeHint().width() <= label->width();
        } else if (qobject_cast<QRadioButton *>(w) || qobject_cast<QCheckBox *>(w)) {
            fits = w->sizeHint().width() <= w->width();
        } else {
            continue;
        }
        const QString name = w->objectName();
        QVERIFY2(fits, qPrintable(name + u" is cut off"_s));
        QVERIFY2(w->parentWidget()->rect().contains(w->geometry()),
                 qPrintable(name + u" leaves its parent"_s));
        // Rounded to whole pixels, stacked controls may share one pixel row.
        for (const QWidget *other : std::as_const(captions)) {
            const QRect both = other->geometry() & w->geometry();
            if (other->parentWidget() == w->parentWidget())
                QVERIFY2(both.width() <= 1 || both.height() <= 1,
                         qPrintable(name + u" overlaps "_s + other->objectName()));
        }
        captions.append(w);
    }
}

} // namespace

class TestCaptionFit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void cleanup() { QApplication::setFont(QFont()); }

    void captionsFitTheirPlaces_data()
    {
        QTest::addColumn<int>("points");
        QTest::newRow("6 pt, room to spare") << 6;
        QTest::newRow("8 pt") << 8;
        QTest::newRow("9 pt, the usual default") << 9;
    }

    void captionsFitTheirPlaces()
    {
        QFETCH(int, points);
        QApplication::setFont(QFont(u"DejaVu Sans"_s, points));
        TestRig rig;
        frmMain main(rig.services());
        verifyCaptionsFit(&main);

        AppState state;
        FolderListing file1;
        QAction mnuEnableNetwork(nullptr);
        frmNetwork network(state, rig.services(), file1, &mnuEnableNetwork);
        verifyCaptionsFit(&network);

        // Where the captions fit already, the measured layout is kept as it is.
        if (points > 6)
            return;
        QCOMPARE(main.findChild<QWidget *>(u"fraStress"_s)->geometry(), twipsRect(120, 180, 2055, 1335));
        QCOMPARE(main.findChild<QRadioButton *>(u"optstress2"_s)->geometry(), twipsRect(360, 720, 1395, 255));
        auto *label = network.findChild<QLabel *>(u"Label2"_s);
        QVERIFY(!label->wordWrap());
        QCOMPARE(label->geometry(), twipsRect(120, 600, 1575, 255));
    }
};

QTEST_MAIN(TestCaptionFit)

#include "tst_captionfit.moc"
