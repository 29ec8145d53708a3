#pragma once

#include "platform/audiooutput.h"

#include <QString>

#include <memory>

struct sf_private_tag;

namespace calmora {

// A sound file decoded by libsndfile: every WAV variant it reads (PCM of any
// width, float, ADPCM, mu-law, A-law) and the other formats it knows.
class AudioFile final : public FrameSource
{
public:
    // Opens only regular files: a FIFO or a device would block the reader.
    explicit AudioFile(const QString &fileName);
    ~AudioFile() override;
    Q_DISABLE_COPY_MOVE(AudioFile)

    bool isOpen() const { return m_file != nullptr; }
    // Frame count from the header; a damaged file may deliver fewer.
    qint64 frames() const { return m_frames; }

    AudioFormat format() const override { return m_format; }
    qint64 read(float *frames, qint64 maxFrames) override;

private:
    struct Closer
    {
        void operator()(sf_private_tag *file) const;
    };
    std::unique_ptr<sf_private_tag, Closer> m_file;
    AudioFormat m_format;
    qint64 m_frames = 0;
};

} // namespace calmora
