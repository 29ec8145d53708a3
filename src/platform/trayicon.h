#pragma once

#include <QObject>
#include <QPoint>

class QIcon;
class QMenu;

namespace calmora {

// The icon in the desktop's notification area. It reports a left double click
// (or a host's activation, where a click is all there is) and a right button
// release; the main window decides what they do.
class TrayIcon : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~TrayIcon() override = default;

    // Whether the desktop has a notification area at all.
    virtual bool isAvailable() const = 0;
    // Adding an icon that is already present keeps the one icon.
    virtual void add(const QIcon &icon, const QString &tip) = 0;
    virtual void remove() = 0;
    virtual bool isPresent() const = 0;
    // The tray menu, for notification areas that draw an item's menu
    // themselves (StatusNotifierItem hosts); others report rightReleased and
    // leave opening it to the window.
    virtual void setMenu(QMenu *menu) { Q_UNUSED(menu) }

Q_SIGNALS:
    void doubleClicked();
    void rightReleased(const QPoint &globalPos);
};

} // namespace calmora
