#pragma once

#include "platform/mediaplayer.h"

#include <memory>

namespace calmora {

class AudioOutput;
class AudioPlayback;
class PlayingSound;
class VideoWindow;

// The real player: sounds decoded with libsndfile on a worker thread and
// played through an AudioOutput; "AVIVideo" files shown in a video window of
// the player's own.
class SystemMediaPlayer final : public MediaPlayer
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SystemMediaPlayer)

public:
    // endSlack: how much longer than a sound's length a waiting "sound" waits
    // for its end before it gives up on an output that never says so.
    explicit SystemMediaPlayer(std::shared_ptr<AudioOutput> output, QObject *parent = nullptr,
                               std::chrono::milliseconds endSlack = std::chrono::seconds(10));
    ~SystemMediaPlayer() override;

    void setDeviceType(const QString &deviceType) override;
    void setFileName(const QString &fileName) override;
    void setWait(bool wait) override;
    void command(const QString &command) override;
    void setVolume(int percent) override;

    // The video window once a video has been opened; null before.
    VideoWindow *videoWindow() const { return m_video.get(); }

private:
    void open();
    void play();
    void sound(const QString &fileName);
    void close();
    void waitUntilOver(const std::shared_ptr<const PlayingSound> &playing);

    std::shared_ptr<AudioOutput> m_output;
    std::unique_ptr<AudioPlayback> m_audio;
    std::unique_ptr<VideoWindow> m_video;
    QString m_deviceType;
    QString m_fileName;
    bool m_wait = false;
    // What "play" plays: set by "open", cleared by "close".
    QString m_openedFile;
    bool m_videoOpen = false;
};

} // namespace calmora
