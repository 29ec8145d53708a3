// A sound file played the way the player plays it: AudioPlayback opens and
// decodes it on its worker thread and hands it to an output, which here reads
// the frames as the PulseAudio output does instead of sending them to a server.

#include "platform/audiooutput.h"
#include "platform/audioplayback.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

using namespace calmora;

// The sound server's limits, as the PulseAudio output checks them.
constexpr int kMaxChannels = 32;
constexpr int kMaxRate = 768000;
// Enough to decode any seed to its end; a damaged header may promise far more
// frames than a fuzz run should wait for.
constexpr qint64 kMaxFrames = 1 << 20;

class DrainingOutput final : public AudioOutput
{
public:
    bool play(FrameSource &source, std::stop_token stop) override
    {
        const AudioFormat format = source.format();
        if (format.channels < 1 || format.sampleRate < 1 || format.channels > kMaxChannels
            || format.sampleRate > kMaxRate)
            return false;
        constexpr qint64 chunk = 1024;
        // A guard frame after the chunk shows a read that writes past what it was asked for.
        std::vector<float> buffer(static_cast<size_t>((chunk + 1) * format.channels), 0.5f);
        qint64 total = 0;
        while (!stop.stop_requested() && total < kMaxFrames) {
            const qint64 got = source.read(buffer.data(), chunk);
            if (got < 0 || got > chunk) {
                std::fprintf(stderr, "read returned %lld of %lld frames\n", static_cast<long long>(got),
                             static_cast<long long>(chunk));
                std::abort();
            }
            if (buffer[static_cast<size_t>(chunk * format.channels)] != 0.5f) {
                std::fprintf(stderr, "read wrote past its frames\n");
                std::abort();
            }
            if (got == 0)
                break;
            total += got;
        }
        return total > 0;
    }
};

QTemporaryDir *scratch;
AudioPlayback *playback;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    static QTemporaryDir dir;
    static AudioPlayback player(std::make_shared<DrainingOutput>());
    scratch = &dir;
    playback = &player;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace std::chrono_literals;
    const QString path = scratch->filePath(QStringLiteral("sound.wav"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
            std::abort();
    }
    const std::shared_ptr<const PlayingSound> sound = playback->play(path);
    if (!sound->waitFor(60s)) {
        std::fprintf(stderr, "the sound never ended\n");
        std::abort();
    }
    return 0;
}
