#pragma once

#include <QObject>
#include <QString>

class QCheckBox;
class QTimer;
class QAction;

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

// Random sounds: the scheduling step of each tick, the stress levels and the
// "Turn Me Off" switch.
class Scheduler final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Scheduler)

public:
    static constexpr int kLevels = 4;
    static const StressLevel kStressLevels[kLevels];

    Scheduler(AppState &state, SoundList &list, MediaPlayer &player, RandomGenerator &random,
              QObject *parent);

    // Puts the bounds of level index in force; an index outside 0..3 changes nothing.
    void applyStressBounds(int index);

    // The scheduling step of a tick: a random sound once the elapsed minutes
    // have passed the drawn delay.
    void schedulingStep();
    double ElapsedMinutes() const { return m_elapsedMinutes; }

    // Starts a random ticked sound and draws the next delay.
    void DelayLaugh();
    // Plays a random ticked sound to its end.
    void Laugh();

    // The user released the mouse on stress level button index (or chose it
    // with the keyboard, which applies the level just the same).
    void optstress_MouseUp(int index);

    // The controls of the switch: "Turn Me Off", the tray's "Enable Sounds"
    // and the timer they stop and start.
    void attachSwitch(QCheckBox *chkDisable, QAction *mnuEnable, QTimer *tmrMinute);
    // "Turn Me Off" changed, by the user or by "Enable Sounds".
    void chkDisable_Click(bool ticked);
    // "Enable Sounds": its mark always equals "Turn Me Off".
    void mnuEnable_Click();

private:
    void pickRandomSound();

    AppState &m_state;
    SoundList &m_list;
    MediaPlayer &m_player;
    RandomGenerator &m_random;
    QCheckBox *m_chkDisable = nullptr;
    QAction *m_mnuEnable = nullptr;
    QTimer *m_tmrMinute = nullptr;
    double m_elapsedMinutes = 0;
};

} // namespace calmora
