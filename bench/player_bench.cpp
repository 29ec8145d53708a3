// A waiting "sound" of the real player against paplay, which also returns
// once its sound has drained, on the same private PulseAudio null sink in the
// same run. For each file and each candidate output it prints the median time
// the call takes, the median onset (command to first loud sample on the sink's
// monitor) and how much of the sound was heard, each as a ratio to paplay.
// It exits non-zero when the chosen output misses its target.
// bench/player_bench.sh starts the server and makes the files.
// Usage: player_bench [--runs N] FILE...

#include "platform/audiooutputpulse.h"
#include "platform/audiooutputqt.h"
#include "platform/systemmediaplayer.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QSoundEffect>
#include <QStringList>
#include <QTimer>
#include <QUrl>

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>
#include <vector>

using namespace calmora;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

// Listens to the null sink's monitor and notes, from the moment it is armed,
// when the first loud sample arrives and how many loud samples come.
class MonitorRecorder
{
public:
    bool start()
    {
        m_loop = pa_threaded_mainloop_new();
        m_context = pa_context_new(pa_threaded_mainloop_get_api(m_loop), "player_bench");
        pa_context_set_state_callback(m_context, &MonitorRecorder::onContext, this);
        if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0
            || pa_threaded_mainloop_start(m_loop) < 0)
            return false;
        const auto deadline = Clock::now() + 5s;
        while (!m_ready && !m_failed && Clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
        return m_ready;
    }

    ~MonitorRecorder()
    {
        if (!m_loop)
            return;
        pa_threaded_mainloop_stop(m_loop);
        if (m_stream)
            pa_stream_unref(m_stream);
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
        pa_threaded_mainloop_free(m_loop);
    }

    void arm(Clock::time_point at)
    {
        m_loud = 0;
        m_firstLoud = 0;
        m_armedAt = at.time_since_epoch().count();
    }
    // Milliseconds from arming to the first loud sample; negative when none came.
    double onsetMs() const
    {
        const auto first = m_firstLoud.load();
        return first ? double(first - m_armedAt.load()) / 1e6 : -1;
    }
    long long loudSamples() const { return m_loud; }

private:
    static void onContext(pa_context *c, void *self)
    {
        auto *r = static_cast<MonitorRecorder *>(self);
        const pa_context_state_t state = pa_context_get_state(c);
        if (state == PA_CONTEXT_READY) {
            const pa_sample_spec sampleFormat{PA_SAMPLE_S16LE, 44100, 2};
            r->m_stream = pa_stream_new(c, "monitor", &sampleFormat, nullptr);
            pa_stream_set_read_callback(r->m_stream, &MonitorRecorder::onRead, r);
            pa_stream_set_state_callback(r->m_stream, &MonitorRecorder::onStream, r);
            pa_buffer_attr attr{};
            attr.maxlength = uint32_t(-1);
            attr.fragsize = uint32_t(pa_usec_to_bytes(10000, &sampleFormat));
            pa_stream_connect_record(r->m_stream, "calm.monitor", &attr, PA_STREAM_ADJUST_LATENCY);
        } else if (!PA_CONTEXT_IS_GOOD(state)) {
            r->m_failed = true;
        }
    }
    static void onStream(pa_stream *s, void *self)
    {
        auto *r = static_cast<MonitorRecorder *>(self);
        if (pa_stream_get_state(s) == PA_STREAM_READY)
            r->m_ready = true;
        else if (!PA_STREAM_IS_GOOD(pa_stream_get_state(s)))
            r->m_failed = true;
    }
    static void onRead(pa_stream *s, size_t, void *self)
    {
        auto *r = static_cast<MonitorRecorder *>(self);
        const void *data = nullptr;
        size_t bytes = 0;
        while (pa_stream_readable_size(s) > 0 && pa_stream_peek(s, &data, &bytes) == 0 && bytes > 0) {
            if (data && r->m_armedAt) {
                const auto *samples = static_cast<const int16_t *>(data);
                long long loud = 0;
                for (size_t i = 0; i < bytes / 2; ++i)
                    loud += std::abs(int(samples[i])) > 500;
                if (loud > 0 && !r->m_firstLoud)
                    r->m_firstLoud = Clock::now().time_since_epoch().count();
                r->m_loud += loud;
            }
            pa_stream_drop(s);
        }
    }

    pa_threaded_mainloop *m_loop = nullptr;
    pa_context *m_context = nullptr;
    pa_stream *m_stream = nullptr;
    std::atomic<bool> m_ready = false;
    std::atomic<bool> m_failed = false;
    std::atomic<long long> m_armedAt = 0;
    std::atomic<long long> m_firstLoud = 0;
    std::atomic<long long> m_loud = 0;
};

struct Candidate
{
    const char *name;
    std::function<void(const QString &)> playWaiting;
};

struct Result
{
    std::vector<double> totalMs, onsetMs, heard;
};

double median(std::vector<double> v)
{
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

void playWaiting(SystemMediaPlayer &player, const QString &file)
{
    player.setDeviceType(QStringLiteral("WaveAudio"));
    player.setFileName(file);
    player.setWait(true);
    player.command(QStringLiteral("sound"));
}

// What a player built on QSoundEffect would do for a waiting sound: load the
// file, play it and wait until it stops.
void playSoundEffect(const QString &file)
{
    QSoundEffect effect;
    QEventLoop loop;
    QObject::connect(&effect, &QSoundEffect::statusChanged, &loop, [&] {
        if (effect.status() == QSoundEffect::Ready)
            effect.play();
        else if (effect.status() == QSoundEffect::Error)
            loop.quit();
    });
    QObject::connect(&effect, &QSoundEffect::playingChanged, &loop, [&] {
        if (!effect.isPlaying())
            loop.quit();
    });
    QTimer::singleShot(30s, &loop, &QEventLoop::quit);
    effect.setSource(QUrl::fromLocalFile(file));
    loop.exec();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    int runs = 5;
    if (args.size() >= 2 && args.front() == QStringLiteral("--runs")) {
        runs = std::max(1, args.at(1).toInt());
        args = args.mid(2);
    }
    if (args.isEmpty()) {
        std::fputs("usage: player_bench [--runs N] FILE...\n", stderr);
        return 2;
    }

    MonitorRecorder recorder;
    if (!recorder.start()) {
        std::fputs("player_bench: no sound server with a sink called \"calm\"\n", stderr);
        return 1;
    }

    SystemMediaPlayer pulsePlayer(std::make_shared<PulseAudioOutput>());
    SystemMediaPlayer qtPlayer(std::make_shared<QtAudioOutput>());
    const std::vector<Candidate> candidates{
        {"paplay",
         [](const QString &file) {
             QProcess p;
             p.start(QStringLiteral("paplay"), {file});
             p.waitForFinished(-1);
         }},
        {"libpulse (chosen)", [&](const QString &file) { playWaiting(pulsePlayer, file); }},
        {"QAudioSink", [&](const QString &file) { playWaiting(qtPlayer, file); }},
        {"QSoundEffect", playSoundEffect},
    };

    std::printf("Waiting \"sound\" against paplay on a private null sink; medians of %d runs.\n", runs);
    std::printf("The null sink drains slowly, so only the ratios mean something.\n");
    std::printf("%-14s %-18s %9s %7s %9s %7s %7s\n", "file", "output", "call ms", "ratio", "onset ms",
                "ratio", "heard");
    bool targetMet = true;
    for (const QString &file : std::as_const(args)) {
        std::vector<Result> results(candidates.size());
        for (int run = 0; run < runs; ++run) {
            // Interleaved, so that drift in the machine's load hits every candidate alike.
            for (size_t c = 0; c < candidates.size(); ++c) {
                std::this_thread::sleep_for(300ms);
                const auto t0 = Clock::now();
                recorder.arm(t0);
                candidates[c].playWaiting(file);
                const auto t1 = Clock::now();
                std::this_thread::sleep_for(300ms); // the monitor's last buffer
                results[c].totalMs.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
                results[c].onsetMs.push_back(recorder.onsetMs());
                results[c].heard.push_back(double(recorder.loudSamples()));
            }
        }
        const double baseTotal = median(results[0].totalMs);
        const double baseOnset = median(results[0].onsetMs);
        const double baseHeard = median(results[0].heard);
        for (size_t c = 0; c < candidates.size(); ++c) {
            const double total = median(results[c].totalMs);
            const double onset = median(results[c].onsetMs);
            const double heard = median(results[c].heard);
            if (c == 1)
                targetMet = targetMet && total / baseTotal <= 1.1 && onset > 0 && onset <= baseOnset;
            std::printf("%-14s %-18s %9.0f %6.2fx %9.0f %6.2fx %6.2fx\n",
                        QFileInfo(file).fileName().toLocal8Bit().constData(), candidates[c].name, total,
                        total / baseTotal, onset, onset > 0 && baseOnset > 0 ? onset / baseOnset : 0.0,
                        baseHeard > 0 ? heard / baseHeard : 0.0);
        }
    }
    std::printf("Target for the chosen output: call <= 1.10x paplay and onset no later than paplay's: %s\n",
                targetMet ? "met" : "NOT met");
    return targetMet ? 0 : 1;
}
