#include "widgets/centre.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace calmora {

void centreOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    // Before the first show the frame is unknown; the size hint is the best guess.
    const QSize outer = window->frameGeometry().size().expandedTo(window->sizeHint());
    window->move(area.x() + (area.width() - outer.width()) / 2,
                 area.y() + (area.height() - outer.height()) / 2);
}

} // namespace calmora
