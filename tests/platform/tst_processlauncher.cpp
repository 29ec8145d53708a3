#include "platform/processlauncher.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

using namespace calmora;
using namespace Qt::StringLiterals;

namespace {

void writeFile(const QString &path, const QByteArray &content, QFile::Permissions extra = {})
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    file.setPermissions(file.permissions() | extra);
}

} // namespace

class TestProcessLauncher : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void execLineBecomesCommand_data()
    {
        QTest::addColumn<QString>("exec");
        QTest::addColumn<QStringList>("expected");
        const QString url = u"file:///home/ann/My%20Sounds"_s;
        const QString folder = u"/home/ann/My Sounds"_s;
        QTest::newRow("URL list") << u"nautilus --new-window %U"_s
                                  << QStringList{u"nautilus"_s, u"--new-window"_s, url};
        QTest::newRow("file, other codes dropped")
            << u"\"/opt/File Manager/fm\" %i %c %k %f"_s << QStringList{u"/opt/File Manager/fm"_s, folder};
        QTest::newRow("code inside an argument, percent kept")
            << u"fm --open=%f 100%%"_s << QStringList{u"fm"_s, QLatin1String("--open=") + folder, u"100%"_s};
        QTest::newRow("escapes in quotes")
            << u"sh -c \"echo \\\"\\$x\\\"\""_s << QStringList{u"sh"_s, u"-c"_s, u"echo \"$x\""_s};
        QTest::newRow("empty") << QString() << QStringList();
    }

    void execLineBecomesCommand()
    {
        QFETCH(QString, exec);
        QFETCH(QStringList, expected);
        QCOMPARE(desktopExecCommand(exec, u"/home/ann/My Sounds"_s), expected);
    }

    void fileManagerIsTheDesktopDefaultForFolders()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath(u"bin/xdg-mime"_s), "#!/bin/sh\necho vendor-fm.desktop\n", QFile::ExeOwner);
        // "vendor-fm.desktop" may live in a vendor subfolder.
        writeFile(dir.filePath(u"share/applications/vendor/fm.desktop"_s),
                  "[Desktop Action New]\nExec=wrong\n[Desktop Entry]\nName=FM\nExec=fm\\s2 --select %U\n");
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(dir.filePath(u"bin"_s)) + ':' + path);
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(u"share"_s)));
        ProcessLauncher launcher;
        const QStringList command = launcher.fileManagerCommand(u"/home/ann"_s);
        qputenv("PATH", path);
        QCOMPARE(command, (QStringList{u"fm"_s, u"2"_s, u"--select"_s, u"file:///home/ann"_s}));

        qputenv("PATH", QFile::encodeName(dir.filePath(u"nothing"_s)));
        QCOMPARE(launcher.fileManagerCommand(u"/home/ann"_s), (QStringList{u"xdg-open"_s, u"/home/ann"_s}));
        qputenv("PATH", path);
    }

    void startReportsWhyItFailed()
    {
        ProcessLauncher launcher;
        QCOMPARE(launcher.start(u"/nonexistent/program"_s, {}), 0);
        QVERIFY(!launcher.lastError().isEmpty());
        QVERIFY(!launcher.isRunning(0));
    }

    // Needs a real X server: run with QT_QPA_PLATFORM=xcb under Xvfb.
    void activateFindsOurOwnWindowByPid()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X11 display");
        QWidget window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        ProcessLauncher launcher;
        QVERIFY(launcher.activate(QCoreApplication::applicationPid()));
        QVERIFY(!launcher.activate(QCoreApplication::applicationPid() + 100000));
    }

    // Needs a file manager service on the session bus that logs what it was
    // asked to show (activate_e2e.sh).
    void showFolderAsksTheFileManagerService()
    {
        const QString log = qEnvironmentVariable("CALMORA_TEST_FOLDERS_LOG");
        if (log.isEmpty())
            QSKIP("needs a file manager service on the session bus");
        ProcessLauncher launcher;
        QVERIFY(launcher.showFolder(u"/home/ann/My Sounds"_s));
        QFile shown(log);
        QVERIFY(shown.open(QIODevice::ReadOnly));
        QCOMPARE(shown.readAll(), "file:///home/ann/My%20Sounds\n"_ba);
    }
};

QTEST_MAIN(TestProcessLauncher)
#include "tst_processlauncher.moc"
