#pragma once

#include <QObject>
#include <QString>

namespace calmora {

// The program's one media player. It is driven through four settings only:
// device type, file name, wait flag and a command word ("open", "play",
// "sound", "close", in any letter case). Nothing is read back and nothing is
// reported: a request the player cannot carry out simply does nothing.
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
};

} // namespace calmora
