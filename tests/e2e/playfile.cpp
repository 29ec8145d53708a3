// Plays one sound file through the program's real player, waiting until it
// has ended: the end-to-end tests listen to what reaches the sound server.
// Usage: calmora-playfile FILE

#include "platform/mediaplayer.h"
#include "platform/platform.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        std::fputs("usage: calmora-playfile FILE\n", stderr);
        return 2;
    }
    const calmora::Platform platform;
    calmora::MediaPlayer &player = *platform.services().player;
    player.setWait(true);
    player.setDeviceType(QStringLiteral("WaveAudio"));
    player.setFileName(args.at(1));
    player.command(QStringLiteral("sound"));
    return 0;
}
