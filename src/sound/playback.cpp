#include "sound/playback.h"

#include "platform/mediaplayer.h"

namespace calmora {

bool isVideo(const QString &name)
{
    return name.endsWith(QLatin1String(".avi"), Qt::CaseInsensitive);
}

void playSelected(const QString &name, MediaPlayer &player)
{
    player.setWait(false);
    if (isVideo(name)) {
        player.setDeviceType(QStringLiteral("AVIVideo"));
        player.setFileName(name);
        player.command(QStringLiteral("open"));
        player.command(QStringLiteral("play"));
    } else {
        player.setDeviceType(QStringLiteral("WaveAudio"));
        player.setFileName(name);
        player.command(QStringLiteral("sound"));
    }
}

} // namespace calmora
