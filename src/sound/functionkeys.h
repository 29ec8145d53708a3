#pragma once

namespace calmora {

struct AppState;
class MediaPlayer;
class Scheduler;

// A key pressed in the main window, as a Qt::Key: F1..F12 play what the
// function-key table assigns them ("Random" is a random ticked sound, played
// to its end), without waiting otherwise. Returns whether it was a function key.
bool playFunctionKey(int qtKey, const AppState &state, MediaPlayer &player, Scheduler &scheduler);

} // namespace calmora
