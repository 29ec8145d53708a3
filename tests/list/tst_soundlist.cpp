#include "app/frmmain.h"
#include "fakes.h"
#include "list/soundlist.h"
#include "list/soundlistcontroller.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
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

namespace {

QStringList entries(const SoundList &list)
{
    QStringList texts;
    for (int i = 0; i < list.count(); ++i)
        texts.append(list.text(i) + (list.isTicked(i) ? QStringLiteral(" [x]") : QString()));
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
        QTest::newRow("mixed, in any case")
            << (files({QStringLiteral("/s/tune.mp3"), QStringLiteral("/s/b.AVI"), QStringLiteral("/s/a.wav"),
                       QStringLiteral("/s/x.wave"), QStringLiteral("/s/x.avi.txt"),
                       QStringLiteral("/s/dir.wav/")})
                << QUrl(QStringLiteral("https://example.org/c.wav")))
            << sensitive << QStringList{QStringLiteral("/s/a.wav [x]"), QStringLiteral("/s/b.AVI [x]")};
        QTest::newRow("case kept where names tell case apart")
            << files({QStringLiteral("/home/ann/Sounds/Boom.WAV")}) << sensitive
            << QStringList{QStringLiteral("/home/ann/Sounds/Boom.WAV [x]")};
        QTest::newRow("lower case where names ignore case")
            << files({QStringLiteral("/home/ann/Sounds/Boom.WAV")}) << int(Qt::CaseInsensitive)
            << QStringList{QStringLiteral("/home/ann/sounds/boom.wav [x]")};
        QTest::newRow("same file twice")
            << files({QStringLiteral("/s/a.wav"), QStringLiteral("/s/a.wav")}) << sensitive
            << QStringList{QStringLiteral("/s/a.wav [x]"), QStringLiteral("/s/a.wav [x]")};
        QTest::newRow("no files") << QList<QUrl>() << sensitive << QStringList();
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
        ticked.replaceInStrings(QStringLiteral(" [x]"), QString());
        QCOMPARE(w.soundList().List2(), ticked);
        QCOMPARE(w.state().SettingsChanged, !expected.isEmpty());
        QVERIFY(rig.dialogs.messages.isEmpty());
    }

    void fullListRefusesTheRestWithOneMessage()
    {
        TestRig rig;
        frmMain w(rig.services());
        {
            SoundList::Batch batch(w.soundList());
            for (int i = 0; i < SoundList::kMaxEntries - 1; ++i)
                w.soundList().addEntry(QStringLiteral("/s/%1.wav").arg(i, 5, 10, QLatin1Char('0')), false);
        }
        drop(w, files({QStringLiteral("/t/a.wav"), QStringLiteral("/t/b.wav"), QStringLiteral("/t/c.wav")}));
        QCOMPARE(w.soundList().count(), SoundList::kMaxEntries);
        QCOMPARE(w.soundList().List2(), QStringList{QStringLiteral("/t/a.wav")});
        QCOMPARE(rig.dialogs.messages.size(), 1);
        QVERIFY2(rig.dialogs.messages.constFirst().contains(QLatin1String("2 files were not added")),
                 qPrintable(rig.dialogs.messages.constFirst()));
    }

    void ticksKeepList2InStep()
    {
        TestRig rig;
        frmMain w(rig.services());
        drop(w, files({QStringLiteral("/s/b.wav"), QStringLiteral("/s/a.wav")}));
        QListWidget *list1 = w.soundList().List1();
        list1->item(0)->setCheckState(Qt::Unchecked); // as a click in the box does
        QCOMPARE(w.soundList().List2(), QStringList{QStringLiteral("/s/b.wav")});
        list1->item(1)->setCheckState(Qt::Unchecked);
        QVERIFY(w.soundList().List2().isEmpty());
        w.state().SettingsChanged = false;
        list1->item(1)->setCheckState(Qt::Checked);
        QCOMPARE(w.soundList().List2(), QStringList{QStringLiteral("/s/b.wav")});
        QVERIFY(w.state().SettingsChanged);
    }

    void highlightingHandsTheNameToThePlayer()
    {
        TestRig rig;
        frmMain w(rig.services());
        drop(w, files({QStringLiteral("/s/a.wav"), QStringLiteral("/s/b.wav")}));
        rig.player.log.clear();
        highlight(w, 1);
        QCOMPARE(rig.player.log, QStringList{QStringLiteral("file /s/b.wav")}); // stored, nothing played
        QCOMPARE(w.soundList().List1()->toolTip(), QStringLiteral("/s/b.wav"));
    }

    void deleteRemovesOnlyTheHighlightedEntry_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("highlighted");
        for (const char *how : {"Del", "Delete key", "Shift+Delete", "Ctrl+Delete", "menu"}) {
            QTest::addRow("%s with highlight", how) << QString::fromLatin1(how) << true;
            QTest::addRow("%s without highlight", how) << QString::fromLatin1(how) << false;
        }
    }

    void deleteRemovesOnlyTheHighlightedEntry()
    {
        QFETCH(QString, how);
        QFETCH(bool, highlighted);
        TestRig rig;
        frmMain w(rig.services());
        drop(w, files({QStringLiteral("/s/a.wav"), QStringLiteral("/s/b.wav"), QStringLiteral("/s/c.wav")}));
        w.state().SettingsChanged = false;
        if (highlighted)
            highlight(w, 1);
        QListWidget *list1 = w.soundList().List1();
        if (how == QLatin1String("Del"))
            w.findChild<QPushButton *>(QStringLiteral("cmdDelete"))->click();
        else if (how == QLatin1String("menu"))
            w.findChild<QAction *>(QStringLiteral("mnuDelete"))->trigger();
        else
            QTest::keyClick(list1, Qt::Key_Delete,
                            how.startsWith(QLatin1String("Shift"))  ? Qt::ShiftModifier
                            : how.startsWith(QLatin1String("Ctrl")) ? Qt::ControlModifier
                                                                    : Qt::NoModifier);
        const QStringList expected = highlighted
                                         ? QStringList{QStringLiteral("/s/a.wav"), QStringLiteral("/s/c.wav")}
                                         : QStringList{QStringLiteral("/s/a.wav"), QStringLiteral("/s/b.wav"),
                                                       QStringLiteral("/s/c.wav")};
        // A removed sound must not go on playing at random.
        QCOMPARE(w.soundList().List2(), expected);
        QCOMPARE(w.soundList().count(), expected.size());
        QCOMPARE(w.soundList().currentIndex(), -1);
        QCOMPARE(w.state().SettingsChanged, highlighted);
    }

    void rightClickKeepsTheHighlight()
    {
        TestRig rig;
        frmMain w(rig.services());
        drop(w, files({QStringLiteral("/s/a.wav"), QStringLiteral("/s/b.wav"), QStringLiteral("/s/c.wav")}));
        highlight(w, 0);
        QListWidget *list1 = w.soundList().List1();
        const QPoint onC = list1->visualItemRect(list1->item(2)).center();
        QTest::mousePress(list1->viewport(), Qt::RightButton, Qt::NoModifier, onC);
        QTest::mouseRelease(list1->viewport(), Qt::RightButton, Qt::NoModifier, onC);
        auto *menu = w.findChild<QMenu *>(QStringLiteral("mnuPopup2"));
        QVERIFY(menu->isVisible());
        QCOMPARE(w.soundList().currentIndex(), 0);
        w.findChild<QAction *>(QStringLiteral("mnuDelete"))->trigger();
        menu->hide();
        QCOMPARE(w.soundList().List2(),
                 (QStringList{QStringLiteral("/s/b.wav"), QStringLiteral("/s/c.wav")}));
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
        TestRig rig;
        frmMain w(rig.services());
        drop(w, files({QStringLiteral("/s/a.wav"), QStringLiteral("/s/b.wav")}));
        w.state().SettingsChanged = false;
        rig.dialogs.answers = {answer};
        w.findChild<QPushButton *>(QStringLiteral("cmdClear"))->click();
        QCOMPARE(rig.dialogs.questions, QStringList{QStringLiteral("Clear all wav files from list?")});
        QCOMPARE(w.soundList().count(), answer ? 0 : 2);
        QCOMPARE(w.soundList().List2().size(), answer ? 0 : 2);
        QCOMPARE(w.state().SettingsChanged, answer);
    }

    void timerRunsAfterTheChooser_data()
    {
        QTest::addColumn<bool>("runningBefore");
        QTest::newRow("was running") << true;
        QTest::newRow("was stopped") << false;
    }

    void timerRunsAfterTheChooser()
    {
        QFETCH(bool, runningBefore);
        TestRig rig;
        frmMain w(rig.services());
        if (runningBefore)
            w.tmrMinute()->start();
        bool runningWhileOpen = true;
        QString chooserTitle;
        QTimer::singleShot(0, &w, [&] {
            QWidget *chooser = QApplication::activeModalWidget();
            QVERIFY(chooser);
            chooserTitle = chooser->windowTitle();
            runningWhileOpen = w.tmrMinute()->isActive();
            chooser->findChild<QPushButton *>(QStringLiteral("cmdCancel"))->click();
        });
        w.findChild<QPushButton *>(QStringLiteral("cmdAdd"))->click();
        QCOMPARE(chooserTitle, QStringLiteral("Select Sound Files"));
        QVERIFY(!runningWhileOpen);
        QVERIFY(w.tmrMinute()->isActive());
    }

    void fileManagerStartsOnceAndComesForward()
    {
        TestRig rig;
        frmMain w(rig.services());
        auto *picture1 = w.findChild<QToolButton *>(QStringLiteral("Picture1"));
        picture1->click();
        QCOMPARE(rig.launcher.starts.size(), 1);
        QCOMPARE(rig.launcher.starts[0].arguments, QStringList{QDir::homePath()});
        const qint64 first = w.listController().explorerTaskId();
        picture1->click(); // still running: brought forward
        QCOMPARE(rig.launcher.starts.size(), 1);
        QCOMPARE(rig.launcher.activations, QList<qint64>{first});
        rig.launcher.canRaise = false; // a desktop that cannot raise it: no second window either
        picture1->click();
        QCOMPARE(rig.launcher.starts.size(), 1);
        rig.launcher.running.clear(); // the user closed it
        picture1->click();
        QCOMPARE(rig.launcher.starts.size(), 2);
        QVERIFY(w.listController().explorerTaskId() != first);
        QVERIFY(rig.dialogs.messages.isEmpty());
    }

    void fileManagerThatCannotStartIsReported()
    {
        TestRig rig;
        rig.launcher.failStarts = true;
        frmMain w(rig.services());
        w.findChild<QToolButton *>(QStringLiteral("Picture1"))->click();
        QCOMPARE(rig.dialogs.messages.size(), 1);
        QCOMPARE(w.listController().explorerTaskId(), 0);
    }
};

QTEST_MAIN(TestSoundList)
#include "tst_soundlist.moc"
