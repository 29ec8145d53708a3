#pragma once

#include "net/messagefile.h"

#include <QObject>
#include <QString>

#include <deque>
#include <functional>
#include <memory>

class QTimer;

namespace calmora {

struct AppState;
class FileSystem;
class MediaPlayer;
class ShareJobs;

// The receive step of each tick: plays a sound left in the shared folder for
// this computer, deletes it, and shows the text that came with it.
//
// The folder is only ever touched off the window's thread. A step waits a few
// milliseconds for the folder to answer; when it takes longer the step goes on
// when the answer comes, and a folder still busy with an earlier step makes the
// next ticks skip theirs. What a step finds is handled in the usual order:
// sound played to its end, sound deleted, text read and deleted, message shown,
// and only then the rest of the tick. What the user should see is signalled;
// the main window shows it.
class Receiver final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Receiver)

public:
    struct Timing
    {
        // How long the window's thread waits for the folder at each stage.
        int answerWaitMs = 10;
        // How long the rest of the tick waits for a folder that does not answer.
        int tickDeadlineMs = 2000;
    };

    Receiver(AppState &state, MediaPlayer &player, std::shared_ptr<FileSystem> files,
             QObject *parent = nullptr);
    ~Receiver() override;

    void setTiming(const Timing &timing) { m_timing = timing; }
    // Where received sounds are copied to be played.
    void setLocalFolder(const QString &folder) { m_localFolder = folder; }

    // Runs the receive step, then `then` (the rest of the tick) once the step
    // is done, or once the deadline has passed when the folder does not answer.
    void receiveStep(std::function<void()> then);
    // A step is still waiting for the folder, or still handling what it found.
    bool busy() const;

    // Whether a message window is open: a text that comes meanwhile waits in
    // the folder, and the open window is only brought forward.
    void setMessageWindowOpen(bool open) { m_messageWindowOpen = open; }

    // A file as one look at the folder saw it: the same again at the next look
    // means nobody is writing it any more.
    struct Sighting
    {
        QString path;
        qint64 size = -1;
        qint64 modifiedNs = 0;
        bool operator==(const Sighting &) const = default;
    };
    struct Sightings
    {
        Sighting sound;
        Sighting text;
    };
    // What a step found in the folder.
    struct Arrival
    {
        QString sound;            // "" when no sound was there
        QString text;             // "" when no text was there
        QString copy;             // the sound copied for playing, "" when not fetched
        qint64 tooLargeBytes = 0; // the size of a sound too large to be a message
        bool waiting = false;     // still being written: left for a later tick
        Sightings seen;
    };
    // What was collected after the sound played.
    struct Collected
    {
        MessageRead text;
        std::error_code textDeleteError;
    };

Q_SIGNALS:
    // A received sound is about to be played to its end.
    void soundStarting();
    // A text came with the sound: show it in a message window. problem, when
    // not empty, is what went wrong reading or deleting the text file.
    void textReceived(const QString &text, const QString &problem);
    // A text came while a message window is open: bring that window forward.
    void textWaiting();
    // Something in the folder the user should know about.
    void problem(const QString &message);
    // A receive step has handled everything it found.
    void stepFinished();

private:
    void arrived(const Arrival &arrival);
    void collected(const Collected &result, bool showText);
    bool PlayNow(const QString &copy);
    void reportTooLarge(const Arrival &arrival);
    void finishStep();
    void runThen();
    void waitForFolder();
    void whenPlayerIdle(std::function<void()> action);
    void drainIdleQueue();

    AppState &m_state;
    MediaPlayer &m_player;
    std::shared_ptr<FileSystem> m_files;
    ShareJobs *m_jobs;
    QTimer *m_deadline;
    Timing m_timing;
    QString m_localFolder;
    QString m_reportedTooLarge;
    Sightings m_seen; // what the previous look saw
    std::function<void()> m_then;
    std::deque<std::function<void()>> m_idleQueue;
    bool m_stepActive = false;
    bool m_messageWindowOpen = false;
};

} // namespace calmora
