#include "platform/videowindow.h"

#include <QFileInfo>
#include <QMediaPlayer>
#include <QUrl>
#include <QVideoWidget>

namespace calmora {

VideoWindow::VideoWindow(QObject *parent)
    : QObject(parent), m_player(new QMediaPlayer(this)), m_window(std::make_unique<QVideoWidget>())
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

VideoWindow::~VideoWindow()
{
    m_player->stop();
    m_player->setVideoOutput(nullptr);
}

bool VideoWindow::open(const QString &fileName)
{
    const QFileInfo info(fileName);
    if (!info.isFile() || !info.isReadable())
        return false;
    m_player->stop();
    m_player->setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
    m_window->setWindowTitle(info.fileName());
    return true;
}

void VideoWindow::play()
{
    if (m_player->source().isEmpty() || m_player->error() != QMediaPlayer::NoError)
        return;
    m_window->show();
    m_window->raise();
    m_player->play();
}

void VideoWindow::close()
{
    m_player->stop();
    m_player->setSource(QUrl());
    m_window->hide();
}

QWidget *VideoWindow::window() const
{
    return m_window.get();
}

} // namespace calmora
