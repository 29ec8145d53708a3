#include "app/frmmain.h"
#include "fakes.h"
#include "list/soundlist.h"
#include "list/soundlistcontroller.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

using namespace calmora;
using namespace calmora::test;
using namespace Qt::StringLiterals;

namespace {

QStringList entries(const SoundList &list)
{
    QStringList texts;
    for (int i = 0; i < list.count(); ++i)
        texts.append(list.text(i) + (list.isTicked(i) ? u" [x]"_s : QString()));
    return texts;
}

// Drops urls on the list the way a file manager does; returns the action the list took.
Qt::DropAction drop(frmMain &w, const QList<QUrl> &urls,
                    Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction)
{
    QMimeData data;
    data.setUrls(urls);
    QWidget *viewport = w.soundList().List1()->viewport();
    QDragEnterEvent enter(QPoint(5, 5), offered, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    if (!enter.isAccepted())
        return Qt::IgnoreAction;
    QDropEvent event(QPointF(5, 5), offered, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &event);
    return event.isAccepted() ? event.dropAction() : Qt::IgnoreAction;
}

QList<QUrl> files(const QStringList &paths)
{
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls.append(QUrl::fromLocalFile(path));
    return urls;
}

void highlight(frmMain &w, int row)
{
    w.soundList().List1()->setCurrentRow(row);
}

const QStringList kABC{u"/s/a.wav"_s, u"/s/b.wav"_s, u"/s/c.wav"_s};

// The main window with these files dropped on its list, changes not yet counted.
struct Window
{
    explicit Window(const QStringList &dropped = {})
    {
        drop(w, files(dropped));
        w.state().SettingsChanged = false;
    }
    QListWidget *list1() { return w.soundList().List1(); }
    TestRig rig;
    frmMain w{rig.services()};
};

} // namespace

class TestSoundList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void dropAddsOnlyLocalSoundFiles_data()
    {
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::addColumn<int>("fileNameCase");
        QTest::addColumn<QStringList>("expected");
        const int sensitive = Qt::CaseSensitive;
        QTest::newRow("mixed, in any case") << (files({u"/s/tune.mp3"_s, u"/s/b.AVI"_s, u"/s/a.wav"_s,
                                                       u"/s/x.wave"_s, u"/s/x.avi.txt"_s, u"/s/dir.wav/"_s})
                                                << QUrl(u"https://example.org/c.wav"_s))
                                            << sensitive << QStringList{u"/s/a.wav [x]"_s, u"/s/b.AVI [x]"_s};
        QTest::newRow("lower case where names ignore case")
            << files({u"/home/ann/Sounds/Boom.WAV"_s}) << int(Qt::CaseInsensitive)
            << QStringList{u"/home/ann/sounds/boom.wav [x]"_s};
    }

    void dropAddsOnlyLocalSoundFiles()
    {
        QFETCH(QList<QUrl>, urls);
        QFETCH(int, fileNameCase);
        QFETCH(QStringList, expected);
        TestRig rig;
        rig.program.fileNameCase = Qt::CaseSensitivity(fileNameCase);
        frmMain w(rig.services());
        QCOMPARE(drop(w, urls), Qt::CopyAction); // never Move: the file manager would delete the files
        QCOMPARE(entries(w.soundList()), expected);
        QStringList ticked = expected;
        ticked.replaceInStrings(u" [x]"_s, QString());
        QCOMPARE(w.soundList().List2(), ticked);
        QCOMPARE(w.state().SettingsChanged, !expected.isEmpty());
        QVERIFY(rig.dialogs.messages.isEmpty());
    }

    void fullListRefusesTheRestWithOneMessage()
    {
        Window f;
        {
            SoundList::Batch batch(f.w.soundList());
            for (int i = 0; i < SoundList::kMaxEntries - 1; ++i)
                f.w.soundList().addEntry(u"/s/%1.wav"_s.arg(i, 5, 10, QLatin1Char('0')), false);
        }
        drop(f.w, files({u"/t/a.wav"_s, u"/t/b.wav"_s, u"/t/c.wav"_s}));
        QCOMPARE(f.w.soundList().count(), SoundList::kMaxEntries);
        QCOMPARE(f.w.soundList().List2(), QStringList{u"/t/a.wav"_s});
        QCOMPARE(f.rig.dialogs.messages.size(), 1);
        QVERIFY2(f.rig.dialogs.messages.constFirst().contains(QLatin1String("2 files were not added")),
                 qPrintable(f.rig.dialogs.messages.constFirst()));
    }

    void ticksKeepList2InStep()
    {
        Window f({u"/s/b.wav"_s, u"/s/a.wav"_s});
        f.list1()->item(0)->setCheckState(Qt::Unchecked); // as a click in the box does
        QCOMPARE(f.w.soundList().List2(), QStringList{u"/s/b.wav"_s});
        QVERIFY(f.w.state().SettingsChanged);
        f.list1()->item(0)->setCheckState(Qt::Checked);
        QCOMPARE(f.w.soundList().List2().size(), 2);
    }

    void deleteRemovesOnlyTheHighlightedEntry_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("highlighted");
        for (const char *how : {"Del", "Delete key", "menu"}) {
            QTest::addRow("%s with highlight", how) << QString::fromLatin1(how) << true;
            QTest::addRow("%s without highlight", how) << QString::fromLatin1(how) << false;
        }
    }

    void deleteRemovesOnlyTheHighlightedEntry()
    {
        QFETCH(QString, how);
        QFETCH(bool, highlighted);
        Window f(kABC);
        if (highlighted)
            highlight(f.w, 1);
        if (how == QLatin1String("Del"))
            f.w.findChild<QPushButton *>(u"cmdDelete"_s)->click();
        else if (how == QLatin1String("menu"))
            f.w.findChild<QAction *>(u"mnuDelete"_s)->trigger();
        else
            QTest::keyClick(f.list1(), Qt::Key_Delete);
        QStringList expected = kABC;
        if (highlighted)
            expected.removeAt(1);
        // A removed sound must not go on playing at random.
        QCOMPARE(f.w.soundList().List2(), expected);
        QCOMPARE(f.w.soundList().count(), expected.size());
        QCOMPARE(f.w.soundList().currentIndex(), -1);
        QCOMPARE(f.w.state().SettingsChanged, highlighted);
    }

    void rightClickKeepsTheHighlight()
    {
        Window f(kABC);
        highlight(f.w, 0);
        const QPoint onC = f.list1()->visualItemRect(f.list1()->item(2)).center();
        QTest::mousePress(f.list1()->viewport(), Qt::RightButton, Qt::NoModifier, onC);
        QTest::mouseRelease(f.list1()->viewport(), Qt::RightButton, Qt::NoModifier, onC);
        auto *menu = f.w.findChild<QMenu *>(u"mnuPopup2"_s);
        QVERIFY(menu->isVisible());
        QCOMPARE(f.w.soundList().currentIndex(), 0);
        f.w.findChild<QAction *>(u"mnuDelete"_s)->trigger();
        menu->hide();
        QCOMPARE(f.w.soundList().List2(), kABC.mid(1));
    }

    void clearAsksFirst_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }

    void clearAsksFirst()
    {
        QFETCH(bool, answer);
        Window f(kABC);
        f.rig.dialogs.answers = {answer};
        f.w.findChild<QPushButton *>(u"cmdClear"_s)->click();
        QCOMPARE(f.rig.dialogs.questions, QStringList{u"Clear all wav files from list?"_s});
        QCOMPARE(f.w.soundList().count(), answer ? 0 : 3);
        QCOMPARE(f.w.soundList().List2().size(), answer ? 0 : 3);
        QCOMPARE(f.w.state().SettingsChanged, answer);
    }

    // No sound starts while the chooser is open, and the schedule runs again after it.
    void timerRunsAfterTheChooser()
    {
        Window f;
        f.w.tmrMinute()->start();
        bool runningWhileOpen = true;
        QTimer::singleShot(0, &f.w, [&] {
            QWidget *chooser = QApplication::activeModalWidget();
            QVERIFY(chooser);
            runningWhileOpen = f.w.tmrMinute()->isActive();
            chooser->findChild<QPushButton *>(u"cmdCancel"_s)->click();
        });
        f.w.findChild<QPushButton *>(u"cmdAdd"_s)->click();
        QVERIFY(!runningWhileOpen);
        QVERIFY(f.w.tmrMinute()->isActive());
    }

    void fileManagerStartsOnceAndComesForward()
    {
        Window f;
        FakeLauncher &launcher = f.rig.launcher;
        auto *picture1 = f.w.findChild<QToolButton *>(u"Picture1"_s);
        picture1->click();
        QCOMPARE(launcher.starts.size(), 1);
        QCOMPARE(launcher.starts[0].arguments, QStringList{QDir::homePath()});
        const qint64 first = f.w.listController().explorerTaskId();
        picture1->click(); // still running: brought forward
        QCOMPARE(launcher.starts.size(), 1);
        QCOMPARE(launcher.activations, QList<qint64>{first});
        launcher.canRaise = false; // Wayland: the file manager service shows the folder
        picture1->click();
        QCOMPARE(launcher.starts.size(), 1);
        QCOMPARE(launcher.foldersShown, QStringList{QDir::homePath()});
        launcher.folderService = false; // nor that: started again
        picture1->click();
        QCOMPARE(launcher.starts.size(), 2);
        launcher.canRaise = true;
        launcher.running.clear(); // the user closed it
        picture1->click();
        QCOMPARE(launcher.starts.size(), 3);
        QVERIFY(f.w.listController().explorerTaskId() != first);
        QVERIFY(f.rig.dialogs.messages.isEmpty());

        launcher.running.clear();
        launcher.failStarts = true;
        picture1->click();
        QCOMPARE(f.rig.dialogs.messages.size(), 1);
    }
};

QTEST_MAIN(TestSoundList)
#include "tst_soundlist.moc"
