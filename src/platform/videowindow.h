#pragma once

#include <QString>
#include <QtGlobal>

#include <memory>

class QWidget;

// Entry point of the video module: a function taking nothing and returning a
// new VideoWindow. Its number changes with this interface, so that a module
// left from another version is refused instead of misused.
#define CALMORA_VIDEO_MODULE_ENTRY calmoraCreateVideoWindow1

namespace calmora {

// The player's own video window: a top-level window titled with the file
// name, made on first use and reused for every later video.
//
// Qt Multimedia lives in a module beside the program (calmora-video), loaded
// with the first video: linked into the program, it and the libraries it
// pulls in cost every start several milliseconds and about 2 MiB of memory.
class VideoWindow
{
public:
    VideoWindow() = default;
    virtual ~VideoWindow() = default;
    Q_DISABLE_COPY_MOVE(VideoWindow)

    // Null when the module is missing or from another version.
    static std::unique_ptr<VideoWindow> create();

    // False, and nothing changes, when fileName is not a readable file.
    virtual bool open(const QString &fileName) = 0;
    virtual void play() = 0;
    virtual void close() = 0;

    virtual QWidget *window() const = 0;
};

} // namespace calmora
