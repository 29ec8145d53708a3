#include "platform/audiooutputpulse.h"

#ifdef Q_OS_LINUX

#include <QLibrary>
#include <QLoggingCategory>

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>

namespace calmora {

namespace {

Q_LOGGING_CATEGORY(lcAudio, "calmora.sound", QtWarningMsg)

// libpulse is loaded with the first sound, not with the program: linked, it
// and the libraries behind it (libsndfile and its codecs among them) cost
// every start time and memory. Each member is the function pa_<member>.
#define CALMORA_PULSE_FUNCTIONS(F)                                                                           \
    F(channel_map_init_extend)                                                                               \
    F(context_connect)                                                                                       \
    F(context_disconnect)                                                                                    \
    F(context_get_state)                                                                                     \
    F(context_new)                                                                                           \
    F(context_set_state_callback)                                                                            \
    F(context_unref)                                                                                         \
    F(frame_size)                                                                                            \
    F(mainloop_dispatch)                                                                                     \
    F(mainloop_free)                                                                                         \
    F(mainloop_get_api)                                                                                      \
    F(mainloop_new)                                                                                          \
    F(mainloop_poll)                                                                                         \
    F(mainloop_prepare)                                                                                      \
    F(mainloop_wakeup)                                                                                       \
    F(operation_unref)                                                                                       \
    F(proplist_free)                                                                                         \
    F(proplist_new)                                                                                          \
    F(proplist_sets)                                                                                         \
    F(sample_spec_valid)                                                                                     \
    F(stream_begin_write)                                                                                    \
    F(stream_cancel_write)                                                                                   \
    F(stream_connect_playback)                                                                               \
    F(stream_disconnect)                                                                                     \
    F(stream_drain)                                                                                          \
    F(stream_get_state)                                                                                      \
    F(stream_new_with_proplist)                                                                              \
    F(stream_set_state_callback)                                                                             \
    F(stream_set_write_callback)                                                                             \
    F(stream_unref)                                                                                          \
    F(stream_write)                                                                                          \
    F(usec_to_bytes)

struct Pulse
{
// The argument is the declared name, which GCC warns about in parentheses.
#define CALMORA_PULSE_MEMBER(name)                                                                           \
    decltype(&::pa_##name) name = nullptr; // NOLINT(bugprone-macro-parentheses)
    CALMORA_PULSE_FUNCTIONS(CALMORA_PULSE_MEMBER)
#undef CALMORA_PULSE_MEMBER
};

// Null when the library cannot be loaded: then nothing is played.
const Pulse *loadPulse()
{
    static const std::optional<Pulse> loaded = []() -> std::optional<Pulse> {
        QLibrary library(QStringLiteral("pulse"), 0);
        Pulse api;
        bool complete = true;
#define CALMORA_PULSE_RESOLVE(name)                                                                          \
    api.name = reinterpret_cast<decltype(api.name)>(library.resolve("pa_" #name));                           \
    complete = complete && api.name;
        CALMORA_PULSE_FUNCTIONS(CALMORA_PULSE_RESOLVE)
#undef CALMORA_PULSE_RESOLVE
        if (!complete) {
            qCWarning(lcAudio) << "Sounds cannot be played:" << library.errorString();
            return std::nullopt;
        }
        return api;
    }();
    return loaded ? &*loaded : nullptr;
}

// Only after loadPulse() has succeeded.
const Pulse &pa()
{
    return *loadPulse();
}

using Clock = std::chrono::steady_clock;
using std::chrono::microseconds;

// Room for the server's own output latency when judging whether a drain
// has stalled; a null sink may keep up to two seconds.
constexpr std::chrono::milliseconds kSinkLatencyAllowance{2500};
constexpr microseconds kPollSlice{50000};

struct ProplistDeleter
{
    void operator()(pa_proplist *props) const { pa().proplist_free(props); }
};

struct LoopDeleter
{
    void operator()(pa_mainloop *loop) const { pa().mainloop_free(loop); }
};

struct ContextDeleter
{
    void operator()(pa_context *context) const
    {
        pa().context_disconnect(context);
        pa().context_unref(context);
    }
};

// One bounded poll step: false when the loop has failed.
bool iterate(pa_mainloop *loop, Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<microseconds>(deadline - Clock::now()) + microseconds(1);
    const auto slice = std::clamp(left, microseconds(0), kPollSlice);
    return pa().mainloop_prepare(loop, static_cast<int>(slice.count())) >= 0 && pa().mainloop_poll(loop) >= 0
           && pa().mainloop_dispatch(loop) >= 0;
}

class Session final
{
public:
    Session(pa_mainloop *loop, FrameSource &source, const pa_sample_spec &sampleFormat,
            const pa_channel_map &map, const PulseAudioOutput::Options &options)
        : m_loop(loop), m_source(source), m_sampleFormat(sampleFormat), m_map(map), m_options(options),
          m_frameBytes(pa().frame_size(&sampleFormat))
    {
    }

    ~Session()
    {
        if (m_stream) {
            pa().stream_set_state_callback(m_stream, nullptr, nullptr);
            pa().stream_set_write_callback(m_stream, nullptr, nullptr);
            // Dropping the stream discards whatever the server still holds
            // of it, which is how a sound is cut off.
            pa().stream_disconnect(m_stream);
            pa().stream_unref(m_stream);
        }
        if (m_context) {
            pa().context_set_state_callback(m_context, nullptr, nullptr);
            pa().context_disconnect(m_context);
            pa().context_unref(m_context);
        }
    }
    Q_DISABLE_COPY_MOVE(Session)

    bool connect(const QByteArray &applicationName)
    {
        m_context = pa().context_new(pa().mainloop_get_api(m_loop), applicationName.constData());
        if (!m_context)
            return false;
        pa().context_set_state_callback(m_context, &Session::onContextState, this);
        // No autospawn: without a running server the sound is simply not heard.
        return pa().context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0;
    }

    bool run(const std::stop_token &stop)
    {
        m_deadline = Clock::now() + m_options.answerTimeout;
        while (m_state == State::Connecting || m_state == State::Playing || m_state == State::Draining) {
            if (stop.stop_requested())
                return m_framesWritten > 0;
            if (Clock::now() >= m_deadline || !iterate(m_loop, m_deadline))
                return false;
        }
        return m_state == State::Done;
    }

private:
    enum class State { Connecting, Playing, Draining, Done, Failed };

    static void onContextState(pa_context *context, void *self)
    {
        auto *s = static_cast<Session *>(self);
        switch (pa().context_get_state(context)) {
        case PA_CONTEXT_READY:
            if (!s->createStream())
                s->m_state = State::Failed;
            break;
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED: s->m_state = State::Failed; break;
        default: break;
        }
    }

    static void onStreamState(pa_stream *stream, void *self)
    {
        auto *s = static_cast<Session *>(self);
        switch (pa().stream_get_state(stream)) {
        case PA_STREAM_READY:
            s->m_readyAt = Clock::now();
            s->extendDeadline();
            break;
        case PA_STREAM_FAILED:
        case PA_STREAM_TERMINATED: s->m_state = State::Failed; break;
        default: break;
        }
    }

    static void onWrite(pa_stream *, size_t bytes, void *self) { static_cast<Session *>(self)->fill(bytes); }

    static void onDrained(pa_stream *, int, void *self)
    {
        static_cast<Session *>(self)->m_state = State::Done;
    }

    bool createStream()
    {
        const std::unique_ptr<pa_proplist, ProplistDeleter> props(pa().proplist_new());
        pa().proplist_sets(props.get(), PA_PROP_MEDIA_ROLE, "event");
        m_stream = pa().stream_new_with_proplist(m_context, "sound", &m_sampleFormat, &m_map, props.get());
        if (!m_stream)
            return false;
        pa().stream_set_state_callback(m_stream, &Session::onStreamState, this);
        pa().stream_set_write_callback(m_stream, &Session::onWrite, this);
        pa_buffer_attr attr;
        attr.maxlength = static_cast<uint32_t>(-1);
        attr.tlength = static_cast<uint32_t>(pa().usec_to_bytes(
            static_cast<pa_usec_t>(microseconds(m_options.targetLatency).count()), &m_sampleFormat));
        attr.prebuf = static_cast<uint32_t>(-1);
        attr.minreq = static_cast<uint32_t>(-1);
        attr.fragsize = static_cast<uint32_t>(-1);
        if (pa().stream_connect_playback(m_stream, nullptr, &attr, PA_STREAM_ADJUST_LATENCY, nullptr, nullptr)
            < 0)
            return false;
        m_state = State::Playing;
        return true;
    }

    void fill(size_t bytes)
    {
        while (m_state == State::Playing && bytes >= m_frameBytes) {
            void *data = nullptr;
            size_t size = bytes;
            if (pa().stream_begin_write(m_stream, &data, &size) < 0 || size < m_frameBytes) {
                m_state = State::Failed;
                return;
            }
            const auto want = static_cast<qint64>(size / m_frameBytes);
            const qint64 got = m_source.read(static_cast<float *>(data), want);
            if (got > 0) {
                if (pa().stream_write(m_stream, data, static_cast<size_t>(got) * m_frameBytes, nullptr, 0,
                                      PA_SEEK_RELATIVE)
                    < 0) {
                    m_state = State::Failed;
                    return;
                }
                m_framesWritten += got;
                bytes -= std::min(bytes, static_cast<size_t>(got) * m_frameBytes);
                extendDeadline();
            } else {
                pa().stream_cancel_write(m_stream);
            }
            if (got < want)
                finishWriting();
        }
    }

    void finishWriting()
    {
        pa().stream_set_write_callback(m_stream, nullptr, nullptr);
        if (m_framesWritten == 0) {
            m_state = State::Failed;
            return;
        }
        // The drain also starts a sound shorter than the prebuffer.
        pa_operation *op = pa().stream_drain(m_stream, &Session::onDrained, this);
        if (!op) {
            m_state = State::Failed;
            return;
        }
        pa().operation_unref(op);
        m_state = State::Draining;
    }

    // A stream plays no faster than real time, so the deadline follows what
    // has been written so far.
    void extendDeadline()
    {
        const auto written = microseconds(m_framesWritten * 1000000 / m_sampleFormat.rate);
        m_deadline =
            std::max(m_deadline, m_readyAt + written + m_options.answerTimeout + kSinkLatencyAllowance);
    }

    pa_mainloop *m_loop;
    FrameSource &m_source;
    pa_sample_spec m_sampleFormat;
    pa_channel_map m_map;
    const PulseAudioOutput::Options &m_options;
    size_t m_frameBytes;
    pa_context *m_context = nullptr;
    pa_stream *m_stream = nullptr;
    State m_state = State::Connecting;
    qint64 m_framesWritten = 0;
    Clock::time_point m_readyAt = Clock::now();
    Clock::time_point m_deadline;
};

} // namespace

PulseAudioOutput::PulseAudioOutput(QByteArray applicationName)
    : PulseAudioOutput(std::move(applicationName), Options{})
{
}

PulseAudioOutput::PulseAudioOutput(QByteArray applicationName, Options options)
    : m_applicationName(std::move(applicationName)), m_options(options)
{
}

bool PulseAudioOutput::play(FrameSource &source, std::stop_token stop)
{
    const AudioFormat format = source.format();
    if (!loadPulse() || format.channels < 1 || format.sampleRate < 1
        || std::cmp_greater(format.channels, PA_CHANNELS_MAX)
        || std::cmp_greater(format.sampleRate, PA_RATE_MAX))
        return false;
    const pa_sample_spec sampleFormat{PA_SAMPLE_FLOAT32NE, static_cast<uint32_t>(format.sampleRate),
                                      static_cast<uint8_t>(format.channels)};
    pa_channel_map map;
    if (!pa().sample_spec_valid(&sampleFormat)
        || !pa().channel_map_init_extend(&map, sampleFormat.channels, PA_CHANNEL_MAP_DEFAULT))
        return false;

    const std::unique_ptr<pa_mainloop, LoopDeleter> loop(pa().mainloop_new());
    if (!loop)
        return false;
    // Cutting a sound off from another thread must not wait for the next
    // poll slice.
    const std::stop_callback wake(stop, [raw = loop.get()] { pa().mainloop_wakeup(raw); });
    Session session(loop.get(), source, sampleFormat, map, m_options);
    return session.connect(m_applicationName) && session.run(stop);
}

bool PulseAudioOutput::isServerHung()
{
    if (!loadPulse())
        return false;
    const std::unique_ptr<pa_mainloop, LoopDeleter> loop(pa().mainloop_new());
    if (!loop)
        return false;
    const std::unique_ptr<pa_context, ContextDeleter> context(
        pa().context_new(pa().mainloop_get_api(loop.get()), m_applicationName.constData()));
    // A refused connection is no server at all, which Qt Multimedia copes with.
    if (!context || pa().context_connect(context.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        return false;
    const auto deadline = Clock::now() + m_options.answerTimeout;
    while (true) {
        const pa_context_state_t state = pa().context_get_state(context.get());
        if (state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state))
            return false;
        if (Clock::now() >= deadline)
            return true;
        if (!iterate(loop.get(), deadline))
            return false;
    }
}

} // namespace calmora

#endif // Q_OS_LINUX
