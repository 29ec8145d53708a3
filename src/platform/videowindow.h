#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QMediaPlayer;
class QVideoWidget;
class QWidget;

namespace calmora {

// The player's own video window: a top-level window titled with the file
// name, made on first use and reused for every later video.
class VideoWindow final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(VideoWindow)

public:
    explicit VideoWindow(QObject *parent = nullptr);
    ~VideoWindow() override;

    // False, and nothing changes, when fileName is not a readable file.
    bool open(const QString &fileName);
    void play();
    void close();

    QWidget *window() const;

private:
    QMediaPlayer *m_player = nullptr;
    std::unique_ptr<QVideoWidget> m_window;
    QString m_fileName;
};

} // namespace calmora
