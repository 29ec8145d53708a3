#include "platform/audioplayback.h"

#include "platform/audiofile.h"

#include <algorithm>

namespace calmora {

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// How long a new sound waits for the one it cuts off to let go of the output.
constexpr auto kHandOver = 1s;
// Opening a file and decoding its header; longer means a dead network folder.
constexpr auto kOpenTimeout = 5s;
// Longer than anyone waits for a sound; also keeps the arithmetic in range
// when a damaged header claims billions of frames.
constexpr auto kLongestSound = 24h;
// How long closing the player waits for its workers before leaving them.
constexpr auto kShutdownBudget = 2s;

// A sound played quieter: every sample scaled by gain.
class ScaledSource final : public FrameSource
{
public:
    ScaledSource(FrameSource &source, float gain) : m_source(source), m_gain(gain) {}
    AudioFormat format() const override { return m_source.format(); }
    qint64 read(float *frames, qint64 maxFrames) override
    {
        const qint64 got = m_source.read(frames, maxFrames);
        std::for_each(frames, frames + got * m_source.format().channels, [this](float &s) { s *= m_gain; });
        return got;
    }

private:
    FrameSource &m_source;
    const float m_gain;
};

} // namespace

bool PlayingSound::waitFor(std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [this] { return m_over; });
}

bool PlayingSound::wasPlayed() const
{
    const std::lock_guard lock(m_mutex);
    return m_played;
}

Clock::time_point PlayingSound::giveUpAt() const
{
    const std::lock_guard lock(m_mutex);
    return m_giveUpAt;
}

void PlayingSound::opened(Clock::duration length, std::chrono::milliseconds endSlack)
{
    const std::lock_guard lock(m_mutex);
    m_giveUpAt = Clock::now() + length + endSlack;
}

void PlayingSound::finish(bool played)
{
    {
        const std::lock_guard lock(m_mutex);
        m_over = true;
        m_played = played;
    }
    m_changed.notify_all();
}

AudioPlayback::AudioPlayback(std::shared_ptr<AudioOutput> output, std::chrono::milliseconds endSlack)
    : m_output(std::move(output)), m_endSlack(endSlack)
{
}

AudioPlayback::~AudioPlayback()
{
    stop();
    const auto deadline = Clock::now() + kShutdownBudget;
    for (Worker &w : m_workers) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        // A worker stuck in a read from a dead mount keeps only its own
        // shared state alive; waiting for it would hang the exit.
        if (w.sound->waitFor(std::max(left, 0ms)))
            w.thread.join();
        else
            w.thread.detach();
    }
}

std::shared_ptr<const PlayingSound> AudioPlayback::play(const QString &fileName)
{
    stop();
    reapFinished();
    std::shared_ptr<const PlayingSound> previous = m_workers.empty() ? nullptr : m_workers.back().sound;

    auto sound = std::make_shared<PlayingSound>();
    sound->m_giveUpAt = Clock::now() + kOpenTimeout;
    if (fileName.isEmpty() || m_gain <= 0.0f) {
        sound->finish(false);
        return sound;
    }
    std::thread thread([output = m_output, sound, previous = std::move(previous), fileName,
                        endSlack = m_endSlack, gain = m_gain] {
        if (previous)
            previous->waitFor(kHandOver);
        const std::stop_token stop = sound->m_stop.get_token();
        bool played = false;
        if (!stop.stop_requested()) {
            AudioFile file(fileName);
            if (file.isOpen()) {
                const std::chrono::duration<double> length(static_cast<double>(file.frames())
                                                           / file.format().sampleRate);
                sound->opened(std::chrono::duration_cast<Clock::duration>(
                                  std::min<std::chrono::duration<double>>(length, kLongestSound)),
                              endSlack);
                ScaledSource scaled(file, gain);
                played = gain < 1.0f ? output->play(scaled, stop) : output->play(file, stop);
            }
        }
        sound->finish(played);
    });
    m_workers.push_back({std::move(thread), sound});
    return sound;
}

void AudioPlayback::stop()
{
    for (Worker &w : m_workers)
        w.sound->m_stop.request_stop();
}

void AudioPlayback::reapFinished()
{
    for (auto it = m_workers.begin(); it != m_workers.end();) {
        if (it->sound->isOver()) {
            it->thread.join();
            it = m_workers.erase(it);
        } else {
            ++it;
        }
    }
}

} // namespace calmora
