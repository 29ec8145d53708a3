#pragma once

#include <QString>

namespace calmora {

class MediaPlayer;

// "Play": the highlighted entry, ticked or not, plays without waiting; a name
// ending in ".avi" opens as a video in the player's window. "" plays nothing.
void playSelected(const QString &name, MediaPlayer &player);

// Whether "Play" opens name as a video: it ends in ".avi", in any case.
bool isVideo(const QString &name);

} // namespace calmora
