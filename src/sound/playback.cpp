#include "sound/playback.h"

#include "list/soundlist.h"
#include "platform/mediaplayer.h"

namespace calmora {

Playback::Playback(SoundList &list, MediaPlayer &player, QObject *parent)
    : QObject(parent), m_list(list), m_player(player)
{
}

bool Playback::isVideo(const QString &name)
{
    return name.endsWith(QLatin1String(".avi"), Qt::CaseInsensitive);
}

void Playback::cmdPlay_Click()
{
    // No highlighted entry hands "" to "sound", which plays nothing.
    const QString name = m_list.currentText();
    m_player.setWait(false);
    if (isVideo(name)) {
        m_player.setDeviceType(QStringLiteral("AVIVideo"));
        m_player.setFileName(name);
        m_player.command(QStringLiteral("open"));
        m_player.command(QStringLiteral("play"));
    } else {
        m_player.setDeviceType(QStringLiteral("WaveAudio"));
        m_player.setFileName(name);
        m_player.command(QStringLiteral("sound"));
    }
}

} // namespace calmora
