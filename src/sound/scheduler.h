#pragma once

#include <QObject>
#include <QString>

namespace calmora {

struct AppState;
class MediaPlayer;
class RandomGenerator;
class SoundList;

// A stress level: the shortest delay and the width of the delay range, in minutes.
struct StressLevel
{
    int minDelay;
    int delayRange;
};

// Random sounds: the scheduling step of each tick, the stress levels, and the
// sounds played by themselves (DelayLaugh, Laugh).
class Scheduler final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Scheduler)

public:
    static constexpr int kLevels = 4;
    static const StressLevel kStressLevels[kLevels];

    Scheduler(AppState &state, const SoundList &list, MediaPlayer &player, RandomGenerator &random,
              QObject *parent);

    // Puts the bounds of level index in force; an index outside 0..3 changes nothing.
    void applyStressBounds(int index);

    // The scheduling step of a tick: a random sound once the elapsed minutes
    // have passed the drawn delay, unless sounds are off or it is quiet; then
    // the minutes go on counting.
    void schedulingStep(bool quiet = false);
    double ElapsedMinutes() const { return m_elapsedMinutes; }

    // Starts a random ticked sound and draws the next delay.
    void DelayLaugh();
    // Plays a random ticked sound to its end.
    void Laugh();

    // The user picked stress level index: its bounds, a sample of it at once,
    // and a new delay drawn from them.
    void chooseLevel(int index);

private:
    void pickRandomSound();

    AppState &m_state;
    const SoundList &m_list;
    MediaPlayer &m_player;
    RandomGenerator &m_random;
    double m_elapsedMinutes = 0;
};

} // namespace calmora
