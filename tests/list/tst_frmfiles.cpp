#include "core/appstate.h"
#include "fakes.h"
#include "list/frmfiles.h"
#include "list/soundlist.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace calmora;
using namespace calmora::test;
using namespace Qt::StringLiterals;

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
            drives = {u"/"_s, QFileInfo(browsePath).absolutePath()};
        dialog = std::make_unique<frmFiles>(state, list, dialogs, names, nullptr, drives);
    }
    QListWidget *file1() const { return dialog->findChild<QListWidget *>(u"File1"_s); }
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
    SoundList list{state, nullptr};
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
        QCOMPARE(c.dialog->browser().folder(), folder.path());
        QCOMPARE(c.fileNames(), (QStringList{u"a.wav"_s, u"Boom.WAV"_s, u"clip.avi"_s}));
        QVERIFY(c.dialogs.messages.isEmpty());
    }

    void okAddsSelectedFilesTicked_data()
    {
        QTest::addColumn<int>("fileNameCase");
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<QStringList>("added");
        const QStringList three{u"clip.avi"_s, u"Boom.WAV"_s, u"a.wav"_s};
        QTest::newRow("names tell case apart")
            << int(Qt::CaseSensitive) << three << QStringList{u"a.wav"_s, u"Boom.WAV"_s, u"clip.avi"_s};
        QTest::newRow("names ignore case")
            << int(Qt::CaseInsensitive) << three << QStringList{u"a.wav"_s, u"boom.wav"_s, u"clip.avi"_s};
    }

    void okAddsSelectedFilesTicked()
    {
        QFETCH(int, fileNameCase);
        QFETCH(QStringList, selected);
        QFETCH(QStringList, added);
        SoundFolder folder;
        Chooser c(folder.path(), Qt::CaseSensitivity(fileNameCase));
        c.list.addEntry(folder.path() + u"/a.wav"_s, false); // chosen again: a second entry
        c.state.SettingsChanged = false;
        c.select(selected);
        c.press("cmdOK");
        QCOMPARE(c.dialog->result(), int(QDialog::Accepted));
        const QString prefix = folder.path() + QLatin1Char('/');
        for (QString &name : added)
            name.prepend(fileNameCase == Qt::CaseInsensitive ? prefix.toLower() : prefix);
        QCOMPARE(c.list.List2(), added);
        QCOMPARE(c.list.count(), 1 + added.size());
        QVERIFY(c.state.SettingsChanged);
        QCOMPARE(c.state.BrowsePath, folder.path()); // OK keeps it
    }

    void cancelEmptiesBrowsePath()
    {
        SoundFolder folder;
        Chooser c(folder.path());
        c.select({u"a.wav"_s});
        c.press("cmdCancel");
        QCOMPARE(c.dialog->result(), int(QDialog::Rejected));
        QVERIFY(c.state.BrowsePath.isEmpty());
        QCOMPARE(c.list.count(), 0);
    }

    void fileListFollowsTheTree()
    {
        SoundFolder folder;
        Chooser c(folder.path() + u"/sub"_s, Qt::CaseSensitive, {folder.path()});
        QCOMPARE(c.fileNames(), QStringList{u"deep.wav"_s});
        c.dialog->browser().Drive1_Change(0);
        QCOMPARE(c.dialog->browser().folder(), folder.path());
        QCOMPARE(c.fileNames().size(), 3);
        QVERIFY(c.dialogs.messages.isEmpty());
    }
};

QTEST_MAIN(TestFrmFiles)
#include "tst_frmfiles.moc"
