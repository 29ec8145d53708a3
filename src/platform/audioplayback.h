#pragma once

#include "platform/audiooutput.h"

#include <QString>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>
#include <vector>

namespace calmora {

// One sound handed to the worker: lets the caller wait for its end.
class PlayingSound final
{
public:
    PlayingSound() = default;
    Q_DISABLE_COPY_MOVE(PlayingSound)

    // True once the sound is over: played to its end, cut off, or refused.
    bool waitFor(std::chrono::milliseconds timeout) const;
    bool isOver() const { return waitFor(std::chrono::milliseconds(0)); }
    // Whether the output took the sound; false for a file that could not be
    // decoded or an output that could not play it.
    bool wasPlayed() const;
    // When a waiting caller should stop believing the sound will end: a file
    // on a dead network folder may never finish opening or reading.
    std::chrono::steady_clock::time_point giveUpAt() const;

private:
    friend class AudioPlayback;
    void opened(std::chrono::steady_clock::duration length, std::chrono::milliseconds endSlack);
    void finish(bool played);

    std::stop_source m_stop;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::chrono::steady_clock::time_point m_giveUpAt;
    bool m_over = false;
    bool m_played = false;
};

// Decodes and plays sounds on worker threads, one at a time: a new sound
// cuts off the one still playing.
class AudioPlayback final
{
public:
    // endSlack: added to a sound's length before a waiting caller stops believing in it.
    explicit AudioPlayback(std::shared_ptr<AudioOutput> output,
                           std::chrono::milliseconds endSlack = std::chrono::seconds(10));
    ~AudioPlayback();
    Q_DISABLE_COPY_MOVE(AudioPlayback)

    // Cuts off the current sound and starts fileName; an empty or unplayable
    // name only cuts off. Returns at once.
    std::shared_ptr<const PlayingSound> play(const QString &fileName);
    void stop();
    // Scales the samples of sounds started from now on; 0 plays nothing.
    void setVolume(float gain) { m_gain = gain; }

private:
    struct Worker
    {
        std::thread thread;
        std::shared_ptr<PlayingSound> sound;
    };
    void reapFinished();

    std::shared_ptr<AudioOutput> m_output;
    std::chrono::milliseconds m_endSlack;
    float m_gain = 1.0f;
    std::vector<Worker> m_workers;
};

} // namespace calmora
