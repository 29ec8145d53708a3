#include "platform/audiofile.h"
#include "platform/audiooutputpulse.h"
#include "platform/systemmediaplayer.h"
#include "platform/videowindow.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <sndfile.h>

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
using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

namespace {

constexpr int kRate = 8000;
constexpr int kFrames = 4000;

float sine(qint64 frame, int channel)
{
    return 0.5f * float(std::sin(2 * M_PI * (440 + 110 * channel) * double(frame) / kRate));
}

// Writes frames of a sine per channel in the given libsndfile format.
bool writeSound(const QString &path, int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16, int channels = 1,
                qint64 frames = kFrames)
{
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = channels;
    info.format = format;
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!file)
        return false;
    std::vector<float> samples(size_t(frames * channels));
    for (qint64 i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            samples[size_t(i * channels + c)] = sine(i, c);
    const bool ok = sf_writef_float(file, samples.data(), frames) == frames;
    return sf_close(file) == 0 && ok;
}

// Stands in for the sound service: takes every frame it is given and keeps
// them. A held sound plays until it is cut off, like a long one would.
class FakeOutput final : public AudioOutput
{
public:
    struct Play
    {
        AudioFormat format;
        std::vector<float> samples;
        bool cutOff = false;
    };

    bool play(FrameSource &source, std::stop_token stop) override
    {
        Play p;
        p.format = source.format();
        std::vector<float> block(size_t(512 * p.format.channels));
        while (const qint64 got = source.read(block.data(), 512))
            p.samples.insert(p.samples.end(), block.begin(), block.begin() + got * p.format.channels);
        std::unique_lock lock(m_mutex);
        m_endedBeforeStart.push_back(int(m_plays.size()));
        m_changed.notify_all();
        if (hold)
            m_changed.wait(lock, stop, [] { return false; });
        else
            m_changed.wait_for(lock, stop, length, [] { return false; });
        p.cutOff = stop.stop_requested();
        m_plays.push_back(std::move(p));
        m_changed.notify_all();
        return true;
    }

    bool isServerHung() override { return hung; }

    // Waits until count plays have begun or, with ended, have ended.
    bool waitFor(int count, bool ended)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(
            lock, 10s, [&] { return int(ended ? m_plays.size() : m_endedBeforeStart.size()) >= count; });
    }
    std::vector<Play> plays()
    {
        const std::lock_guard lock(m_mutex);
        return m_plays;
    }
    int started() { return int(endedBeforeStart().size()); }
    // For each play, how many earlier ones had ended when it began.
    std::vector<int> endedBeforeStart()
    {
        const std::lock_guard lock(m_mutex);
        return m_endedBeforeStart;
    }

    std::atomic<bool> hold = false;
    std::atomic<bool> hung = false;
    std::chrono::milliseconds length{0};

private:
    std::mutex m_mutex;
    std::condition_variable_any m_changed;
    std::vector<Play> m_plays;
    std::vector<int> m_endedBeforeStart;
};

struct Rig
{
    std::shared_ptr<FakeOutput> output = std::make_shared<FakeOutput>();
    SystemMediaPlayer player{output};

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
};

} // namespace

class TestSystemMediaPlayer : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString fixture(const char *name) const
    {
        return QStringLiteral(CALMORA_TEST_FIXTURES) + u'/' + QLatin1String(name);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
        QVERIFY(writeSound(path(u"beep.wav"_s)));
        QVERIFY(writeSound(path(u"nodata.wav"_s), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 0));
        // A 32x24 uncompressed AVI of ten frames.
        QVERIFY(QFile::copy(QStringLiteral(CALMORA_TEST_CLIP), path(u"clip.avi"_s)));
        QVERIFY(QDir().mkpath(path(u"x.wav"_s)));
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
        const int channels = 6;
        const QString file = path(u"six.wav"_s);
        QVERIFY(writeSound(file, SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, channels));
        Rig rig;
        rig.player.setVolume(volume);
        rig.sound(file, true, u"Sound"_s);
        QCOMPARE(rig.output->plays().size(), size_t(volume > 0 ? 1 : 0));
        if (volume == 0)
            return;
        const FakeOutput::Play p = rig.output->plays().front();
        QCOMPARE(p.format.sampleRate, kRate);
        QCOMPARE(p.format.channels, channels);
        QCOMPARE(qint64(p.samples.size()), qint64(kFrames) * channels);
        for (qint64 i = 0; i < kFrames; i += 97)
            for (int c = 0; c < channels; ++c)
                QVERIFY(std::abs(p.samples[size_t(i * channels + c)] - sine(i, c) * float(volume) / 100) < 1e-3);
    }

    // Neither as a sound nor, where it names no playable video, as a video.
    void refusesWhatIsNoSound_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<bool>("asVideo");
        QTest::addColumn<bool>("serverHung");
        QTest::newRow("empty name") << QString() << true << false;
        QTest::newRow("missing") << path(u"missing.wav"_s) << true << false;
        QTest::newRow("random bytes") << fixture("random-bytes.wav") << false << false;
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
        if (QByteArrayView(QTest::currentDataTag()) == "fifo" && !QFile::exists(fileName)
            && QProcess::execute(u"mkfifo"_s, {fileName}) != 0)
            QSKIP("mkfifo is not available");

        Rig rig;
        rig.output->hung = serverHung;
        rig.sound(fileName, true);
        QVERIFY(!rig.player.isWaiting());
        QVERIFY(!AudioFile(fileName).isOpen());
        if (asVideo) {
            rig.video(fileName);
            QVERIFY(!rig.player.videoWindow() || !rig.player.videoWindow()->window()->isVisible());
        }
        QCOMPARE(rig.output->started(), 0);
    }

    void waitingSoundReturnsWhenItHasEnded()
    {
        const QString file = path(u"beep.wav"_s);
        Rig rig;
        rig.output->length = 300ms;
        QSignalSpy finished(&rig.player, &MediaPlayer::waitFinished);
        // Events still run while the sound plays, and see the player waiting.
        bool sawWaiting = false;
        QTimer::singleShot(0, &rig.player, [&] { sawWaiting = rig.player.isWaiting(); });

        rig.sound(file, true);
        QCOMPARE(rig.output->plays().size(), size_t(1));
        QVERIFY(!rig.output->plays().front().cutOff);
        QVERIFY(sawWaiting);
        QVERIFY(!rig.player.isWaiting());
        QCOMPARE(finished.size(), 1);
    }

    // An output that never says the sound ended does not hold the program for ever.
    void waitingGivesUpOnASoundThatNeverEnds()
    {
        auto output = std::make_shared<FakeOutput>();
        output->hold = true;
        SystemMediaPlayer player(output, nullptr, 200ms);
        player.setFileName(path(u"beep.wav"_s));
        player.setWait(true);
        player.command(u"sound"_s); // 0.5 s long, given up at 0.7 s
        QVERIFY(!player.isWaiting());
        QVERIFY(output->waitFor(1, true));
        QVERIFY(output->plays().front().cutOff);
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
        const QString file = path(u"beep.wav"_s);
        Rig rig;
        rig.output->hold = true;
        rig.sound(file, false);
        QVERIFY(rig.output->waitFor(1, false));

        if (next == u"<Close>"_s)
            rig.player.command(u"Close"_s);
        else
            rig.sound(next.isEmpty() ? next : path(next), false, u"SOUND"_s);
        QVERIFY(rig.output->waitFor(1, true));
        QVERIFY(rig.output->plays().front().cutOff);
        QVERIFY(rig.output->waitFor(playsAfter, false));
        rig.player.command(u"close"_s);
        QVERIFY(rig.output->waitFor(playsAfter, true));
        QCOMPARE(rig.output->started(), playsAfter);
        // The first sound had let go of the output before the next began.
        std::vector<int> expected{0, 1};
        expected.resize(size_t(playsAfter));
        QVERIFY(rig.output->endedBeforeStart() == expected);
    }

    // Without a sound server, or with one that never answers, nothing plays and nothing waits.
    void missingOrSilentServerPlaysNothing_data()
    {
        QTest::addColumn<bool>("silent");
        QTest::newRow("no server") << false;
        QTest::newRow("silent server") << true;
    }

    void missingOrSilentServerPlaysNothing()
    {
        QFETCH(bool, silent);
        QLocalServer server;
        const QByteArray noServer = qgetenv("PULSE_SERVER");
        const auto restore = qScopeGuard([&] { qputenv("PULSE_SERVER", noServer); });
        if (silent) {
            QVERIFY(server.listen(path(u"silent-server"_s)));
            qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(server.fullServerName()));
        }
        const QString file = path(u"beep.wav"_s);

        PulseAudioOutput output(QByteArrayLiteral("Calmora"), {100ms, 200ms});
        AudioFile source(file);
        QVERIFY(source.isOpen());
        QVERIFY(!output.play(source, {}));
        QCOMPARE(output.isServerHung(), silent);
        if (silent)
            QVERIFY(server.waitForNewConnection(0) || server.hasPendingConnections());

        SystemMediaPlayer player(std::make_shared<PulseAudioOutput>(QByteArrayLiteral("Calmora"),
                                                                    PulseAudioOutput::Options{100ms, 200ms}));
        player.setFileName(file);
        player.setWait(true);
        player.command(u"sound"_s);
        QVERIFY(!player.isWaiting());
    }

    void videoPlaysInAWindowOfItsOwn()
    {
        const QString second = path(u"second.AVI"_s);
        QVERIFY(QFile::copy(path(u"clip.avi"_s), second));
        Rig rig;
        rig.video(path(u"clip.avi"_s));
        QVERIFY(rig.player.videoWindow());
        QWidget *window = rig.player.videoWindow()->window();
        QVERIFY(window->isVisible());

        // The next video reuses the window rather than opening another.
        rig.video(second);
        QCOMPARE(rig.player.videoWindow()->window(), window);
        QCOMPARE(window->windowTitle(), u"second.AVI"_s);
        QCOMPARE(rig.output->started(), 0);

        rig.player.command(u"close"_s);
        QVERIFY(!window->isVisible());
    }
};

QTEST_MAIN(TestSystemMediaPlayer)
#include "tst_systemmediaplayer.moc"
