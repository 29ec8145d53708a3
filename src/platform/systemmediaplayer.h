#pragma once

#include "platform/mediaplayer.h"

namespace calmora {

// The real player: sounds decoded with libsndfile and played on the default
// audio output; "AVIVideo" files shown in a video window of the player's own.
class SystemMediaPlayer final : public MediaPlayer
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SystemMediaPlayer)

public:
    explicit SystemMediaPlayer(QObject *parent = nullptr);
    ~SystemMediaPlayer() override;

    void setDeviceType(const QString &deviceType) override;
    void setFileName(const QString &fileName) override;
    void setWait(bool wait) override;
    void command(const QString &command) override;

private:
    QString m_deviceType;
    QString m_fileName;
    bool m_wait = false;
};

} // namespace calmora
