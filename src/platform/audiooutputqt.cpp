#include "platform/audiooutputqt.h"

#include <QAudioSink>
#include <QEventLoop>
#include <QMediaDevices>
#include <QTimer>

#include <chrono>
#include <vector>

namespace calmora {

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kBuffer = 100ms;
constexpr auto kFeedInterval = 10ms;
// Beyond the sound's own length, before a sink that stopped moving is left.
constexpr auto kStallAllowance = 5s;

} // namespace

QtAudioOutput::QtAudioOutput() : m_device(QMediaDevices::defaultAudioOutput()) {}

bool QtAudioOutput::play(FrameSource &source, std::stop_token stop)
{
    const AudioFormat in = source.format();
    QAudioFormat format;
    format.setSampleRate(in.sampleRate);
    format.setChannelCount(in.channels);
    format.setSampleFormat(QAudioFormat::Float);
    if (m_device.isNull() || !format.isValid() || !m_device.isFormatSupported(format))
        return false;

    QEventLoop loop;
    QAudioSink sink(m_device, format);
    sink.setBufferSize(format.bytesForDuration(std::chrono::microseconds(kBuffer).count()));
    QIODevice *io = sink.start();
    if (!io || sink.error() != QAudio::NoError)
        return false;

    const qint64 frameBytes = format.bytesPerFrame();
    std::vector<float> block;
    qint64 framesWritten = 0;
    bool atEnd = false;
    bool drained = false;
    bool finished = false;
    const auto finish = [&] {
        finished = true;
        loop.quit();
    };
    const auto started = Clock::now();
    const auto pump = [&] {
        const auto written = std::chrono::microseconds(framesWritten * 1000000 / in.sampleRate);
        if (stop.stop_requested() || Clock::now() > started + written + kStallAllowance
            || sink.error() == QAudio::FatalError || sink.error() == QAudio::OpenError) {
            finish();
            return;
        }
        if (atEnd) {
            if (sink.state() == QAudio::IdleState) {
                drained = true;
                finish();
            }
            return;
        }
        const qint64 room = sink.bytesFree() / frameBytes;
        if (room <= 0)
            return;
        block.resize(static_cast<size_t>(room * in.channels));
        const qint64 got = source.read(block.data(), room);
        if (got > 0) {
            io->write(reinterpret_cast<const char *>(block.data()), got * frameBytes);
            framesWritten += got;
        }
        atEnd = got < room;
    };
    QTimer feed;
    feed.setInterval(kFeedInterval);
    QObject::connect(&feed, &QTimer::timeout, &loop, pump);
    QObject::connect(&sink, &QAudioSink::stateChanged, &loop, pump);
    const std::stop_callback wake(stop, [&loop] { QMetaObject::invokeMethod(&loop, &QEventLoop::quit); });
    pump();
    feed.start();
    if (!finished)
        loop.exec();
    sink.stop();
    return drained && framesWritten > 0;
}

} // namespace calmora
