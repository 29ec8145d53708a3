#pragma once

#include "platform/services.h"

#include <QObject>
#include <QPoint>

class QListWidget;
class QMenu;
class QMimeData;
class QTimer;
class QWidget;

namespace calmora {

struct AppState;
class SoundList;

// What the user does with the sound list: dropping files on it, the Delete
// key, the right-click menu, "Add", "Del", "Clear" and the file-manager button.
class SoundListController final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SoundListController)

public:
    // window parents the dialogs; mnuPopup2 is the list's right-click menu.
    SoundListController(SoundList &list, AppState &state, const Services &services, QTimer *tmrMinute,
                        QMenu *mnuPopup2, QWidget *window, QObject *parent);

    void List1_OLEDragDrop(const QMimeData &data);
    void List1_KeyDown(int key);
    void List1_MouseUp(Qt::MouseButton button, const QPoint &globalPos);
    void List1_Click();
    void cmdAdd_Click();
    void cmdDelete_Click();
    void cmdClear_Click();
    void mnuDelete_Click() { cmdDelete_Click(); }
    void Picture1_Click();

    qint64 explorerTaskId() const { return m_explorerTaskId; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void removeCurrent();
    void startFileManager();

    SoundList &m_list;
    QListWidget *m_list1;
    QWidget *m_viewport;
    AppState &m_state;
    Services m_services;
    QTimer *m_tmrMinute;
    QMenu *m_mnuPopup2;
    QWidget *m_window;
    qint64 m_explorerTaskId = 0;
};

} // namespace calmora
