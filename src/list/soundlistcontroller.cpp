#include "list/soundlistcontroller.h"

#include "app/appstate.h"
#include "list/frmfiles.h"
#include "list/soundlist.h"
#include "platform/dialogs.h"
#include "platform/launcher.h"
#include "platform/mediaplayer.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QDropEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

namespace calmora {

namespace {

// A file manager offering to move the files would delete them once they are
// dropped; the list only ever takes a copy of their names.
bool acceptFileDrag(QDropEvent *event)
{
    if (!event->mimeData()->hasUrls())
        return false;
    if (event->possibleActions() & Qt::CopyAction)
        event->setDropAction(Qt::CopyAction);
    else if (event->possibleActions() & Qt::LinkAction)
        event->setDropAction(Qt::LinkAction);
    else
        return false;
    event->accept();
    return true;
}

} // namespace

SoundListController::SoundListController(SoundList &list, AppState &state, const Services &services,
                                         QTimer *tmrMinute, QMenu *mnuPopup2, QWidget *window,
                                         QObject *parent)
    : QObject(parent), m_list(list), m_list1(list.List1()), m_viewport(m_list1->viewport()), m_state(state),
      m_services(services), m_tmrMinute(tmrMinute), m_mnuPopup2(mnuPopup2), m_window(window)
{
    m_list1->setAcceptDrops(true);
    m_viewport->setAcceptDrops(true);
    m_list1->installEventFilter(this);
    m_viewport->installEventFilter(this);
    connect(m_list1, &QListWidget::itemSelectionChanged, this, &SoundListController::List1_Click);
}

bool SoundListController::eventFilter(QObject *watched, QEvent *event)
{
    // Only pointers are compared here: the list sends events while it is
    // being destroyed, when it may no longer be asked anything.
    if (watched == m_viewport) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove:
            if (!acceptFileDrag(static_cast<QDropEvent *>(event)))
                event->ignore();
            return true;
        case QEvent::Drop: {
            auto *drop = static_cast<QDropEvent *>(event);
            if (acceptFileDrag(drop))
                List1_OLEDragDrop(*drop->mimeData());
            return true;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            // A right click must not move the highlight: the menu acts on the
            // highlighted entry, not on the one under the pointer.
            return static_cast<QMouseEvent *>(event)->button() == Qt::RightButton;
        case QEvent::MouseButtonRelease: {
            auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() != Qt::RightButton)
                return false;
            List1_MouseUp(mouse->button(), mouse->globalPosition().toPoint());
            return true;
        }
        case QEvent::ContextMenu: return true; // the release above opens the menu
        default: return false;
        }
    }
    if (watched == m_list1) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Delete) {
                List1_KeyDown(key);
                return true;
            }
        } else if (event->type() == QEvent::ContextMenu
                   && static_cast<QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Keyboard) {
            // The menu key opens the same menu beside the highlighted entry.
            const QRect row = m_list1->visualItemRect(m_list1->currentItem());
            const QPoint at = row.isValid() ? row.bottomLeft() : QPoint(0, 0);
            m_mnuPopup2->popup(m_viewport->mapToGlobal(at));
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void SoundListController::List1_OLEDragDrop(const QMimeData &data)
{
    QStringList paths;
    const QList<QUrl> urls = data.urls();
    paths.reserve(urls.size());
    for (const QUrl &url : urls) {
        if (url.isLocalFile())
            paths.append(QDir::toNativeSeparators(url.toLocalFile()));
    }
    if (const int notAdded = m_list.addSoundFiles(paths, m_services.program.fileNameCase))
        m_services.dialogs->message(m_window, SoundList::listFullMessage(notAdded));
}

void SoundListController::List1_KeyDown(int key)
{
    // Shift+Delete and Ctrl+Delete delete as well.
    if (key == Qt::Key_Delete)
        removeCurrent();
}

void SoundListController::List1_MouseUp(Qt::MouseButton button, const QPoint &globalPos)
{
    if (button != Qt::RightButton)
        return;
    m_mnuPopup2->popup(globalPos);
}

void SoundListController::List1_Click()
{
    const int current = m_list.currentIndex();
    if (current < 0)
        return;
    const QString text = m_list.text(current);
    m_services.player->setFileName(text);
    m_list1->setToolTip(text);
}

void SoundListController::cmdAdd_Click()
{
    m_tmrMinute->stop();
    {
        frmFiles chooser(m_state, m_list, *m_services.dialogs, m_services.program.fileNameCase, m_window);
        chooser.exec();
    }
    // Started whatever its state before: the chooser is not where sounds are switched off.
    m_tmrMinute->start();
}

void SoundListController::cmdDelete_Click()
{
    removeCurrent();
}

void SoundListController::removeCurrent()
{
    const int current = m_list.currentIndex();
    if (current < 0)
        return;
    m_list.removeAt(current);
    m_state.SettingsChanged = true;
}

void SoundListController::cmdClear_Click()
{
    if (!m_services.dialogs->askYesNo(m_window, QStringLiteral("Clear all wav files from list?")))
        return;
    m_list.clear();
    m_state.SettingsChanged = true;
}

void SoundListController::Picture1_Click()
{
    Launcher &launcher = *m_services.launcher;
    if (m_explorerTaskId != 0) {
        if (launcher.activate(m_explorerTaskId))
            return;
        // Still running, but its window cannot be raised by its process (a
        // Wayland desktop): the desktop's file manager service opens one; a
        // new start is the last resort.
        if (launcher.isRunning(m_explorerTaskId) && launcher.showFolder(QDir::homePath()))
            return;
    }
    startFileManager();
}

void SoundListController::startFileManager()
{
    Launcher &launcher = *m_services.launcher;
    const QStringList command = launcher.fileManagerCommand(QDir::homePath());
    const qint64 pid = command.isEmpty() ? 0 : launcher.start(command.constFirst(), command.mid(1));
    if (pid == 0) {
        const QString program = command.isEmpty() ? QString() : command.constFirst();
        const QString reason = launcher.lastError();
        m_services.dialogs->message(
            m_window, reason.isEmpty() ? QStringLiteral("%1: the program could not be started.").arg(program)
                                       : QStringLiteral("%1: %2").arg(program, reason));
        return;
    }
    m_explorerTaskId = pid;
}

} // namespace calmora
