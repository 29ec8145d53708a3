#include "sound/scheduler.h"

#include "core/appstate.h"
#include "list/soundlist.h"
#include "platform/mediaplayer.h"
#include "platform/random.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <cmath>

namespace calmora {

namespace {

// Off by default; QT_LOGGING_RULES="calmora.sound.info=true" shows every random sound.
Q_LOGGING_CATEGORY(lcSound, "calmora.sound", QtWarningMsg)

} // namespace

const StressLevel Scheduler::kStressLevels[Scheduler::kLevels] = {
    {1, 7},   // "Postal"
    {7, 18},  // "Peeved"
    {15, 40}, // "Just a bad day"
    {30, 80}, // "Relaxed (Numb)"
};

Scheduler::Scheduler(AppState &state, const SoundList &list, MediaPlayer &player, RandomGenerator &random,
                     QObject *parent)
    : QObject(parent), m_state(state), m_list(list), m_player(player), m_random(random)
{
}

void Scheduler::applyStressBounds(int index)
{
    if (index < 0 || index >= kLevels)
        return;
    m_state.MinDelayMinutes = kStressLevels[index].minDelay;
    m_state.MaxDelayMinutes = kStressLevels[index].delayRange;
}

void Scheduler::schedulingStep(bool quiet)
{
    if (quiet)
        qCInfo(lcSound) << "Quiet: nothing plays by itself";
    if (m_elapsedMinutes > m_state.NextDelayMinutes && !m_state.SoundsDisabled && !quiet) {
        DelayLaugh();
        m_elapsedMinutes = 0;
    } else {
        m_elapsedMinutes += 0.5;
    }
}

void Scheduler::pickRandomSound()
{
    const QStringList &pool = m_list.List2();
    const int n = int(pool.size());
    m_state.SelectedSoundCount = n;
    const float r = m_random.next();
    const int i = std::min(int(std::floor(double(n) * double(r))), n - 1);
    m_player.setFileName(n > 0 ? pool.at(i) : QString());
    if (n > 0)
        qCInfo(lcSound) << "Playing random sound" << pool.at(i);
}

void Scheduler::DelayLaugh()
{
    pickRandomSound();
    m_player.setWait(false);
    m_player.command(QStringLiteral("sound"));
    const float r = m_random.next();
    m_state.NextDelayMinutes = int(std::floor(double(r) * m_state.MaxDelayMinutes + m_state.MinDelayMinutes));
}

void Scheduler::Laugh()
{
    pickRandomSound();
    m_player.setWait(true);
    m_player.command(QStringLiteral("sound"));
    QCoreApplication::processEvents();
}

void Scheduler::chooseLevel(int index)
{
    applyStressBounds(index);
    DelayLaugh();
    m_state.SettingsChanged = true;
    m_state.StressIndex = index;
}

} // namespace calmora
