#include "platform/systemmediaplayer.h"

namespace calmora {

SystemMediaPlayer::SystemMediaPlayer(QObject *parent)
    : MediaPlayer(parent)
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

void SystemMediaPlayer::command(const QString &command)
{
    Q_UNUSED(command);
}

} // namespace calmora
