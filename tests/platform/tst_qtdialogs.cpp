#include "platform/qtdialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

using namespace calmora;
using namespace Qt::StringLiterals;

class TestQtDialogs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Escape and the close box would answer No for the user, and a No can
    // throw away what the question is about: only Yes or No answer it.
    void questionsAnswerOnlyToYesOrNo_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("Yes") << u"&Yes"_s;
        QTest::newRow("No") << u"&No"_s;
    }

    void questionsAnswerOnlyToYesOrNo()
    {
        QFETCH(QString, button);
        bool stayed = false;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            QTest::keyClick(box, Qt::Key_Escape);
            box->close();
            stayed = box->isVisible();
            for (QAbstractButton *b : box->buttons()) {
                if (b->text() == button)
                    b->click();
            }
        });
        QtDialogs dialogs;
        QCOMPARE(dialogs.askYesNo(nullptr, u"Do you want to save changes?"_s), button == u"&Yes"_s);
        QVERIFY(stayed);
    }
};

QTEST_MAIN(TestQtDialogs)
#include "tst_qtdialogs.moc"
