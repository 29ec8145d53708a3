#include "platform/processlauncher.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

using namespace calmora;

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
        const QString url = QStringLiteral("file:///home/ann/My%20Sounds");
        const QString folder = QStringLiteral("/home/ann/My Sounds");
        QTest::newRow("URL list") << QStringLiteral("nautilus --new-window %U")
                                  << QStringList{QStringLiteral("nautilus"), QStringLiteral("--new-window"),
                                                 url};
        QTest::newRow("file, other codes dropped")
            << QStringLiteral("\"/opt/File Manager/fm\" %i %c %k %f")
            << QStringList{QStringLiteral("/opt/File Manager/fm"), folder};
        QTest::newRow("code inside an argument, percent kept")
            << QStringLiteral("fm --open=%f 100%%")
            << QStringList{QStringLiteral("fm"), QLatin1String("--open=") + folder, QStringLiteral("100%")};
        QTest::newRow("escapes in quotes")
            << QStringLiteral("sh -c \"echo \\\"\\$x\\\"\"")
            << QStringList{QStringLiteral("sh"), QStringLiteral("-c"), QStringLiteral("echo \"$x\"")};
        QTest::newRow("no field code") << QStringLiteral("pcmanfm") << QStringList{QStringLiteral("pcmanfm")};
        QTest::newRow("empty") << QString() << QStringList();
    }

    void execLineBecomesCommand()
    {
        QFETCH(QString, exec);
        QFETCH(QStringList, expected);
        QCOMPARE(desktopExecCommand(exec, QStringLiteral("/home/ann/My Sounds")), expected);
    }

    void fileManagerIsTheDesktopDefaultForFolders()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("bin/xdg-mime")), "#!/bin/sh\necho vendor-fm.desktop\n",
                  QFile::ExeOwner);
        // "vendor-fm.desktop" may live in a vendor subfolder.
        writeFile(dir.filePath(QStringLiteral("share/applications/vendor/fm.desktop")),
                  "[Desktop Action New]\nExec=wrong\n[Desktop Entry]\nName=FM\nExec=fm\\s2 --select %U\n");
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(dir.filePath(QStringLiteral("bin"))) + ':' + path);
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(QStringLiteral("share"))));
        ProcessLauncher launcher;
        const QStringList command = launcher.fileManagerCommand(QStringLiteral("/home/ann"));
        qputenv("PATH", path);
        QCOMPARE(command, (QStringList{QStringLiteral("fm"), QStringLiteral("2"), QStringLiteral("--select"),
                                       QStringLiteral("file:///home/ann")}));

        qputenv("PATH", QFile::encodeName(dir.filePath(QStringLiteral("nothing"))));
        QCOMPARE(launcher.fileManagerCommand(QStringLiteral("/home/ann")),
                 (QStringList{QStringLiteral("xdg-open"), QStringLiteral("/home/ann")}));
        qputenv("PATH", path);
    }

    void startReportsWhyItFailed()
    {
        ProcessLauncher launcher;
        QCOMPARE(launcher.start(QStringLiteral("/nonexistent/program"), {}), 0);
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
};

QTEST_MAIN(TestProcessLauncher)
#include "tst_processlauncher.moc"
