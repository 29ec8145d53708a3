// The video module (calmora-video): the video window on Qt Multimedia, loaded
// by VideoWindow::create() with the first video.

#include "platform/videowindow.h"

#include <QFileInfo>
#include <QMediaPlayer>
#include <QUrl>
#include <QVideoWidget>

namespace calmora {

namespace {

class MultimediaVideoWindow final : public QObject, public VideoWindow
{
public:
    MultimediaVideoWindow();
    ~MultimediaVideoWindow() override;
    Q_DISABLE_COPY_MOVE(MultimediaVideoWindow)

    bool open(const QString &fileName) override;
    void play() override;
    void close() override;
    QWidget *window() const override { return m_window.get(); }

private:
    QMediaPlayer *m_player;
    std::unique_ptr<QVideoWidget> m_window;
};

MultimediaVideoWindow::MultimediaVideoWindow()
    : m_player(new QMediaPlayer(this)), m_window(std::make_unique<QVideoWidget>())
{
    // Videos stay silent on purpose: with an audio output attached, GStreamer's
    // PulseAudio sink blocks QMediaPlayer::stop() for good when the sound
    // server stops answering mid-play, freezing the whole program.
    m_window->setObjectName(QStringLiteral("videoWindow"));
    m_window->resize(640, 480);
    m_player->setVideoOutput(m_window.get());
    // A file the decoder cannot play shows nothing rather than a black window.
    connect(m_player, &QMediaPlayer::errorOccurred, this, [this] { m_window->hide(); });
}

MultimediaVideoWindow::~MultimediaVideoWindow()
{
    m_player->stop();
    m_player->setVideoOutput(nullptr);
}

bool MultimediaVideoWindow::open(const QString &fileName)
{
    const QFileInfo info(fileName);
    if (!info.isFile() || !info.isReadable())
        return false;
    m_player->stop();
    m_player->setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
    m_window->setWindowTitle(info.fileName());
    return true;
}

void MultimediaVideoWindow::play()
{
    if (m_player->source().isEmpty() || m_player->error() != QMediaPlayer::NoError)
        return;
    m_window->show();
    m_window->raise();
    m_player->play();
}

void MultimediaVideoWindow::close()
{
    m_player->stop();
    m_player->setSource(QUrl());
    m_window->hide();
}

} // namespace

} // namespace calmora

extern "C" Q_DECL_EXPORT calmora::VideoWindow *CALMORA_VIDEO_MODULE_ENTRY()
{
    return new calmora::MultimediaVideoWindow;
}
