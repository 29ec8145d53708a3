#include "platform/audiofile.h"

#include <QFile>
#include <QFileInfo>

#include <sndfile.h>

namespace calmora {

void AudioFile::Closer::operator()(SNDFILE *file) const
{
    sf_close(file);
}

AudioFile::AudioFile(const QString &fileName)
{
    if (fileName.isEmpty() || !QFileInfo(fileName).isFile())
        return;
    SF_INFO info{};
    SNDFILE *file = sf_open(QFile::encodeName(fileName).constData(), SFM_READ, &info);
    if (!file)
        return;
    m_file.reset(file);
    if (info.channels < 1 || info.samplerate < 1 || info.frames < 1) {
        m_file.reset();
        return;
    }
    m_format = {info.samplerate, info.channels};
    m_frames = info.frames;
}

AudioFile::~AudioFile() = default;

qint64 AudioFile::read(float *frames, qint64 maxFrames)
{
    if (!m_file || maxFrames <= 0)
        return 0;
    const sf_count_t got = sf_readf_float(m_file.get(), frames, maxFrames);
    return got > 0 ? got : 0;
}

} // namespace calmora
