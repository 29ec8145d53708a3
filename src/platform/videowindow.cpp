#include "platform/videowindow.h"

#include <QCoreApplication>
#include <QLibrary>
#include <QLoggingCategory>

namespace calmora {

namespace {

Q_LOGGING_CATEGORY(lcVideo, "calmora.video", QtWarningMsg)

} // namespace

std::unique_ptr<VideoWindow> VideoWindow::create()
{
    // The module stays loaded once this QLibrary is gone.
    QLibrary module(QCoreApplication::applicationDirPath() + QLatin1String("/calmora-video"));
    using Create = VideoWindow *(*)();
    const auto createWindow =
        reinterpret_cast<Create>(module.resolve(QT_STRINGIFY(CALMORA_VIDEO_MODULE_ENTRY)));
    if (!createWindow) {
        qCWarning(lcVideo) << "Videos cannot be shown:" << module.errorString();
        return nullptr;
    }
    return std::unique_ptr<VideoWindow>(createWindow());
}

} // namespace calmora
