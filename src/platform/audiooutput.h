#pragma once

#include <QtGlobal>

#include <stop_token>

namespace calmora {

struct AudioFormat
{
    int sampleRate = 0;
    int channels = 0;
};

// Decoded sound, read front to back as interleaved float frames.
class FrameSource
{
public:
    virtual ~FrameSource() = default;

    virtual AudioFormat format() const = 0;
    // Fills at most maxFrames frames; 0 at the end or after a read error.
    virtual qint64 read(float *frames, qint64 maxFrames) = 0;
};

// The system's sound service as the player sees it. play() runs on a worker
// thread and blocks: it returns once the sound has been heard to its end
// (drained, not merely handed over), or promptly after stop is requested.
// It gives up within a few seconds when the service does not answer.
class AudioOutput
{
public:
    virtual ~AudioOutput() = default;

    // False when nothing could be played (no service, format refused, ...).
    virtual bool play(FrameSource &source, std::stop_token stop) = 0;

    // True when a sound server is there but does not answer. Qt Multimedia
    // would block the user-interface thread on it without limit.
    virtual bool isServerHung() { return false; }
};

} // namespace calmora
