#pragma once

#include <QObject>

namespace calmora {

class MediaPlayer;
class SoundList;

// "Play" and the list menu's "Play": the highlighted entry, ticked or not,
// plays without waiting; an ".avi" opens as a video in the player's window.
class Playback final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Playback)

public:
    Playback(SoundList &list, MediaPlayer &player, QObject *parent);

    void cmdPlay_Click();
    void mnuPlay_Click() { cmdPlay_Click(); }

    // Whether "Play" opens name as a video: it ends in ".avi", in any case.
    static bool isVideo(const QString &name);

private:
    SoundList &m_list;
    MediaPlayer &m_player;
};

} // namespace calmora
