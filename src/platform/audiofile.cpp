#include "platform/audiofile.h"

#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QLoggingCategory>

#include <sndfile.h>

#include <optional>

namespace calmora {

namespace {

Q_LOGGING_CATEGORY(lcAudio, "calmora.sound", QtWarningMsg)

// libsndfile is loaded with the first sound, not with the program: linked,
// it and the codec libraries behind it cost every start time and memory.
struct Sndfile
{
    decltype(&sf_open) open = nullptr;
    decltype(&sf_readf_float) readFloat = nullptr;
    decltype(&sf_close) close = nullptr;
};

// Null when the library cannot be loaded: then no file opens.
const Sndfile *sndfile()
{
    static const std::optional<Sndfile> loaded = []() -> std::optional<Sndfile> {
        QLibrary library(QStringLiteral("sndfile"), 1);
        const Sndfile api{reinterpret_cast<decltype(&sf_open)>(library.resolve("sf_open")),
                          reinterpret_cast<decltype(&sf_readf_float)>(library.resolve("sf_readf_float")),
                          reinterpret_cast<decltype(&sf_close)>(library.resolve("sf_close"))};
        if (!api.open || !api.readFloat || !api.close) {
            qCWarning(lcAudio) << "Sounds cannot be decoded:" << library.errorString();
            return std::nullopt;
        }
        return api;
    }();
    return loaded ? &*loaded : nullptr;
}

} // namespace

void AudioFile::Closer::operator()(SNDFILE *file) const
{
    sndfile()->close(file);
}

AudioFile::AudioFile(const QString &fileName)
{
    const Sndfile *api = sndfile();
    if (!api || fileName.isEmpty() || !QFileInfo(fileName).isFile())
        return;
    SF_INFO info{};
    SNDFILE *file = api->open(QFile::encodeName(fileName).constData(), SFM_READ, &info);
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
    const sf_count_t got = sndfile()->readFloat(m_file.get(), frames, maxFrames);
    return got > 0 ? got : 0;
}

} // namespace calmora
