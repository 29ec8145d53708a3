#include "fakes.h"
#include "net/frmreceive.h"

#include <QLabel>
#include <QPixmap>
#include <QTest>

using namespace calmora;
using calmora::test::FakeDialogs;

class TestFrmReceive final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A window opens for every received text; a logo rendered anew for each one
    // stayed behind in the pixmap cache and memory grew with every message.
    void messageWindowsShareOneLogo()
    {
        FakeDialogs dialogs;
        QLabel picNet;
        const auto logo = [](const frmReceive &window) {
            return window.findChild<QLabel *>(QStringLiteral("imgLogo"))->pixmap();
        };
        qint64 first = 0;
        for (int i = 0; i < 3; ++i) {
            frmReceive window(dialogs, &picNet);
            const QPixmap shown = logo(window);
            QVERIFY(!shown.isNull());
            if (i == 0)
                first = shown.cacheKey();
            QCOMPARE(shown.cacheKey(), first);
        }
    }
};

QTEST_MAIN(TestFrmReceive)
#include "tst_frmreceive.moc"
