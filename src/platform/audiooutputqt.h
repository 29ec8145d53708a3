#pragma once

#include "platform/audiooutput.h"

#include <QAudioDevice>

namespace calmora {

// Plays through Qt's QAudioSink, for systems without a PulseAudio client
// library. It runs a local event loop on the worker thread; the end of a
// sound is the sink running dry, which comes a little before the last
// sample is heard.
class QtAudioOutput final : public AudioOutput
{
public:
    // Build on the user-interface thread: Qt Multimedia sets itself up there.
    QtAudioOutput();

    bool play(FrameSource &source, std::stop_token stop) override;

private:
    QAudioDevice m_device;
};

} // namespace calmora
