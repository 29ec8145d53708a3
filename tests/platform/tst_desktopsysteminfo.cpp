#include "platform/desktopsysteminfo.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace calmora;

class TestDesktopSystemInfo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void findsTheDesktopsToolThenTheNeutralOne_data()
    {
        QTest::addColumn<QString>("desktops");
        QTest::addColumn<QStringList>("programs"); // executables on the search path
        QTest::addColumn<QString>("program");      // what the first lookup finds, "" for nothing
        QTest::addColumn<bool>("folder");          // whether the second lookup finds the neutral tool
        QTest::newRow("KDE") << "KDE"
                             << QStringList{QStringLiteral("kinfocenter"), QStringLiteral("hardinfo")}
                             << "kinfocenter" << true;
        QTest::newRow("second of several desktops")
            << "ubuntu:GNOME" << QStringList{QStringLiteral("gnome-system-monitor")} << "gnome-system-monitor"
            << false;
        QTest::newRow("desktop's tool not installed")
            << "KDE" << QStringList{QStringLiteral("hardinfo")} << "" << true;
        QTest::newRow("unknown desktop")
            << "SomethingElse" << QStringList{QStringLiteral("kinfocenter")} << "" << false;
        QTest::newRow("no desktop") << "" << QStringList{QStringLiteral("kinfocenter")} << "" << false;
    }

    void findsTheDesktopsToolThenTheNeutralOne()
    {
        QFETCH(QString, desktops);
        QFETCH(QStringList, programs);
        QFETCH(QString, program);
        QFETCH(bool, folder);
        QTemporaryDir bin;
        for (const QString &name : programs) {
            QFile file(bin.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("#!/bin/sh\n");
            QVERIFY(file.setPermissions(file.permissions() | QFileDevice::ExeOwner));
        }

        DesktopSystemInfo lookup(desktops, {bin.path()});
        const std::optional<QString> found = lookup.toolProgram();
        QCOMPARE(found.has_value(), !program.isEmpty());
        if (found)
            QCOMPARE(*found, bin.filePath(program));
        const std::optional<QString> toolFolder = lookup.toolFolder();
        QCOMPARE(toolFolder.has_value(), folder);
        if (toolFolder)
            QCOMPARE(QDir(*toolFolder), QDir(bin.path()));
        QVERIFY(QFile::exists(bin.filePath(lookup.toolFileName())) == folder);
    }

    void aToolThatCannotRunIsNotFound()
    {
        // A file of that name without permission to run it.
        QTemporaryDir bin;
        QFile file(bin.filePath(QStringLiteral("xfce4-about")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QVERIFY(!DesktopSystemInfo(QStringLiteral("XFCE"), {bin.path()}).toolProgram());
    }
};

QTEST_MAIN(TestDesktopSystemInfo)
#include "tst_desktopsysteminfo.moc"
