#include "core/appstate.h"
#include "fakes.h"
#include "net/frmpath.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace calmora;
using namespace calmora::test;
using namespace Qt::StringLiterals;

namespace {

struct PathChooser
{
    PathChooser(const QString &browsePath, const QStringList &drives)
    {
        state.BrowsePath = browsePath;
        dialog = std::make_unique<frmPath>(state, dialogs, nullptr, drives);
    }
    QString lblPath() const { return dialog->findChild<QLabel *>(u"lblPath"_s)->text(); }
    QComboBox *drive1() const { return dialog->findChild<QComboBox *>(u"Drive1"_s); }
    void press(const char *button) const { dialog->findChild<QPushButton *>(QLatin1String(button))->click(); }

    AppState state;
    FakeDialogs dialogs;
    std::unique_ptr<frmPath> dialog;
};

} // namespace

class TestFrmPath : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void okReturnsTheFolderShown_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("expected");
        QTest::newRow("a folder") << u"<tmp>/share/"_s << u"<tmp>/share"_s;
        QTest::newRow("a drive's root keeps its separator") << u"/"_s << u"/"_s;
    }

    void okReturnsTheFolderShown()
    {
        QFETCH(QString, start);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(u"share"_s));
        start.replace(QLatin1String("<tmp>"), dir.path());
        expected.replace(QLatin1String("<tmp>"), dir.path());
        PathChooser c(start, {u"/"_s, dir.path()});
        QCOMPARE(c.lblPath(), expected);
        QCOMPARE(c.drive1()->currentIndex(), expected == QLatin1String("/") ? 0 : 1);
        c.press("cmdOK");
        QCOMPARE(c.state.BrowsePath, expected);
        QCOMPARE(c.dialog->result(), int(QDialog::Accepted));
        QVERIFY(c.dialogs.messages.isEmpty());
    }

    void unreadableStartOrDriveIsReportedAndNothingMoves()
    {
        QTemporaryDir dir;
        const QString gone = dir.filePath(u"gone"_s);
        PathChooser c(gone, {dir.path(), dir.filePath(u"no-medium"_s)});
        QCOMPARE(c.dialogs.messages.size(), 1);
        QVERIFY2(c.dialogs.messages.constFirst().contains(QLatin1String("No such file")),
                 qPrintable(c.dialogs.messages.constFirst()));
        const QString shown = c.lblPath();
        QCOMPARE(shown, QDir::toNativeSeparators(QDir::currentPath()));
        c.drive1()->setCurrentIndex(1);
        c.dialog->browser().Drive1_Change(1);
        QCOMPARE(c.dialogs.messages.size(), 2);
        QCOMPARE(c.lblPath(), shown);
        QCOMPARE(c.drive1()->currentIndex(), 1);
        // Closing by other means than the buttons leaves BrowsePath as it came.
        c.dialog->close();
        QCOMPARE(c.state.BrowsePath, gone);
    }
};

QTEST_MAIN(TestFrmPath)
#include "tst_frmpath.moc"
