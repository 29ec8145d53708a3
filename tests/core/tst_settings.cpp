#include "core/appstate.h"
#include "core/settings.h"
#include "fakes.h"
#include "list/soundlist.h"
#include "net/folderlisting.h"

#include <QSettings>

using namespace calmora;
using namespace calmora::test;
using namespace Qt::StringLiterals;

class TestSettings : public QObject
{
    Q_OBJECT

    struct Fixture
    {
        ~Fixture() { files->release(); }
        std::error_code read() { return readSettings(*rig.store, state, list, file1); }
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
                               : u"F%1=%2"_s.arg(n).arg(state.FunctionKeyTable[n]));
            for (int i = 0; i < list.count(); ++i)
                all.append(QLatin1String(list.isTicked(i) ? "+" : "-") + list.text(i));
            all.append(list.List2().join(u','));
            const AppState::Preferences &p = state.preferences;
            if (!(p == AppState::Preferences()))
                all.append(u"%1%2 %3-%4%5"_s.arg(p.volume).arg(
                    p.quietHours ? u" quiet"_s : QString(), p.quietFrom.toString(u"HH:mm"_s),
                    p.quietTo.toString(u"HH:mm"_s), p.quietWhenLocked ? QString() : u" unlocked-too"_s));
            all.removeAll(QString());
            return all.join(QLatin1Char('|'));
        }

        TestRig rig;
        AppState state;
        SoundList list{state, nullptr};
        std::shared_ptr<ShareFileSystem> files = std::make_shared<ShareFileSystem>();
        FolderListing file1{files};
    };

private Q_SLOTS:
    void storeIsReadWithSafeDefaultsForBadValues_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("read"); // stress|net|name|path|users|names|keys|entries|List2
        const QString none = u"2|off|0"_s;
        QTest::newRow("as the program writes it")
            << QByteArray(
                   "[Settings]\nStressIndex=0\nNetActive=TRUE\nNetName=bob\nNetPath=/\nUsers=2\nUser1=ann\n"
                   "User2=Carl\nUser3=ghost\n[Function%20Keys]\nF1=Random\nF12=/s/z.wav\n[WAV%20Files]\n"
                   "NumWavs=3\nwav0=\"/s/b.wav,True\"\nwav1=\"/s/a.wav,False\"\nwav2=\"/s/C.wav,1\"\n")
            << u"0|on|bob|/|2|ann|Carl|F1=Random|F12=/s/z.wav|-/s/a.wav|+/s/b.wav|+/s/C.wav|/s/b.wav,/s/C.wav"_s;
        QTest::newRow("empty store") << QByteArray() << none;
        QTest::newRow("stress out of range") << QByteArray("[Settings]\nStressIndex=7\nUsers=-4\n") << none;
        QTest::newRow("users above fifty") << QByteArray("[Settings]\nUsers=75\n") << u"2|off|50"_s;
        QTest::newRow("huge count reads what exists")
            << QByteArray("[WAV%20Files]\nNumWavs=99999999999\nwav0=\"/a.wav,True\"\nwav7=\"/b.wav,True\"\n")
            << none + u"|+/a.wav|+/b.wav|/a.wav,/b.wav"_s;
        QTest::newRow("unreadable tick")
            << QByteArray("[WAV%20Files]\nNumWavs=1\nwav0=\"/a.wav,maybe\"\n") << none + u"|-/a.wav"_s;
        QTest::newRow("comma in path") << QByteArray("[WAV%20Files]\nNumWavs=1\nwav0=\"/a,b/c.wav,True\"\n")
                                       << none + u"|+/a,b/c.wav|/a,b/c.wav"_s;
        QTest::newRow("preferences") << QByteArray(
            "[Preferences]\nVolume=35\nQuietHours=true\nQuietFrom=23:15\nQuietTo=06:30\n"
            "QuietWhenLocked=False\n")
                                     << none + u"|35 quiet 23:15-06:30 unlocked-too"_s;
        QTest::newRow("bad preferences")
            << QByteArray("[Preferences]\nVolume=250\nQuietHours=maybe\nQuietFrom=25:00\n"
                          "QuietTo=soon\nQuietWhenLocked=7\n")
            << none; // the defaults, all of them
    }

    void storeIsReadWithSafeDefaultsForBadValues()
    {
        QFETCH(QByteArray, ini);
        Fixture f;
        f.rig.writeSettings(ini);
        f.state.SettingsChanged = true;
        QVERIFY(!f.read()); // an empty or reachable NetPath binds silently
        QTEST(f.summary(), "read");
        QCOMPARE(f.file1.path(), f.state.NetPath);
        QVERIFY(!f.state.SettingsChanged);
    }

    // A shared folder that is gone is reported; one that does not answer
    // neither freezes the start nor complains. Neither is bound.
    void unusableFolderIsKeptButNotBound_data()
    {
        QTest::addColumn<bool>("hangs");
        QTest::addColumn<int>("error");
        QTest::newRow("missing") << false << int(std::errc::no_such_file_or_directory);
        QTest::newRow("not answering") << true << 0;
    }

    void unusableFolderIsKeptButNotBound()
    {
        QFETCH(bool, hangs);
        Fixture f;
        const QString folder = hangs ? f.rig.dir.path() : f.rig.path(u"gone"_s);
        f.rig.writeSettings("[Settings]\nNetPath=" + folder.toUtf8() + "\n");
        if (hangs) {
            f.file1.setWaitLimit(50);
            f.files->hold();
        }
        QTEST(f.read().value(), "error");
        QCOMPARE(f.state.NetPath, folder);
        QVERIFY(f.file1.path().isEmpty());
    }

    void saveThenRestoreRoundTrips()
    {
        Fixture f;
        f.state.StressIndex = 3;
        f.state.NetName = u"ann"_s;
        f.state.NetPath = u"/srv/share"_s;
        f.state.NetActive = true;
        f.state.UserCount = 2;
        f.state.Users[1] = u"bob"_s;
        f.state.Users[2] = u"carl"_s;
        for (int n = 1; n <= 12; n += 2)
            f.state.FunctionKeyTable[n] = u"/k/f%1.wav"_s.arg(n);
        // The same sound twice, ticked differently, keeps its order both ways.
        for (const char *name : {"/s/e.wav", "/s/d.wav", "/s/c.wav", "/s/b.wav", "/s/a.wav", "/s/a.wav"})
            f.list.addEntry(QLatin1String(name), f.list.count() % 2 == 0);
        QVERIFY(saveSettings(*f.rig.store, f.state, f.list));
        QVERIFY(!f.state.SettingsChanged);
        Fixture g;
        g.rig.store = f.rig.reopenStore();
        g.read();
        QCOMPARE(g.summary(), f.summary());

        // Saving three entries after six leaves exactly three; empty keys are written too.
        for (int i = 0; i < 3; ++i)
            f.list.removeAt(3);
        QVERIFY(saveSettings(*f.rig.store, f.state, f.list));
        QSettings raw(f.rig.settingsPath(), QSettings::IniFormat);
        QCOMPARE(raw.value(u"WAV Files/NumWavs"_s).toString(), u"3"_s);
        QCOMPARE(raw.value(u"WAV Files/wav2"_s).toString(), u"/s/b.wav,False"_s);
        QVERIFY(!raw.contains(u"WAV Files/wav3"_s));
        QVERIFY(raw.contains(u"Function Keys/F12"_s));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
