#pragma once

#include "platform/audiooutput.h"

#include <QByteArray>

#include <chrono>

namespace calmora {

// Plays through the PulseAudio server (or PipeWire's PulseAudio service)
// with libpulse's own poll loop on the calling worker thread.
//
// Chosen over QAudioSink and QSoundEffect because it is the only candidate
// that reports when the last sample has really left the server (stream
// drain), lets a play be cut off at once from another thread and bounds
// every wait on a server that does not answer. bench/player_bench.sh measures
// it against paplay and the Qt outputs.
class PulseAudioOutput final : public AudioOutput
{
public:
    struct Options
    {
        // Buffer the server keeps for us: small enough that a cut-off sound
        // stops at once and the drain ends close to the last sample.
        std::chrono::milliseconds targetLatency{100};
        // How long a silent server may keep us waiting before we give up.
        std::chrono::milliseconds answerTimeout{2000};
    };

    explicit PulseAudioOutput(QByteArray applicationName = QByteArrayLiteral("Calmora"));
    PulseAudioOutput(QByteArray applicationName, Options options);

    bool play(FrameSource &source, std::stop_token stop) override;
    bool isServerHung() override;

private:
    QByteArray m_applicationName;
    Options m_options;
};

} // namespace calmora
