// The platform's own services: the sound and video player over a stand-in
// for the sound server, finding and starting the desktop's programs (the
// file manager), and what the program asks of the user's session: whether
// the screen is locked, whether a copy already runs, whether it starts at login.

#include "fakes.h"
#include "platform/audiofile.h"
#include "platform/audiooutputpulse.h"
#include "platform/dbusscreenlock.h"
#include "platform/instanceguard.h"
#include "platform/processlauncher.h"
#include "platform/systemmediaplayer.h"
#include "platform/videowindow.h"
#include "platform/xdgautostart.h"

#include <QDBusConnection>
#include <QDataStream>
#include <QGuiApplication>
#include <QLocalServer>
#include <QProcess>
#include <QScopeGuard>
#include <QTimer>
#include <QWidget>

#include <sys/stat.h>

#include <cmath>
#include <condition_variable>
#include <mutex>
#include <vector>

// GStreamer's PulseAudio device provider leaks its context when no sound
// server is there, as in these tests; the full stack names it.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:gst_device_provider_get_devices\n";
}
extern "C" const char *__asan_default_options()
{
    return "fast_unwind_on_malloc=0";
}

using namespace calmora;
using namespace calmora::test;
using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

namespace {

// The test sound: half a second of a sine on each of six channels.
constexpr int kRate = 8000;
constexpr int kFrames = 4000;
constexpr int kChannels = 6;

float sineAt(qint64 frame, int channel)
{
    return 0.5f * float(std::sin(2 * M_PI * (440 + 110 * channel) * double(frame) / kRate));
}

// Stands in for the sound service: keeps every frame it is given. A held
// sound plays until it is cut off, like a long one would; any other lasts `length`.
class FakeOutput final : public AudioOutput
{
public:
    bool play(FrameSource &source, std::stop_token stop) override
    {
        format = source.format();
        std::vector<float> block(size_t(512 * format.channels));
        while (const qint64 got = source.read(block.data(), 512))
            samples.insert(samples.end(), block.begin(), block.begin() + got * format.channels);
        std::unique_lock lock(m_mutex);
        m_endedBeforeStart.push_back(int(m_cutOff.size()));
        m_changed.notify_all();
        m_changed.wait_for(lock, stop, hold ? std::chrono::hours(1) : length, [] { return false; });
        m_cutOff.push_back(stop.stop_requested());
        m_changed.notify_all();
        return true;
    }
    bool isServerHung() override { return hung; }

    // Waits until count plays have begun or, with ended, have ended.
    bool waitFor(int count, bool ended)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(
            lock, 10s, [&] { return int(ended ? m_cutOff.size() : m_endedBeforeStart.size()) >= count; });
    }
    // For each play that ended, whether it was cut off.
    std::vector<bool> cutOff()
    {
        const std::lock_guard lock(m_mutex);
        return m_cutOff;
    }
    // For each play, how many earlier ones had ended when it began.
    std::vector<int> endedBeforeStart()
    {
        const std::lock_guard lock(m_mutex);
        return m_endedBeforeStart;
    }

    std::atomic<bool> hold = false;
    std::atomic<bool> hung = false;
    std::chrono::milliseconds length{0};
    // What the last sound decoded to; read once its play has ended.
    AudioFormat format;
    std::vector<float> samples;

private:
    std::mutex m_mutex;
    std::condition_variable_any m_changed;
    std::vector<bool> m_cutOff;
    std::vector<int> m_endedBeforeStart;
};

// A screen saver service as the desktop's: it says whether it is active.
class FakeScreenSaver final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

public:
    bool active = false;

public Q_SLOTS:
    bool GetActive() { return active; }

Q_SIGNALS:
    void ActiveChanged(bool active);
};

struct Rig
{
    explicit Rig(std::chrono::milliseconds endSlack = 10s) : player(output, nullptr, endSlack) {}
    void sound(const QString &fileName, bool wait, const QString &word = u"sound"_s)
    {
        player.setDeviceType(u"WaveAudio"_s);
        player.setFileName(fileName);
        player.setWait(wait);
        player.command(word);
    }
    void video(const QString &fileName)
    {
        player.setWait(false);
        player.setDeviceType(u"AVIVideo"_s);
        player.setFileName(fileName);
        player.command(u"Open"_s);
        player.command(u"play"_s);
    }

    std::shared_ptr<FakeOutput> output = std::make_shared<FakeOutput>();
    SystemMediaPlayer player;
};

} // namespace

class TestPlatform : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QByteArray sine;
        QDataStream out(&sine, QIODevice::WriteOnly);
        out.setByteOrder(QDataStream::LittleEndian);
        for (qint64 i = 0; i < kFrames; ++i)
            for (int c = 0; c < kChannels; ++c)
                out << qint16(std::lround(sineAt(i, c) * 32767));
        put(path(u"beep.wav"_s), wavFile(sine, -1, kChannels, 16));
        put(path(u"nodata.wav"_s), wavFile({}));
        // A 32x24 uncompressed AVI of ten frames.
        QVERIFY(QFile::copy(QStringLiteral(CALMORA_TEST_CLIP), path(u"clip.avi"_s)));
        QVERIFY(QDir().mkpath(path(u"x.wav"_s)));
        QVERIFY(::mkfifo(QFile::encodeName(path(u"fifo.wav"_s)).constData(), 0600) == 0);
        // No test may reach the desktop's real sound server.
        qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(path(u"no-server"_s)));
    }

    // Frames reach the output as the file holds them, every channel in place,
    // scaled by the volume; at 0 nothing is played at all.
    void playsWhatTheFileHoldsAsLoudAsAsked_data()
    {
        QTest::addColumn<int>("volume");
        QTest::newRow("full") << 100;
        QTest::newRow("half") << 50;
        QTest::newRow("silent") << 0;
    }

    void playsWhatTheFileHoldsAsLoudAsAsked()
    {
        QFETCH(int, volume);
        Rig rig;
        rig.player.setVolume(volume);
        rig.sound(path(u"beep.wav"_s), true, u"Sound"_s);
        QCOMPARE(rig.output->cutOff().size(), size_t(volume > 0 ? 1 : 0));
        if (volume == 0)
            return;
        QCOMPARE(rig.output->format.sampleRate, kRate);
        QCOMPARE(rig.output->format.channels, kChannels);
        const std::vector<float> &s = rig.output->samples;
        QCOMPARE(qint64(s.size()), qint64(kFrames) * kChannels);
        for (qint64 i = 0; i < kFrames; i += 97)
            for (int c = 0; c < kChannels; ++c)
                QVERIFY(std::abs(s[size_t(i * kChannels + c)] - sineAt(i, c) * float(volume) / 100) < 1e-3);
    }

    // Neither as a sound nor, where it names no playable video, as a video.
    void refusesWhatIsNoSound_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<bool>("asVideo");
        QTest::addColumn<bool>("serverHung");
        QTest::newRow("empty name") << QString() << true << false;
        QTest::newRow("missing") << path(u"missing.wav"_s) << true << false;
        QTest::newRow("directory") << path(u"x.wav"_s) << true << false;
        QTest::newRow("header without data") << path(u"nodata.wav"_s) << false << false;
        QTest::newRow("fifo") << path(u"fifo.wav"_s) << false << false;
        QTest::newRow("video while the sound server hangs") << path(u"clip.avi"_s) << true << true;
    }

    void refusesWhatIsNoSound()
    {
        QFETCH(QString, fileName);
        QFETCH(bool, asVideo);
        QFETCH(bool, serverHung);
        Rig rig;
        rig.output->hung = serverHung;
        rig.sound(fileName, true);
        QVERIFY(!rig.player.isWaiting());
        if (asVideo) {
            rig.video(fileName);
            QVERIFY(!rig.player.videoWindow() || !rig.player.videoWindow()->window()->isVisible());
        }
        QVERIFY(rig.output->endedBeforeStart().empty());
    }

    // A waiting sound returns once it has ended, or once it should have: an
    // output that never says so does not hold the program for ever.
    void waitingSoundReturnsWhenItHasEnded_data()
    {
        QTest::addColumn<bool>("endless");
        QTest::newRow("ends") << false;
        QTest::newRow("never says it ended") << true;
    }

    void waitingSoundReturnsWhenItHasEnded()
    {
        QFETCH(bool, endless);
        Rig rig(endless ? 200ms : 10s); // 0.5 s long, given up at 0.7 s
        rig.output->length = 300ms;
        rig.output->hold = endless;
        QSignalSpy finished(&rig.player, &MediaPlayer::waitFinished);
        // Events still run while the sound plays, and see the player waiting.
        bool sawWaiting = false;
        QTimer::singleShot(0, &rig.player, [&] { sawWaiting = rig.player.isWaiting(); });
        rig.sound(path(u"beep.wav"_s), true);
        QVERIFY(sawWaiting);
        QVERIFY(!rig.player.isWaiting());
        QCOMPARE(finished.size(), 1);
        QVERIFY(rig.output->waitFor(1, true));
        QCOMPARE(rig.output->cutOff().front(), endless);
    }

    // Only one sound plays at a time: whatever comes next ends the one still playing.
    void nextRequestCutsOffTheSound_data()
    {
        QTest::addColumn<QString>("next");
        QTest::addColumn<int>("playsAfter");
        QTest::newRow("another sound") << u"beep.wav"_s << 2;
        QTest::newRow("missing file") << u"missing.wav"_s << 1;
        QTest::newRow("close") << u"<Close>"_s << 1;
    }

    void nextRequestCutsOffTheSound()
    {
        QFETCH(QString, next);
        QFETCH(int, playsAfter);
        Rig rig;
        rig.output->hold = true;
        rig.sound(path(u"beep.wav"_s), false);
        QVERIFY(rig.output->waitFor(1, false));
        if (next == u"<Close>"_s)
            rig.player.command(u"Close"_s);
        else
            rig.sound(path(next), false, u"SOUND"_s);
        QVERIFY(rig.output->waitFor(1, true));
        QVERIFY(rig.output->cutOff().front());
        QVERIFY(rig.output->waitFor(playsAfter, false));
        rig.player.command(u"close"_s);
        QVERIFY(rig.output->waitFor(playsAfter, true));
        // The first sound had let go of the output before the next began.
        std::vector<int> expected{0, 1};
        expected.resize(size_t(playsAfter));
        QVERIFY(rig.output->endedBeforeStart() == expected);
    }

    // A sound server that never answers is given up on: nothing plays and nothing waits.
    void silentServerPlaysNothing()
    {
        QLocalServer server;
        QVERIFY(server.listen(path(u"silent-server"_s)));
        const QByteArray noServer = qgetenv("PULSE_SERVER");
        const auto restore = qScopeGuard([&] { qputenv("PULSE_SERVER", noServer); });
        qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(server.fullServerName()));
        const PulseAudioOutput::Options options{100ms, 200ms};
        PulseAudioOutput output(QByteArrayLiteral("Calmora"), options);
        AudioFile source(path(u"beep.wav"_s));
        QVERIFY(!output.play(source, {}));
        QVERIFY(output.isServerHung());
        QVERIFY(server.waitForNewConnection(0) || server.hasPendingConnections());

        SystemMediaPlayer player(std::make_shared<PulseAudioOutput>(QByteArrayLiteral("Calmora"), options));
        player.setFileName(path(u"beep.wav"_s));
        player.setWait(true);
        player.command(u"sound"_s);
        QVERIFY(!player.isWaiting());
    }

    // The desktop entry's Exec line: quoting, escapes, and field codes.
    void execLineBecomesCommand()
    {
        const QString folder = u"/home/ann/My Sounds"_s;
        QCOMPARE(desktopExecCommand(u"\"/opt/File Manager/fm\" %i %c %k %f"_s, folder),
                 (QStringList{u"/opt/File Manager/fm"_s, folder}));
        QCOMPARE(desktopExecCommand(u"sh -c \"echo \\\"\\$x\\\"\""_s, folder),
                 (QStringList{u"sh"_s, u"-c"_s, u"echo \"$x\""_s}));
    }

    void fileManagerIsTheDesktopDefaultForFolders()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(u"bin"_s) && QDir(dir.path()).mkpath(u"share/applications/vendor"_s));
        put(dir.filePath(u"bin/xdg-mime"_s), "#!/bin/sh\necho vendor-fm.desktop\n");
        QVERIFY(QFile::setPermissions(dir.filePath(u"bin/xdg-mime"_s), QFile::ReadOwner | QFile::ExeOwner));
        // "vendor-fm.desktop" may live in a vendor subfolder.
        put(dir.filePath(u"share/applications/vendor/fm.desktop"_s),
            "[Desktop Action New]\nExec=wrong\n[Desktop Entry]\nName=FM\nExec=fm\\s2 --select %U\n");
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(dir.filePath(u"bin"_s)) + ':' + path);
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(u"share"_s)));
        QStandardPaths::setTestModeEnabled(false); // the desktop's files are where it keeps them
        ProcessLauncher launcher;
        const QStringList command = launcher.fileManagerCommand(u"/home/ann"_s);
        QStandardPaths::setTestModeEnabled(true);
        qputenv("PATH", QFile::encodeName(dir.filePath(u"nothing"_s)));
        const QStringList fallback = launcher.fileManagerCommand(u"/home/ann"_s);
        qputenv("PATH", path);
        QCOMPARE(command, (QStringList{u"fm"_s, u"2"_s, u"--select"_s, u"file:///home/ann"_s}));
        QCOMPARE(fallback, (QStringList{u"xdg-open"_s, u"/home/ann"_s}));
        // A program that cannot start says why, and runs under no process id.
        QCOMPARE(launcher.start(u"/nonexistent/program"_s, {}), 0);
        QVERIFY(!launcher.lastError().isEmpty());
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
        QVERIFY(ProcessLauncher().showFolder(u"/home/ann/My Sounds"_s));
        QFile shown(log);
        QVERIFY(shown.open(QIODevice::ReadOnly));
        QCOMPARE(shown.readAll(), "file:///home/ann/My%20Sounds\n"_ba);
    }

    // Asked once at start, then told by the signal; without the service, unlocked.
    void theScreenSaverSaysWhenTheScreenIsLocked()
    {
        QProcess bus; // killed with it, should a check fail
        bus.start(u"dbus-daemon"_s, {u"--session"_s, u"--nofork"_s, u"--print-address"_s});
        QVERIFY2(bus.waitForReadyRead(5000), "dbus-daemon did not start");
        const QString address = QString::fromUtf8(bus.readLine()).trimmed();
        QDBusConnection service = QDBusConnection::connectToBus(address, u"service"_s);
        QDBusConnection client = QDBusConnection::connectToBus(address, u"client"_s);
        QVERIFY(!DBusScreenLock(client).isLocked());

        FakeScreenSaver saver;
        saver.active = true;
        QVERIFY(service.registerObject(u"/org/freedesktop/ScreenSaver"_s, &saver,
                                       QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals));
        QVERIFY(service.registerService(u"org.freedesktop.ScreenSaver"_s));
        DBusScreenLock lock(client);
        QSignalSpy changed(&lock, &ScreenLock::lockedChanged);
        QTRY_VERIFY(lock.isLocked());
        Q_EMIT saver.ActiveChanged(false);
        QTRY_VERIFY(!lock.isLocked());
        QCOMPARE(changed.count(), 2);
        bus.terminate();
        QVERIFY(bus.waitForFinished());
    }

    // A second copy asks the first to come forward; a socket left by one that
    // crashed does not stop the next start.
    void oneCopyPerUserAndSettings()
    {
        const QString key = u"/home/ann/.config/Calmora/calmora.conf"_s;
        InstanceGuard first(key);
        const QString socket = QDir::isAbsolutePath(first.socketName())
                                   ? first.socketName()
                                   : QDir::tempPath() + u'/' + first.socketName();
        put(socket, {});
        QVERIFY(QFile::exists(socket));
        QVERIFY(first.claim());
        QSignalSpy asked(&first, &InstanceGuard::activationRequested);
        InstanceGuard second(key);
        QVERIFY(!second.claim());
        QTRY_COMPARE(asked.count(), 1);
        InstanceGuard other(u"/home/ann/.config/Calmora/calmora-test.conf"_s);
        QVERIFY(other.claim());
    }

    void startingAtLoginIsAnEntryOfTheDesktop()
    {
        XdgAutostart autostart(u"/opt/my \"sounds\"/calmora"_s, u"calmora"_s);
        QVERIFY(autostart.entryPath().endsWith(u"/autostart/org.calmora.Calmora.desktop"_s));
        autostart.setEnabled(false);
        QVERIFY(!autostart.isEnabled());
        QCOMPARE(autostart.setEnabled(true), QString());
        QVERIFY(autostart.isEnabled());
        QVERIFY(contents(autostart.entryPath()).contains(R"(Exec="/opt/my \\"sounds\\"/calmora")"));
        QCOMPARE(QProcess::execute(u"desktop-file-validate"_s, {autostart.entryPath()}), 0);
        QCOMPARE(autostart.setEnabled(false), QString());
        QVERIFY(!QFile::exists(autostart.entryPath()));
        // A copy under another name has an entry of its own.
        QVERIFY(
            XdgAutostart(u"/x"_s, u"calmora test"_s).entryPath().endsWith(u"Calmora-calmora_test.desktop"_s));
    }
};

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
