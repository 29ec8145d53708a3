#include "net/receiver.h"

#include "core/appstate.h"
#include "net/dropfolder.h"
#include "net/sharejobs.h"
#include "net/wavcheck.h"
#include "platform/filesystem.h"
#include "platform/mediaplayer.h"

#include <QCoreApplication>
#include <QDir>
#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QTimer>

namespace calmora {

namespace {

// Off by default; QT_LOGGING_RULES="calmora.net.info=true" shows what arrives.
Q_LOGGING_CATEGORY(lcNet, "calmora.net", QtWarningMsg)

Receiver::Sighting sighting(const QString &path, const FileSystem::Info &info)
{
    return {path, info.size, info.modifiedNs};
}

// Whether a sound is whole: a header that promises no more than the file holds
// may be taken at first sight; anything else (a file still growing, one whose
// writer gave up, one that is no WAV) once it has not changed since the
// previous look. A sound that cannot be read now is looked at again later.
bool soundHasArrived(FileSystem &files, const Receiver::Sighting &now, const Receiver::Sighting &before)
{
    std::error_code error;
    const QByteArray head = files.read(now.path, kWavHeadBytes, error);
    if (error)
        return false;
    const bool unchanged = now == before;
    const bool firstSight = now.path != before.path;
    return judgeWav(head, now.size).complete ? firstSight || unchanged : unchanged;
}

// Runs off the window's thread: finds this computer's files and, when the sound
// is to be played, copies it to a local file. Played from the share, a sound
// would stall the player whenever the share does. Peers that write in place
// are waited for: a message is taken only once it has arrived whole.
Receiver::Arrival lookForArrival(FileSystem &files, const QString &folder, const QString &name, bool fetch,
                                 const QString &localFolder, const Receiver::Sightings &before)
{
    Receiver::Arrival arrival;
    arrival.sound = findIgnoringCase(files, folder, name + QLatin1String(".wav"));
    if (arrival.sound.isEmpty())
        return {};
    std::error_code error;
    const FileSystem::Info sound = files.entryInfo(arrival.sound, error);
    if (sound.kind == FileSystem::Kind::Link) {
        // A link may lead out of the folder, to a pipe or to a device: it is
        // never followed, and removed so that it does not come back every tick.
        files.remove(arrival.sound, error);
        return {};
    }
    if (error)
        return {};
    arrival.seen.sound = sighting(arrival.sound, sound);
    if (sound.size > kMaxSoundBytes) {
        arrival.tooLargeBytes = sound.size; // not a message; left where it is
        return arrival;
    }
    arrival.text = findIgnoringCase(files, folder, name + QLatin1String(".txt"));
    if (!arrival.text.isEmpty()) {
        const FileSystem::Info text = files.entryInfo(arrival.text, error);
        if (text.kind == FileSystem::Kind::Link) {
            files.remove(arrival.text, error);
            arrival.text.clear();
        } else {
            arrival.seen.text = sighting(arrival.text, text);
        }
    }
    // A text still being written makes its message wait with it.
    const bool textChanging = !arrival.text.isEmpty() && arrival.seen.text.path == before.text.path
                              && arrival.seen.text != before.text;
    if (textChanging || (fetch && !soundHasArrived(files, arrival.seen.sound, before.sound))) {
        arrival.waiting = true;
        return arrival;
    }
    if (!fetch)
        return arrival;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const QString copy = localFolder + QLatin1String("/calmora-received-")
                             + QString::number(QRandomGenerator::global()->generate(), 16)
                             + QLatin1String(".wav");
        files.copy(arrival.sound, copy, kMaxSoundBytes, FileSystem::Links::Refuse, error);
        if (!error) {
            arrival.copy = copy;
            break;
        }
        if (error != std::errc::file_exists) {
            std::error_code ignored;
            files.remove(copy, ignored); // whatever a failed copy left
            break;
        }
    }
    return arrival;
}

// Runs off the window's thread once the sound has played.
Receiver::Collected collect(FileSystem &files, const QString &playedSound, const QString &copy,
                            const QString &text)
{
    std::error_code ignored;
    if (!copy.isEmpty())
        files.remove(copy, ignored);
    // A sound that cannot be deleted plays again at the next tick, as it would
    // for any other reason it stayed.
    if (!playedSound.isEmpty())
        files.remove(playedSound, ignored);
    Receiver::Collected collected;
    if (!text.isEmpty()) {
        collected.text = Read_Message(files, text);
        // A text that could not be read is left for another try.
        if (!collected.text.error)
            files.remove(text, collected.textDeleteError);
    }
    return collected;
}

} // namespace

Receiver::Receiver(AppState &state, MediaPlayer &player, std::shared_ptr<FileSystem> files, QObject *parent)
    : QObject(parent), m_state(state), m_player(player), m_files(std::move(files)),
      m_jobs(new ShareJobs(this)), m_deadline(new QTimer(this)), m_localFolder(QDir::tempPath())
{
    m_deadline->setSingleShot(true);
    connect(m_deadline, &QTimer::timeout, this, &Receiver::runThen);
    connect(&m_player, &MediaPlayer::waitFinished, this,
            [this] { QTimer::singleShot(0, this, &Receiver::drainIdleQueue); });
}

Receiver::~Receiver() = default;

bool Receiver::busy() const
{
    return m_stepActive || m_jobs->outstanding() > 0;
}

void Receiver::receiveStep(std::function<void()> then)
{
    // Nothing is looked for while an earlier step is still at it (a hanging
    // share), nor in a folder this computer's name cannot safely address.
    if (busy() || m_state.NetPath.isEmpty() || !nameProblem(m_state.NetName).isEmpty()) {
        if (busy())
            qCInfo(lcNet) << "The shared folder has not answered the last look; not looking again yet";
        whenPlayerIdle(std::move(then));
        return;
    }
    m_then = std::move(then);
    m_stepActive = true;
    std::function<Arrival()> job = [files = m_files, folder = m_state.NetPath, name = m_state.NetName,
                                    fetch = !m_state.SoundsDisabled, local = m_localFolder, before = m_seen] {
        return lookForArrival(*files, folder, name, fetch, local, before);
    };
    if (!m_jobs->run<Arrival>(
            std::move(job), [this](Arrival arrival) { arrived(arrival); }, m_timing.answerWaitMs))
        waitForFolder();
}

void Receiver::waitForFolder()
{
    qCInfo(lcNet) << "The shared folder does not answer; the tick goes on without it";
    if (m_then)
        m_deadline->start(m_timing.tickDeadlineMs);
}

void Receiver::arrived(const Arrival &arrival)
{
    m_deadline->stop();
    // Once a message is taken, whatever comes next under its names is new.
    m_seen = arrival.seen;
    if (!arrival.copy.isEmpty())
        m_seen = {};
    else if (!arrival.waiting)
        m_seen.text = {};
    whenPlayerIdle([this, arrival] {
        if (arrival.sound.isEmpty()) {
            finishStep();
            return;
        }
        if (arrival.waiting) {
            qCInfo(lcNet) << "Waiting for" << arrival.sound << "to arrive whole";
            finishStep();
            return;
        }
        if (arrival.tooLargeBytes > 0) {
            reportTooLarge(arrival);
            finishStep();
            return;
        }
        const bool played = !arrival.copy.isEmpty() && PlayNow(arrival.copy);
        if (played)
            qCInfo(lcNet) << "Played received sound" << arrival.sound;
        const bool windowOpen = m_messageWindowOpen;
        // The open window keeps its text; the new one waits in the folder.
        if (windowOpen && !arrival.text.isEmpty())
            Q_EMIT textWaiting();
        const bool showText = !arrival.text.isEmpty() && !windowOpen;
        if (!played && arrival.copy.isEmpty() && !showText) {
            finishStep();
            return;
        }
        std::function<Collected()> job = [files = m_files, sound = played ? arrival.sound : QString(),
                                          copy = arrival.copy, text = showText ? arrival.text : QString()] {
            return collect(*files, sound, copy, text);
        };
        if (!m_jobs->run<Collected>(
                std::move(job), [this, showText](Collected result) { collected(result, showText); },
                m_timing.answerWaitMs))
            waitForFolder();
    });
}

void Receiver::collected(const Collected &result, bool showText)
{
    m_deadline->stop();
    whenPlayerIdle([this, result, showText] {
        if (showText && !m_messageWindowOpen) {
            QString problem;
            if (result.text.error)
                problem =
                    QLatin1String("File Read Error: ") + QString::fromLocal8Bit(result.text.error.message());
            else if (result.textDeleteError)
                problem = QString::fromLocal8Bit(result.textDeleteError.message());
            qCInfo(lcNet) << "Showing received text" << result.text.text;
            Q_EMIT textReceived(result.text.text, problem);
        }
        finishStep();
    });
}

void Receiver::reportTooLarge(const Arrival &arrival)
{
    // Once per file: it stays in the folder and is found again every tick.
    const QString file = arrival.sound + QLatin1Char(':') + QString::number(arrival.tooLargeBytes);
    if (file == m_reportedTooLarge)
        return;
    m_reportedTooLarge = file;
    constexpr qint64 kMegabyte = qint64{1024} * 1024;
    Q_EMIT problem(QStringLiteral("\"%1\" is too large to be a sound message (%2 MB; at most %3 MB). "
                                  "It was not played and is left in the shared folder.")
                       .arg(QDir::toNativeSeparators(arrival.sound))
                       .arg(arrival.tooLargeBytes / kMegabyte)
                       .arg(kMaxSoundBytes / kMegabyte));
}

bool Receiver::PlayNow(const QString &copy)
{
    // While "Turn Me Off" holds, the sound waits in the folder.
    if (m_state.SoundsDisabled)
        return false;
    Q_EMIT soundStarting();
    m_player.setFileName(copy);
    m_player.setWait(true);
    m_player.command(QStringLiteral("sound"));
    QCoreApplication::processEvents();
    return true;
}

void Receiver::finishStep()
{
    m_stepActive = false;
    m_deadline->stop();
    runThen();
    Q_EMIT stepFinished();
}

void Receiver::runThen()
{
    if (m_then)
        whenPlayerIdle(std::exchange(m_then, {}));
}

void Receiver::whenPlayerIdle(std::function<void()> action)
{
    // Nothing may start a sound while another is being played to its end.
    if (!m_player.isWaiting() && m_idleQueue.empty()) {
        action();
        return;
    }
    m_idleQueue.push_back(std::move(action));
}

void Receiver::drainIdleQueue()
{
    while (!m_idleQueue.empty() && !m_player.isWaiting()) {
        auto action = std::move(m_idleQueue.front());
        m_idleQueue.pop_front();
        action();
    }
}

} // namespace calmora
