#include "app/appstate.h"
#include "fakes.h"
#include "list/frmfiles.h"
#include "list/soundlist.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using namespace calmora;
using namespace calmora::test;

namespace {

// A folder of sound files and others, with a subfolder.
struct SoundFolder
{
    SoundFolder()
    {
        for (const char *name : {"Boom.WAV", "a.wav", "clip.avi", "notes.txt", "x.avi.txt", "sub/deep.wav"}) {
            const QString path = dir.filePath(QLatin1String(name));
            QDir().mkpath(QFileInfo(path).path());
            QFile file(path);
            if (file.open(QIODevice::WriteOnly))
                file.write("RIFF");
        }
    }
    QString path() const { return dir.path(); }
    QTemporaryDir dir;
};

struct Chooser
{
    explicit Chooser(const QString &browsePath, Qt::CaseSensitivity names = Qt::CaseSensitive,
                     QStringList drives = {})
    {
        state.BrowsePath = browsePath;
        if (drives.isEmpty())
            drives = {QStringLiteral("/"), QFileInfo(browsePath).absolutePath()};
        dialog = std::make_unique<frmFiles>(state, list, dialogs, names, nullptr, drives);
    }
    QListWidget *file1() const { return dialog->findChild<QListWidget *>(QStringLiteral("File1")); }
    QStringList fileNames() const
    {
        QStringList names;
        for (int i = 0; i < file1()->count(); ++i)
            names.append(file1()->item(i)->text());
        return names;
    }
    void select(const QStringList &names) const
    {
        for (int i = 0; i < file1()->count(); ++i)
            file1()->item(i)->setSelected(names.contains(file1()->item(i)->text()));
    }
    void press(const char *button) const { dialog->findChild<QPushButton *>(QLatin1String(button))->click(); }

    AppState state;
    QListWidget list1;
    SoundList list{&list1, state, nullptr};
    FakeDialogs dialogs;
    std::unique_ptr<frmFiles> dialog;
};

} // namespace

class TestFrmFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void opensAtBrowsePathListingSoundFiles()
    {
        SoundFolder folder;
        Chooser c(folder.path());
        QCOMPARE(c.dialog->windowTitle(), QStringLiteral("Select Sound Files"));
        QCOMPARE(c.dialog->browser().folder(), folder.path());
        QCOMPARE(c.fileNames(), (QStringList{QStringLiteral("a.wav"), QStringLiteral("Boom.WAV"),
                                             QStringLiteral("clip.avi")}));
        QCOMPARE(c.dialog->findChild<QComboBox *>(QStringLiteral("Drive1"))->currentText(),
                 QDir::toNativeSeparators(QFileInfo(folder.path()).absolutePath()));
        QCOMPARE(c.file1()->selectionMode(), QAbstractItemView::ExtendedSelection);
        QCOMPARE(c.dialog->size(), QSize(384, 254));
        QVERIFY(c.dialogs.messages.isEmpty());
    }

    void okAddsSelectedFilesTicked_data()
    {
        QTest::addColumn<int>("fileNameCase");
        QTest::addColumn<bool>("lowerCase");
        QTest::newRow("names tell case apart") << int(Qt::CaseSensitive) << false;
        QTest::newRow("names ignore case") << int(Qt::CaseInsensitive) << true;
    }

    void okAddsSelectedFilesTicked()
    {
        QFETCH(int, fileNameCase);
        QFETCH(bool, lowerCase);
        SoundFolder folder;
        Chooser c(folder.path(), Qt::CaseSensitivity(fileNameCase));
        c.list.addEntry(folder.path() + QStringLiteral("/a.wav"), false); // chosen again: a second entry
        c.state.SettingsChanged = false;
        c.select({QStringLiteral("clip.avi"), QStringLiteral("Boom.WAV"), QStringLiteral("a.wav")});
        c.press("cmdOK");
        QCOMPARE(c.dialog->result(), int(QDialog::Accepted));
        const auto stored = [&](const char *name) {
            const QString path = folder.path() + QLatin1Char('/') + QLatin1String(name);
            return lowerCase ? path.toLower() : path;
        };
        QStringList expected{stored("a.wav"), stored("Boom.WAV"), stored("clip.avi")};
        QCOMPARE(c.list.List2(), expected);
        QCOMPARE(c.list.count(), 4);
        QVERIFY(c.state.SettingsChanged);
        QCOMPARE(c.state.BrowsePath, folder.path()); // OK keeps it
    }

    void okWithNothingSelectedAddsNothing()
    {
        SoundFolder folder;
        Chooser c(folder.path());
        c.press("cmdOK");
        QCOMPARE(c.dialog->result(), int(QDialog::Accepted));
        QCOMPARE(c.list.count(), 0);
        QVERIFY(!c.state.SettingsChanged);
    }

    void rootFolderKeepsItsSeparator()
    {
        // The folder is taken as it stands; both spellings name the same file.
        QCOMPARE(frmFiles::fullPath(QStringLiteral("/"), QStringLiteral("boom.wav")),
                 QStringLiteral("//boom.wav"));
    }

    void cancelEmptiesBrowsePath()
    {
        SoundFolder folder;
        Chooser c(folder.path());
        c.select({QStringLiteral("a.wav")});
        c.press("cmdCancel");
        QCOMPARE(c.dialog->result(), int(QDialog::Rejected));
        QVERIFY(c.state.BrowsePath.isEmpty());
        QCOMPARE(c.list.count(), 0);
        // The next opening starts at the program's current folder.
        Chooser next(c.state.BrowsePath, Qt::CaseSensitive, {QStringLiteral("/")});
        QCOMPARE(next.dialog->browser().folder(), QDir::toNativeSeparators(QDir::currentPath()));
    }

    void missingBrowsePathIsReportedOnce()
    {
        SoundFolder folder;
        const QString gone = folder.path() + QStringLiteral("/gone");
        Chooser c(gone, Qt::CaseSensitive, {QStringLiteral("/")});
        QCOMPARE(c.dialogs.messages.size(), 1);
        QVERIFY2(c.dialogs.messages.constFirst().contains(QLatin1String("No such file")),
                 qPrintable(c.dialogs.messages.constFirst()));
        QCOMPARE(c.dialog->browser().folder(), QDir::toNativeSeparators(QDir::currentPath()));
        // Still usable: the tree moves on to a folder that exists.
        QVERIFY(c.dialog->browser().setFolder(folder.path()).isEmpty());
        QCOMPARE(c.fileNames().size(), 3);
    }

    void drivesMoveTheTreeUnlessUnreadable()
    {
        SoundFolder folder;
        const QString noMedium = folder.path() + QStringLiteral("/no-medium");
        Chooser c(folder.path() + QStringLiteral("/sub"), Qt::CaseSensitive, {folder.path(), noMedium});
        auto *drive1 = c.dialog->findChild<QComboBox *>(QStringLiteral("Drive1"));
        drive1->setCurrentIndex(1);
        c.dialog->browser().Drive1_Change(1);
        QCOMPARE(c.dialogs.messages.size(), 1);
        QCOMPARE(c.dialog->browser().folder(), folder.path() + QStringLiteral("/sub"));
        QCOMPARE(drive1->currentIndex(), 1);
        drive1->setCurrentIndex(0);
        c.dialog->browser().Drive1_Change(0);
        QCOMPARE(c.dialog->browser().folder(), folder.path());
        QCOMPARE(c.fileNames().size(), 3);
    }

    void enterAndEscapeCloseNothing()
    {
        SoundFolder folder;
        Chooser c(folder.path());
        c.dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(c.dialog.get()));
        for (QWidget *target :
             {static_cast<QWidget *>(c.file1()),
              static_cast<QWidget *>(c.dialog->findChild<QPushButton *>(QStringLiteral("cmdOK")))}) {
            target->setFocus();
            for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter})
                QTest::keyClick(target, key);
        }
        QVERIFY(c.dialog->isVisible());
        QCOMPARE(c.list.count(), 0);
        QCOMPARE(c.state.BrowsePath, folder.path());
    }
};

QTEST_MAIN(TestFrmFiles)
#include "tst_frmfiles.moc"
