#include "app/appstate.h"
#include "app/settings.h"
#include "fakes.h"
#include "list/soundlist.h"
#include "net/folderlisting.h"
#include "platform/settingsstore.h"

#include <QListWidget>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

using namespace calmora;
using namespace calmora::test;

class TestSettings : public QObject
{
    Q_OBJECT

    struct Fixture
    {
        TestRig rig;
        AppState state;
        QListWidget list1;
        SoundList list{&list1, state, nullptr};
        FolderListing file1;
        SettingsContext context() { return {*rig.store, state, list, file1, rig.dialogs, nullptr}; }
        // Everything the settings hold, in one line to compare.
        QString summary() const
        {
            QStringList all{QString::number(state.StressIndex), QLatin1String(state.NetActive ? "on" : "off"),
                            state.NetName, state.NetPath, QString::number(state.UserCount)};
            for (const QString &user : state.Users)
                all.append(user);
            for (int n = 1; n <= AppState::kFunctionKeys; ++n)
                all.append(state.FunctionKeyTable[n].isEmpty()
                               ? QString()
                               : QStringLiteral("F%1=%2").arg(n).arg(state.FunctionKeyTable[n]));
            const QStringList ticked = list.List2();
            for (int i = 0; i < list.count(); ++i)
                all.append(QLatin1String(ticked.contains(list.text(i)) ? "+" : "-") + list.text(i));
            all.removeAll(QString());
            return all.join(QLatin1Char('|'));
        }
    };

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void storeIsReadWithSafeDefaultsForBadValues_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("read"); // stress|net|name|path|users|names|keys|(un)ticked entries
        const QString none = QStringLiteral("2|off|0");
        QTest::newRow("as the program writes it")
            << QByteArray(
                   "[Settings]\nStressIndex=0\nNetActive=TRUE\nNetName=bob\nNetPath=/\nUsers=2\nUser1=ann\n"
                   "User2=Carl\nUser3=ghost\n[Function%20Keys]\nF1=Random\nF12=/s/z.wav\n[WAV%20Files]\n"
                   "NumWavs=3\nwav0=\"/s/b.wav,True\"\nwav1=\"/s/a.wav,False\"\nwav2=\"/s/C.wav,1\"\n")
            << QStringLiteral("0|on|bob|/|2|ann|Carl|F1=Random|F12=/s/z.wav|-/s/a.wav|+/s/b.wav|+/s/C.wav");
        QTest::newRow("empty store") << QByteArray() << none;
        QTest::newRow("stress out of range") << QByteArray("[Settings]\nStressIndex=7\nUsers=-4\n") << none;
        QTest::newRow("users above fifty")
            << QByteArray("[Settings]\nUsers=75\n") << QStringLiteral("2|off|50");
        QTest::newRow("huge count reads what exists")
            << QByteArray("[WAV%20Files]\nNumWavs=99999999999\nwav0=\"/a.wav,True\"\nwav7=\"/b.wav,True\"\n")
            << none + QStringLiteral("|+/a.wav|+/b.wav");
        QTest::newRow("unreadable tick") << QByteArray("[WAV%20Files]\nNumWavs=1\nwav0=\"/a.wav,maybe\"\n")
                                         << none + QStringLiteral("|-/a.wav");
        QTest::newRow("comma in path") << QByteArray("[WAV%20Files]\nNumWavs=1\nwav0=\"/a,b/c.wav,True\"\n")
                                       << none + QStringLiteral("|+/a,b/c.wav");
        QTest::newRow("unquoted comma") << QByteArray("[WAV%20Files]\nNumWavs=1\nwav0=/a.wav,true\n")
                                        << none + QStringLiteral("|+/a.wav");
    }

    void storeIsReadWithSafeDefaultsForBadValues()
    {
        QFETCH(QByteArray, ini);
        Fixture f;
        f.rig.writeSettings(ini);
        f.state.SettingsChanged = true;
        Read_Settings(f.context());
        QTEST(f.summary(), "read");
        QCOMPARE(f.file1.path(), f.state.NetPath);
        QVERIFY(!f.state.SettingsChanged);
        QVERIFY(f.rig.dialogs.messages.isEmpty()); // an empty NetPath binds silently
    }

    void missingFolderIsReported()
    {
        Fixture f;
        f.rig.writeSettings("[Settings]\nNetPath=" + f.rig.dir.filePath(QStringLiteral("gone")).toUtf8()
                            + "\n");
        Read_Settings(f.context());
        QCOMPARE(f.rig.dialogs.messages, QStringList{QStringLiteral("No such file or directory")});
    }

    void saveThenRestoreRoundTrips()
    {
        Fixture f;
        f.state.StressIndex = 3;
        f.state.NetName = QStringLiteral("ann");
        f.state.NetPath = QStringLiteral("/srv/share");
        f.state.NetActive = true;
        f.state.UserCount = 2;
        f.state.Users[1] = QStringLiteral("bob");
        f.state.Users[2] = QStringLiteral("carl");
        for (int n = 1; n <= 12; ++n)
            f.state.FunctionKeyTable[n] = n % 2 ? QStringLiteral("/k/f%1.wav").arg(n) : QString();
        for (const char *name : {"/s/e.wav", "/s/d.wav", "/s/c.wav", "/s/b.wav", "/s/a.wav"})
            f.list.addEntry(QLatin1String(name), name[3] != 'c');
        f.state.SettingsChanged = true;
        QVERIFY(Save_Settings(f.context()));
        QVERIFY(!f.state.SettingsChanged);

        // Saving three entries after five leaves exactly three.
        f.list.removeAt(4);
        f.list.removeAt(3);
        QVERIFY(Save_Settings(f.context()));
        {
            QSettings raw(f.rig.settingsPath(), QSettings::IniFormat);
            raw.beginGroup(QStringLiteral("WAV Files"));
            QCOMPARE(raw.allKeys().size(), 4);
            QCOMPARE(raw.value(QStringLiteral("NumWavs")).toString(), QStringLiteral("3"));
            QCOMPARE(raw.value(QStringLiteral("wav2")).toString(), QStringLiteral("/s/c.wav,False"));
            raw.endGroup();
            raw.beginGroup(QStringLiteral("Function Keys"));
            QCOMPARE(raw.allKeys().size(), 12); // empty keys are written too
        }

        Fixture g;
        g.rig.store = f.rig.reopenStore();
        Read_Settings(g.context());
        QCOMPARE(g.summary(), f.summary());
    }

    void restoringAFullListIsOneBatch()
    {
        Fixture f;
        QByteArray ini("[WAV%20Files]\nNumWavs=32767\n");
        for (int n = 0; n < 32767; ++n)
            ini += "wav" + QByteArray::number(n) + "=\"/s/" + QByteArray::number((n * 7919) % 32767) + ".wav,"
                   + (n % 3 ? "True" : "False") + "\"\n";
        f.rig.writeSettings(ini);
        Read_Settings(f.context());
        QCOMPARE(f.list.count(), 32767);
        QCOMPARE(f.list.List2().size(), 21844);
        QVERIFY(!f.state.SettingsChanged);
        for (int i = 1; i < f.list.count(); ++i)
            QVERIFY(f.list.text(i - 1).compare(f.list.text(i), Qt::CaseInsensitive) <= 0);
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
