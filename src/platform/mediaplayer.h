#pragma once

#include <QObject>
#include <QString>

namespace calmora {

// The program's one media player. It is driven through four settings only:
// device type, file name, wait flag and a command word ("open", "play",
// "sound", "close", in any letter case). Nothing is read back and nothing is
// reported: a request the player cannot carry out simply does nothing.
//
// A "sound" with the wait flag on returns when the sound has ended. While it
// waits the windows keep repainting, but user input stays queued until it
// returns; isWaiting() tells timers that fire meanwhile to come back later.
class MediaPlayer : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~MediaPlayer() override = default;

    virtual void setDeviceType(const QString &deviceType) = 0;
    virtual void setFileName(const QString &fileName) = 0;
    virtual void setWait(bool wait) = 0;
    virtual void command(const QString &command) = 0;
    // How loud every sound plays from the next one on: 100 as recorded, 0 silent.
    virtual void setVolume(int percent) = 0;

    bool isWaiting() const { return m_waiting; }

Q_SIGNALS:
    // A waiting "sound" has returned.
    void waitFinished();

protected:
    void setWaiting(bool waiting)
    {
        m_waiting = waiting;
        if (!waiting)
            Q_EMIT waitFinished();
    }

private:
    bool m_waiting = false;
};

} // namespace calmora
