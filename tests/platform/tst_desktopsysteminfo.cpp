#include "platform/desktopsysteminfo.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace calmora;
using namespace Qt::StringLiterals;

class TestDesktopSystemInfo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void findsTheDesktopsToolThenTheNeutralOne_data()
    {
        QTest::addColumn<QString>("desktops");
        QTest::addColumn<QStringList>("programs"); // on the search path; "-" marks one that may not run
        QTest::addColumn<QString>("program");      // what the first lookup finds, "" for nothing
        QTest::addColumn<bool>("folder");          // whether the second lookup finds the neutral tool
        QTest::newRow("KDE") << u"KDE"_s << QStringList{u"kinfocenter"_s, u"hardinfo"_s} << u"kinfocenter"_s
                             << true;
        QTest::newRow("second of several desktops")
            << u"ubuntu:GNOME"_s << QStringList{u"gnome-system-monitor"_s} << u"gnome-system-monitor"_s
            << false;
        QTest::newRow("desktop's tool not installed")
            << u"KDE"_s << QStringList{u"hardinfo"_s} << QString() << true;
        QTest::newRow("desktop's tool may not run")
            << u"XFCE"_s << QStringList{u"-xfce4-about"_s} << QString() << false;
        QTest::newRow("unknown desktop")
            << u"SomethingElse"_s << QStringList{u"kinfocenter"_s} << QString() << false;
    }

    void findsTheDesktopsToolThenTheNeutralOne()
    {
        QFETCH(QString, desktops);
        QFETCH(QStringList, programs);
        QFETCH(QString, program);
        QFETCH(bool, folder);
        QTemporaryDir bin;
        for (const QString &name : programs) {
            const bool runs = !name.startsWith(u'-');
            QFile file(bin.filePath(runs ? name : name.mid(1)));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("#!/bin/sh\n");
            QVERIFY(file.setPermissions(runs ? file.permissions() | QFileDevice::ExeOwner
                                             : QFileDevice::ReadOwner | QFileDevice::WriteOwner));
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
};

QTEST_MAIN(TestDesktopSystemInfo)
#include "tst_desktopsysteminfo.moc"
