#include "platform/systemmediaplayer.h"

#include "platform/audiooutput.h"
#include "platform/audioplayback.h"
#include "platform/videowindow.h"

#include <QCoreApplication>
#include <QPointer>

#include <algorithm>

namespace calmora {

namespace {

bool is(const QString &word, QLatin1StringView expected)
{
    return word.compare(expected, Qt::CaseInsensitive) == 0;
}

} // namespace

SystemMediaPlayer::SystemMediaPlayer(std::shared_ptr<AudioOutput> output, QObject *parent,
                                     std::chrono::milliseconds endSlack)
    : MediaPlayer(parent), m_output(std::move(output)),
      m_audio(std::make_unique<AudioPlayback>(m_output, endSlack))
{
}

SystemMediaPlayer::~SystemMediaPlayer() = default;

void SystemMediaPlayer::setDeviceType(const QString &deviceType)
{
    m_deviceType = deviceType;
}

void SystemMediaPlayer::setFileName(const QString &fileName)
{
    m_fileName = fileName;
}

void SystemMediaPlayer::setWait(bool wait)
{
    m_wait = wait;
}

void SystemMediaPlayer::setVolume(int percent)
{
    m_audio->setVolume(float(std::clamp(percent, 0, 100)) / 100.0f);
}

void SystemMediaPlayer::command(const QString &command)
{
    const QString word = command.trimmed();
    if (is(word, QLatin1StringView("sound")))
        sound(m_fileName);
    else if (is(word, QLatin1StringView("open")))
        open();
    else if (is(word, QLatin1StringView("play")))
        play();
    else if (is(word, QLatin1StringView("close")))
        close();
}

void SystemMediaPlayer::open()
{
    m_openedFile = m_fileName;
    m_videoOpen = false;
    if (!is(m_deviceType, QLatin1StringView("AVIVideo")) || m_fileName.isEmpty())
        return;
    if (!m_video) {
        // Qt Multimedia waits without limit for a sound server that has
        // stopped answering as soon as its first player exists.
        if (m_output->isServerHung())
            return;
        m_video = VideoWindow::create();
        if (!m_video)
            return;
    }
    m_videoOpen = m_video->open(m_fileName);
}

void SystemMediaPlayer::play()
{
    if (m_videoOpen)
        m_video->play();
    else if (!m_openedFile.isEmpty())
        sound(m_openedFile);
}

void SystemMediaPlayer::sound(const QString &fileName)
{
    const std::shared_ptr<const PlayingSound> playing = m_audio->play(fileName);
    if (m_wait)
        waitUntilOver(playing);
}

void SystemMediaPlayer::close()
{
    m_audio->stop();
    if (m_video)
        m_video->close();
    m_openedFile.clear();
    m_videoOpen = false;
}

void SystemMediaPlayer::waitUntilOver(const std::shared_ptr<const PlayingSound> &playing)
{
    using namespace std::chrono_literals;
    if (playing->isOver())
        return;
    // Windows keep repainting while user input stays queued; a timer that
    // fires meanwhile asks isWaiting() and comes back later.
    const QPointer<SystemMediaPlayer> self(this);
    setWaiting(true);
    while (!playing->waitFor(10ms)) {
        if (std::chrono::steady_clock::now() >= playing->giveUpAt()) {
            m_audio->stop();
            break;
        }
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        if (!self)
            return;
    }
    setWaiting(false);
}

} // namespace calmora
